#pragma once

// Visible objects inside a band: text, lines, shapes, pictures, subreports, rich text.

#include "report/model/frx_component.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_records.h"

#include <QByteArray>
#include <QStringList>
#include <QVariant>

namespace report {

class TfrxReportPage;

class TfrxView : public TfrxReportComponent {
    FRX_CLASS_INFO
public:
    explicit TfrxView(TfrxComponent* parent = nullptr);

    TfrxAlign Align{};
    bool Printable{};
    TfrxShiftMode ShiftMode{};
    int GroupIndex{};
    QString OnAfterData, OnPreviewClick;

    // Published by descendants.
    TColor Color{};
    TBrushStyle BrushStyle{};
    TfrxFrame& Frame() { return frame_; }
    const TfrxFrame& Frame() const { return frame_; }
    int Cursor{};
    QString DataField;
    QString TagStr;
    QString URL;

    TfrxDataSet* DataSet() const { return dataSet_.get(); }
    void SetDataSet(TfrxDataSet* dataSet) { dataSet_.set(dataSet); }
    // The referenced source's UserName, or the stored name when none is referenced.
    QString DataSetName() const { return dataSet_.name(); }
    void SetDataSetName(const QString& name);
    bool IsDataField() const { return DataSet() && !DataField.isEmpty(); }
    // No report, page or band inside a view.
    bool IsAcceptedChild(const TfrxComponent& child) const override;

private:
    TfrxFrame frame_;
    DataSetLink dataSet_;
};

// A view whose height can follow its content; its kind's measurer (report/render) tells the
// height the content needs and outputs it in parts.
class TfrxStretcheable : public TfrxView {
    FRX_CLASS_INFO
public:
    explicit TfrxStretcheable(TfrxComponent* parent = nullptr);
    TfrxStretchMode StretchMode{};
};

class TfrxCustomMemoView : public TfrxStretcheable {
    FRX_CLASS_INFO
public:
    explicit TfrxCustomMemoView(TfrxComponent* parent = nullptr);

    QStringList Memo; // the text, one entry per line
    // The lines joined by CR LF, without a final line break.
    QString Text() const { return Memo.join(QStringLiteral("\r\n")); }
    // Splits at CR LF, CR or LF.
    void SetText(const QString& text);
    QString GetComponentText() const override { return Text(); }

    // Keeps the template's text while printing; AfterPrint puts it back.
    void BeforePrint() override;
    void AfterPrint() override;
    // The text not yet output while the object is split over pages.
    const QString& PartRemainder() const { return partRemainder_; }
    void SetPartRemainder(const QString& rest) { partRemainder_ = rest; }

    bool AllowExpressions{};
    QString ExpressionDelimiters;
    bool AllowHTMLTags{};
    bool AutoWidth{};
    double CharSpacing{};
    bool Clipped{};
    TfrxFormat& DisplayFormat() { return displayFormat_; }
    const TfrxFormat& DisplayFormat() const { return displayFormat_; }
    TfrxCustomMemoView* FlowTo() const { return flowTo_.get(); }
    void SetFlowTo(TfrxCustomMemoView* memo) { flowTo_.set(memo); }
    double GapX{};
    double GapY{};
    TfrxHAlign HAlign{};
    TfrxVAlign VAlign{};
    bool HideZeros{};
    TfrxHighlight& Highlight() { return highlight_; }
    const TfrxHighlight& Highlight() const { return highlight_; }
    double LineSpacing{};
    double ParagraphGap{};
    int Rotation{};
    bool RTLReading{};
    QString Style;
    bool SuppressRepeated{};
    bool Underlines{};
    bool WordBreak{};
    bool WordWrap{};
    bool Wysiwyg{};

    // Run time: the last computed value and the previous text for SuppressRepeated.
    QVariant Value;
    QString LastValue;

private:
    QStringList designText_; // the template's text while printing
    bool designTextSaved_ = false;
    QString partRemainder_;
    TfrxFormat displayFormat_;
    TfrxHighlight highlight_;
    ComponentRef<TfrxCustomMemoView> flowTo_;
};

class TfrxMemoView : public TfrxCustomMemoView {
    FRX_CLASS_INFO
public:
    explicit TfrxMemoView(TfrxComponent* parent = nullptr);
};

// The text object offered for system texts; fewer properties published.
class TfrxSysMemoView : public TfrxCustomMemoView {
    FRX_CLASS_INFO
public:
    explicit TfrxSysMemoView(TfrxComponent* parent = nullptr);
};

class TfrxCustomLineView : public TfrxStretcheable {
    FRX_CLASS_INFO
public:
    explicit TfrxCustomLineView(TfrxComponent* parent = nullptr);

    bool Diagonal{};
    bool ArrowStart{};
    bool ArrowEnd{};
    int ArrowLength{};
    int ArrowWidth{};

    // A line that is not diagonal is made axis-parallel: vertical when Width <= Height
    // (Width 0, frame {ftLeft}), else horizontal (Height 0, frame {ftTop}).
    void MakeAxisParallel();
};

class TfrxLineView : public TfrxCustomLineView {
    FRX_CLASS_INFO
public:
    explicit TfrxLineView(TfrxComponent* parent = nullptr);
};

class TfrxShapeView : public TfrxView {
    FRX_CLASS_INFO
public:
    explicit TfrxShapeView(TfrxComponent* parent = nullptr);
    TfrxShapeKind Shape{};
    int Curve{};
};

class TfrxPictureView : public TfrxView {
    FRX_CLASS_INFO
public:
    explicit TfrxPictureView(TfrxComponent* parent = nullptr);
    bool AutoSize{};
    bool Center{};
    bool KeepAspectRatio{};
    bool Stretched{};
    QString FileLink;
    int ImageIndex{};
    QByteArray Picture; // the picture's file bytes, empty for none

    void WriteExtraData(ExtraDataWriter& writer) const override;
    bool SameExtraData(const TfrxComponent& other) const override;
    bool ReadExtraProperty(const QString& name, ExtraDataReader& reader) override;
};

// Prints another report page at its place.
class TfrxSubreport : public TfrxView {
    FRX_CLASS_INFO
public:
    explicit TfrxSubreport(TfrxComponent* parent = nullptr);
    TfrxReportPage* Page() const;
    void SetPage(TfrxReportPage* page);
    bool PrintOnParent{};

private:
    ComponentRef<TfrxReportPage> page_;
};

// Rich text kept as the RTF bytes the template stores ("RichEdit"); its layout and drawing
// belong to the rich-text engine.
class TfrxRichView : public TfrxStretcheable {
    FRX_CLASS_INFO
public:
    explicit TfrxRichView(TfrxComponent* parent = nullptr);
    bool AllowExpressions{};
    QString ExpressionDelimiters;
    TfrxRichView* FlowTo() const { return flowTo_.get(); }
    void SetFlowTo(TfrxRichView* view) { flowTo_.set(view); }
    double GapX{};
    double GapY{};
    bool Wysiwyg{};
    QByteArray RichText; // the stored RTF, exactly as streamed
    // Run time: the content (RTF) not yet output while the object is split over pages.
    QByteArray PartRemainder;
    // Run time: what the rich-text engine learnt about a content, valid while RichText is
    // that very content (its data shared), so a long report reads a content once, not once
    // a row or a page.
    struct ContentMemo {
        QByteArray withoutExpressions; // a content that holds no expression opened by `open`
        char16_t open = 0;
        QByteArray valueInto;          // the content a plain value was put into,
        QString value;                 // the value,
        QByteArray valueResult;        // and the content that made
    };
    ContentMemo RunMemo;

    void WriteExtraData(ExtraDataWriter& writer) const override;
    bool SameExtraData(const TfrxComponent& other) const override;
    bool ReadExtraProperty(const QString& name, ExtraDataReader& reader) override;

    // Keeps the template's content while printing; AfterPrint puts it back, so data and
    // expression results never alter the template.
    void BeforePrint() override;
    void AfterPrint() override;
    // The content's plain text, through the reader the rich-text engine (report/rich, above
    // the model) installs; empty until it has.
    QString GetComponentText() const override;
    static void SetTextReader(QString (*reader)(const QByteArray& content));

private:
    ComponentRef<TfrxRichView> flowTo_;
    QByteArray designText_;
    bool designTextSaved_ = false;
};

} // namespace report
