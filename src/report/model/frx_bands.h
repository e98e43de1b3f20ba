#pragma once

// Bands: horizontal (or vertical) strips of a report page holding views. The band kind is
// the band's class; its number in the band-kind table is what the engine compares.

#include "report/model/frx_component.h"
#include "report/model/frx_datasets.h"

#include <QStringList>
#include <memory>

namespace report {

class TfrxChild;
class TfrxUserDataSet;

class TfrxBand : public TfrxReportComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxBand(TfrxComponent* parent = nullptr);
    ~TfrxBand() override;

    // Views, and data sources (which loading moves onto the data page).
    bool IsAcceptedChild(const TfrxComponent& child) const override;

    // Position of the band's class in the band-kind table; 0 for a class not in it.
    int BandNumber() const;

    // On a character-grid page Left snaps to whole character columns, Top and Height to
    // whole character rows.
    void SetLeft(double value) override;
    void SetTop(double value) override;
    void SetHeight(double value) override;

    bool Vertical{};
    QString OnAfterCalcHeight;
    // Flags; each band kind publishes those that apply to it.
    bool AllowSplit{};
    bool KeepChild{};
    bool PrintChildIfInvisible{};
    bool StartNewPage{};
    bool Stretched{};

    TfrxChild* Child() const;
    // Fails with "Circular child reference is not allowed" when the child's own chain
    // leads back to this band; the band keeps its previous child then.
    void SetChild(TfrxChild* child);

    // Run-time links filled by the engine, not stored.
    QList<TfrxBand*> SubBands;
    TfrxBand* Header = nullptr;
    TfrxBand* Footer = nullptr;
    QList<TfrxBand*> Groups;
    int LineN = 0;
    int LineThrough = 0;
    bool IsReprinting = false;
    int OriginalObjectsCount = 0;

private:
    ComponentRef<TfrxChild> child_;
};

// The band kinds in the order of the band-kind table.
class TfrxReportTitle : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxReportTitle(TfrxComponent* parent = nullptr);
};

class TfrxReportSummary : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxReportSummary(TfrxComponent* parent = nullptr);
};

class TfrxPageHeader : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxPageHeader(TfrxComponent* parent = nullptr);
    bool PrintOnFirstPage{};
};

class TfrxPageFooter : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxPageFooter(TfrxComponent* parent = nullptr);
    bool PrintOnFirstPage{};
    bool PrintOnLastPage{};
};

class TfrxHeader : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxHeader(TfrxComponent* parent = nullptr);
    bool ReprintOnNewPage{};
};

class TfrxFooter : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxFooter(TfrxComponent* parent = nullptr);
};

// Data bands: one output per row of the data source (or RowCount rows without one).
class TfrxDataBand : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxDataBand(TfrxComponent* parent = nullptr);
    ~TfrxDataBand() override;

    TfrxDataSet* DataSet() const { return dataSet_.get(); }
    void SetDataSet(TfrxDataSet* dataSet) { dataSet_.set(dataSet); }
    QString DataSetName() const { return dataSet_.name(); }
    void SetDataSetName(const QString& name);
    // Sets the RangeEndCount of the band's own row-count source.
    int RowCount() const;
    void SetRowCount(int count);
    TfrxUserDataSet& VirtualDataSet() { return *virtualDataSet_; }

    int Columns{};
    double ColumnWidth{};
    double ColumnGap{};
    bool FooterAfterEach{};
    bool KeepFooter{};
    bool KeepHeader{};
    bool KeepTogether{};
    bool PrintIfDetailEmpty{};
    QString OutlineText;
    QString OnMasterDetail;

private:
    DataSetLink dataSet_;
    std::unique_ptr<TfrxUserDataSet> virtualDataSet_;
};

class TfrxMasterData : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxMasterData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};
class TfrxDetailData : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxDetailData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};
class TfrxSubdetailData : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxSubdetailData(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};
class TfrxDataBand4 : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxDataBand4(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};
class TfrxDataBand5 : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxDataBand5(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};
class TfrxDataBand6 : public TfrxDataBand {
    FRX_CLASS_INFO
public:
    explicit TfrxDataBand6(TfrxComponent* parent = nullptr) : TfrxDataBand(parent) {}
};

class TfrxGroupHeader : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxGroupHeader(TfrxComponent* parent = nullptr);
    QString Condition;
    bool DrillDown{};
    bool ExpandDrillDown{};
    bool KeepTogether{};
    bool ReprintOnNewPage{};
    QString OutlineText;
    bool ResetPageNumbers{};
    bool ShowFooterIfDrillDown{};
};

class TfrxGroupFooter : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxGroupFooter(TfrxComponent* parent = nullptr);
    bool HideIfSingleDataRecord{};
};

class TfrxChild : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxChild(TfrxComponent* parent = nullptr);
};

class TfrxColumnHeader : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxColumnHeader(TfrxComponent* parent = nullptr);
};

class TfrxColumnFooter : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxColumnFooter(TfrxComponent* parent = nullptr);
};

class TfrxOverlay : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxOverlay(TfrxComponent* parent = nullptr);
    bool PrintOnTop{};
};

// Carrier band of the engine for objects placed directly on a page.
class TfrxNullBand : public TfrxBand {
    FRX_CLASS_INFO
public:
    explicit TfrxNullBand(TfrxComponent* parent = nullptr);
};

// Class names of the band-kind table, in band-number order.
const QStringList& bandKindTable();

} // namespace report
