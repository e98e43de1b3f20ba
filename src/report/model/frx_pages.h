#pragma once

// Pages of a template: printed report pages with paper and margins, the data page holding
// data sources, and dialog pages (kept as stored objects only).

#include "report/model/frx_component.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_records.h"

#include <QByteArray>
#include <QStringList>

namespace report {

class TfrxPage : public TfrxComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxPage(TfrxComponent* parent = nullptr);
    // No report and no page inside a page.
    bool IsAcceptedChild(const TfrxComponent& child) const override;
};

class TfrxReportPage : public TfrxPage {
    FRX_CLASS_INFO
public:
    explicit TfrxReportPage(TfrxComponent* parent = nullptr);
    QString BaseName() const override { return QStringLiteral("Page"); }
    // Bands, views placed on the page, and data sources (moved onto the data page).
    bool IsAcceptedChild(const TfrxComponent& child) const override;

    int PaperSize() const { return paperSize_; }
    // Below 256 a known code takes the code's dimensions (exchanged in landscape); unknown
    // codes and codes from 256 on leave the dimensions alone.
    void SetPaperSize(int code);
    double PaperWidth() const { return paperWidth_; }
    double PaperHeight() const { return paperHeight_; }
    // Rounded to 8 decimal places; the paper code becomes 256.
    void SetPaperWidth(double mm);
    void SetPaperHeight(double mm);
    TPrinterOrientation Orientation() const { return orientation_; }
    // A different orientation exchanges the paper dimensions and turns the margins.
    void SetOrientation(TPrinterOrientation orientation);
    double LeftMargin{}, RightMargin{}, TopMargin{}, BottomMargin{};
    bool MirrorMargins{};
    int Columns() const { return columns_; }
    // Recomputes ColumnWidth and ColumnPositions from the printable width.
    void SetColumns(int columns);
    double ColumnWidth{};
    QStringList ColumnPositions;
    int Bin{}, BinOtherPages{};
    QByteArray BackPicture; // file bytes, empty for none
    TColor Color{};
    TfrxFrame& Frame() { return frame_; }
    const TfrxFrame& Frame() const { return frame_; }
    TfrxDuplexMode Duplex{};
    bool EndlessHeight{}, EndlessWidth{};
    bool LargeDesignHeight{};
    QString OutlineText;
    bool PrintIfEmpty{};
    bool PrintOnPreviousPage{};
    bool TitleBeforeHeader{};
    QStringList HGuides, VGuides;
    QString OnBeforePrint, OnAfterPrint, OnManualBuild;

    TfrxDataSet* DataSet() const { return dataSet_.get(); }
    void SetDataSet(TfrxDataSet* dataSet) { dataSet_.set(dataSet); }
    QString DataSetName() const { return dataSet_.name(); }
    void SetDataSetName(const QString& name);

    // A page of a character-grid (dot-matrix) report; its bands snap to character cells.
    virtual bool IsCharacterGrid() const { return false; }

    // Margins of 10 mm and the default printer's paper.
    void SetDefaults();
    // Width and Height in whole units from the paper size.
    void UpdateDimensions();
    void AlignChildren() override;

    void WriteExtraData(ExtraDataWriter& writer) const override;
    bool ReadExtraProperty(const QString& name, ExtraDataReader& reader) override;

    // The default printer's paper, installed by the printer layer; A4 portrait without one.
    struct DefaultPaper {
        int code;
        double widthMm, heightMm;
        TPrinterOrientation orientation;
    };
    using DefaultPaperProvider = DefaultPaper (*)();
    static void setDefaultPaperProvider(DefaultPaperProvider provider);

private:
    int paperSize_{};
    double paperWidth_{}, paperHeight_{};
    TPrinterOrientation orientation_{};
    int columns_{};
    TfrxFrame frame_;
    DataSetLink dataSet_;
};

// Holds data sources and other components that are not printed.
class TfrxDataPage : public TfrxPage {
    FRX_CLASS_INFO
public:
    explicit TfrxDataPage(TfrxComponent* parent = nullptr);
    // Neither pages nor bands.
    bool IsAcceptedChild(const TfrxComponent& child) const override;
};

// A dialog form shown before the report runs; kept so that templates holding one load and
// save unchanged.
class TfrxDialogPage : public TfrxPage {
    FRX_CLASS_INFO
public:
    explicit TfrxDialogPage(TfrxComponent* parent = nullptr);
    QString Caption;
};

} // namespace report
