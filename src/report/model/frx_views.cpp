#include "report/model/frx_views.h"

#include "report/model/detail/component_props.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"
#include "report/model/extra_data.h"

#include <cmath>

namespace report {

using namespace detail;

namespace {

// The fields of TfrxView that descendants publish.
P alignProp() { return field<&TfrxView::Align>("Align", PropKind::Enum).enums(TfrxAlignInfo).def(0); }
P colorProp() { return field<&TfrxView::Color>("Color", PropKind::Integer).def(clTransparent); }
P brushStyleProp() { return field<&TfrxView::BrushStyle>("BrushStyle", PropKind::Enum).enums(TBrushStyleInfo).def(0); }
P frameProp() { return object<static_cast<TfrxFrame& (TfrxView::*)()>(&TfrxView::Frame)>("Frame"); }
P cursorProp() { return field<&TfrxView::Cursor>("Cursor", PropKind::Integer).def(0); }
P dataFieldProp() { return field<&TfrxView::DataField>("DataField", PropKind::String); }
P dataSetProp() { return access<&TfrxView::DataSet, &TfrxView::SetDataSet>("DataSet", PropKind::Reference); }
P dataSetNameProp()
{
    return access<&TfrxView::DataSetName, &TfrxView::SetDataSetName>("DataSetName", PropKind::String);
}
P tagStrProp() { return field<&TfrxView::TagStr>("TagStr", PropKind::String); }
P urlProp() { return field<&TfrxView::URL>("URL", PropKind::String); }

template <class C>
P allowExpressionsProp() { return field<&C::AllowExpressions>("AllowExpressions", PropKind::Boolean).def(true); }
template <class C>
P delimitersProp()
{
    return field<&C::ExpressionDelimiters>("ExpressionDelimiters", PropKind::String).initial(QStringLiteral("[,]"));
}
template <class C>
P gapXProp()
{
    return field<&C::GapX>("GapX", PropKind::Float).def(2.0).storedIf([](const TfrxPersistent& o) {
        return static_cast<const C&>(o).GapX != 2.0;
    });
}
template <class C>
P gapYProp()
{
    return field<&C::GapY>("GapY", PropKind::Float).def(1.0).storedIf([](const TfrxPersistent& o) {
        return static_cast<const C&>(o).GapY != 1.0;
    });
}
template <class C>
P wysiwygProp() { return field<&C::Wysiwyg>("Wysiwyg", PropKind::Boolean).def(true); }

// A float with a declared default is stored only when it differs from it.
template <auto M, int Default>
bool differsFrom(const TfrxPersistent& o)
{
    using C = typename MemberOf<M>::Class;
    return static_cast<const C&>(o).*M != double(Default);
}

} // namespace

// ---- TfrxView ----

const ClassInfo& TfrxView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxView", &TfrxReportComponent::staticClassInfo(), {
            alignProp(),
            field<&TfrxView::Printable>("Printable", PropKind::Boolean).def(true),
            field<&TfrxView::ShiftMode>("ShiftMode", PropKind::Enum).enums(TfrxShiftModeInfo).def(1),
            leftProp(),
            topProp(),
            widthProp(),
            heightProp(),
            field<&TfrxView::GroupIndex>("GroupIndex", PropKind::Integer).def(0),
            restrictionsProp(),
            visibleProp(),
            field<&TfrxView::OnAfterData>("OnAfterData", PropKind::String),
            onAfterPrintProp(),
            onBeforePrintProp(),
            field<&TfrxView::OnPreviewClick>("OnPreviewClick", PropKind::String),
            colorProp().unpublished(),
            brushStyleProp().unpublished(),
            frameProp().unpublished(),
            cursorProp().unpublished(),
        });
        return built;
    }();
    return info;
}

bool TfrxView::IsAcceptedChild(const TfrxComponent& child) const
{
    return !dynamic_cast<const TfrxReport*>(&child) && !dynamic_cast<const TfrxPage*>(&child)
        && !dynamic_cast<const TfrxBand*>(&child);
}

TfrxView::TfrxView(TfrxComponent* parent) : TfrxReportComponent(parent)
{
    frame_.setOwner(this);
    initProperties(*this, staticClassInfo());
}

void TfrxView::SetDataSetName(const QString& name)
{
    dataSet_.setName(name, Report());
}

// ---- TfrxStretcheable ----

const ClassInfo& TfrxStretcheable::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxStretcheable", &TfrxView::staticClassInfo(), {
            field<&TfrxStretcheable::StretchMode>("StretchMode", PropKind::Enum).enums(TfrxStretchModeInfo).def(0),
        });
        return built;
    }();
    return info;
}

TfrxStretcheable::TfrxStretcheable(TfrxComponent* parent) : TfrxView(parent)
{
    initProperties(*this, staticClassInfo());
}

// ---- text objects ----

const ClassInfo& TfrxCustomMemoView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using M = TfrxCustomMemoView;
        // Values on creation of every text object; TfrxMemoView and TfrxSysMemoView publish them.
        static const ClassInfo built("TfrxCustomMemoView", &TfrxStretcheable::staticClassInfo(), {
            allowExpressionsProp<M>().unpublished(),
            delimitersProp<M>().unpublished(),
            field<&M::Clipped>("Clipped", PropKind::Boolean).def(true).unpublished(),
            gapXProp<M>().unpublished(),
            gapYProp<M>().unpublished(),
            field<&M::LineSpacing>("LineSpacing", PropKind::Float).def(2.0).unpublished(),
            field<&M::WordWrap>("WordWrap", PropKind::Boolean).def(true).unpublished(),
            wysiwygProp<M>().unpublished(),
        });
        return built;
    }();
    return info;
}

TfrxCustomMemoView::TfrxCustomMemoView(TfrxComponent* parent) : TfrxStretcheable(parent)
{
    displayFormat_.setOwner(this);
    highlight_.setOwner(this);
    initProperties(*this, staticClassInfo());
}

void TfrxCustomMemoView::SetText(const QString& text)
{
    Memo.clear();
    if (text.isEmpty())
        return;
    // Most texts are one line, found so by two quick searches rather than a look at each
    // character: every data-bound text of every row comes here.
    if (!text.contains(u'\r') && !text.contains(u'\n')) {
        Memo.append(text);
        return;
    }
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n')
            continue;
        Memo.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        Memo.append(text.mid(start));
}

void TfrxCustomMemoView::BeforePrint()
{
    TfrxStretcheable::BeforePrint();
    // A data-bound object takes its text from the data each time; nothing to keep.
    designTextSaved_ = !IsDataField();
    if (designTextSaved_)
        designText_ = Memo;
}

void TfrxCustomMemoView::AfterPrint()
{
    if (designTextSaved_) {
        Memo = designText_;
        designTextSaved_ = false;
    }
    TfrxStretcheable::AfterPrint();
}

namespace {

// The published properties of a text object, in their stored order; the system text
// object leaves out the data binding, hyperlinks and flow.
std::vector<PropInfo> memoProperties(bool system)
{
    using M = TfrxCustomMemoView;
    std::vector<PropInfo> props{
        allowExpressionsProp<M>(),
        field<&M::AllowHTMLTags>("AllowHTMLTags", PropKind::Boolean).def(false),
        field<&M::AutoWidth>("AutoWidth", PropKind::Boolean).def(false),
        brushStyleProp(),
        field<&M::CharSpacing>("CharSpacing", PropKind::Float).def(0.0).storedIf(differsFrom<&M::CharSpacing, 0>),
        field<&M::Clipped>("Clipped", PropKind::Boolean).def(true),
        colorProp(),
        cursorProp(),
    };
    if (!system) {
        props.push_back(dataFieldProp());
        props.push_back(dataSetProp());
        props.push_back(dataSetNameProp());
    }
    props.push_back(object<static_cast<TfrxFormat& (M::*)()>(&M::DisplayFormat)>("DisplayFormat"));
    props.push_back(delimitersProp<M>());
    if (!system)
        props.push_back(access<&M::FlowTo, &M::SetFlowTo>("FlowTo", PropKind::Reference));
    props.push_back(fontProp());
    props.push_back(frameProp());
    props.push_back(gapXProp<M>());
    props.push_back(gapYProp<M>());
    props.push_back(field<&M::HAlign>("HAlign", PropKind::Enum).enums(TfrxHAlignInfo).def(0));
    props.push_back(field<&M::HideZeros>("HideZeros", PropKind::Boolean).def(false));
    props.push_back(object<static_cast<TfrxHighlight& (M::*)()>(&M::Highlight)>("Highlight"));
    props.push_back(field<&M::LineSpacing>("LineSpacing", PropKind::Float).def(2.0)
                        .storedIf(differsFrom<&M::LineSpacing, 2>));
    props.push_back(field<&M::Memo>("Memo", PropKind::WideStrings));
    props.push_back(field<&M::ParagraphGap>("ParagraphGap", PropKind::Float).def(0.0)
                        .storedIf(differsFrom<&M::ParagraphGap, 0>));
    props.push_back(parentFontProp());
    props.push_back(field<&M::Rotation>("Rotation", PropKind::Integer).def(0));
    props.push_back(field<&M::RTLReading>("RTLReading", PropKind::Boolean).def(false));
    props.push_back(field<&M::Style>("Style", PropKind::String));
    props.push_back(field<&M::SuppressRepeated>("SuppressRepeated", PropKind::Boolean).def(false));
    if (!system) {
        props.push_back(tagStrProp());
        props.push_back(field<&M::Underlines>("Underlines", PropKind::Boolean).def(false));
        props.push_back(urlProp());
    }
    props.push_back(field<&M::VAlign>("VAlign", PropKind::Enum).enums(TfrxVAlignInfo).def(0));
    props.push_back(field<&M::WordBreak>("WordBreak", PropKind::Boolean).def(false));
    props.push_back(field<&M::WordWrap>("WordWrap", PropKind::Boolean).def(true));
    props.push_back(wysiwygProp<M>());
    return props;
}

} // namespace

const ClassInfo& TfrxMemoView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxMemoView", &TfrxCustomMemoView::staticClassInfo(), memoProperties(false),
                                    makeComponent<TfrxMemoView>);
        return built;
    }();
    return info;
}

TfrxMemoView::TfrxMemoView(TfrxComponent* parent) : TfrxCustomMemoView(parent)
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxSysMemoView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxSysMemoView", &TfrxCustomMemoView::staticClassInfo(), memoProperties(true),
                                    makeComponent<TfrxSysMemoView>);
        return built;
    }();
    return info;
}

TfrxSysMemoView::TfrxSysMemoView(TfrxComponent* parent) : TfrxCustomMemoView(parent)
{
    initProperties(*this, staticClassInfo());
}

// ---- lines ----

const ClassInfo& TfrxCustomLineView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using L = TfrxCustomLineView;
        static const ClassInfo built("TfrxCustomLineView", &TfrxStretcheable::staticClassInfo(), {
            field<&L::ArrowEnd>("ArrowEnd", PropKind::Boolean).def(false).unpublished(),
            field<&L::ArrowLength>("ArrowLength", PropKind::Integer).def(20).unpublished(),
            field<&L::ArrowStart>("ArrowStart", PropKind::Boolean).def(false).unpublished(),
            field<&L::ArrowWidth>("ArrowWidth", PropKind::Integer).def(5).unpublished(),
            field<&L::Diagonal>("Diagonal", PropKind::Boolean).def(false).unpublished(),
        });
        return built;
    }();
    return info;
}

TfrxCustomLineView::TfrxCustomLineView(TfrxComponent* parent) : TfrxStretcheable(parent)
{
    initProperties(*this, staticClassInfo());
}

void TfrxCustomLineView::MakeAxisParallel()
{
    if (Diagonal)
        return;
    if (Width() <= Height()) {
        SetWidth(0);
        Frame().Typ = setBit(TfrxFrameType::ftLeft);
    } else {
        SetHeight(0);
        Frame().Typ = setBit(TfrxFrameType::ftTop);
    }
}

const ClassInfo& TfrxLineView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using L = TfrxCustomLineView;
        static const ClassInfo built("TfrxLineView", &TfrxCustomLineView::staticClassInfo(), {
            field<&L::ArrowEnd>("ArrowEnd", PropKind::Boolean).def(false),
            field<&L::ArrowLength>("ArrowLength", PropKind::Integer).def(20),
            field<&L::ArrowStart>("ArrowStart", PropKind::Boolean).def(false),
            field<&L::ArrowWidth>("ArrowWidth", PropKind::Integer).def(5),
            colorProp(),
            cursorProp(),
            field<&L::Diagonal>("Diagonal", PropKind::Boolean).def(false),
            frameProp(),
            tagStrProp(),
            urlProp(),
        }, makeComponent<TfrxLineView>);
        return built;
    }();
    return info;
}

TfrxLineView::TfrxLineView(TfrxComponent* parent) : TfrxCustomLineView(parent)
{
    initProperties(*this, staticClassInfo());
}

// ---- shapes ----

const ClassInfo& TfrxShapeView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using S = TfrxShapeView;
        static const ClassInfo built("TfrxShapeView", &TfrxView::staticClassInfo(), {
            brushStyleProp(),
            colorProp(),
            cursorProp(),
            field<&S::Curve>("Curve", PropKind::Integer).def(0),
            frameProp(),
            field<&S::Shape>("Shape", PropKind::Enum).enums(TfrxShapeKindInfo).def(0),
            tagStrProp(),
            urlProp(),
        }, makeComponent<TfrxShapeView>);
        return built;
    }();
    return info;
}

TfrxShapeView::TfrxShapeView(TfrxComponent* parent) : TfrxView(parent)
{
    initProperties(*this, staticClassInfo());
}

// ---- pictures ----

const ClassInfo& TfrxPictureView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using V = TfrxPictureView;
        static const ClassInfo built("TfrxPictureView", &TfrxView::staticClassInfo(), {
            field<&V::AutoSize>("AutoSize", PropKind::Boolean).def(false),
            field<&V::Center>("Center", PropKind::Boolean).def(false),
            colorProp().def(clWhite),
            cursorProp(),
            dataFieldProp(),
            dataSetProp(),
            dataSetNameProp(),
            field<&V::FileLink>("FileLink", PropKind::String),
            frameProp(),
            field<&V::ImageIndex>("ImageIndex", PropKind::Integer).initial(-1),
            field<&V::KeepAspectRatio>("KeepAspectRatio", PropKind::Boolean).def(true),
            field<&V::Stretched>("Stretched", PropKind::Boolean).def(true),
            tagStrProp(),
            urlProp(),
        }, makeComponent<TfrxPictureView>);
        return built;
    }();
    return info;
}

TfrxPictureView::TfrxPictureView(TfrxComponent* parent) : TfrxView(parent)
{
    initProperties(*this, staticClassInfo());
}

void TfrxPictureView::WriteExtraData(ExtraDataWriter& writer) const
{
    if (!Picture.isEmpty())
        writer.writeBinaryProperty(QStringLiteral("Picture"), Picture);
}

bool TfrxPictureView::SameExtraData(const TfrxComponent& other) const
{
    return Picture == static_cast<const TfrxPictureView&>(other).Picture;
}

bool TfrxPictureView::ReadExtraProperty(const QString& name, ExtraDataReader& reader)
{
    if (name.compare(QLatin1StringView("Picture"), Qt::CaseInsensitive) != 0)
        return false;
    Picture = reader.readBinary();
    return true;
}

// ---- subreports ----

const ClassInfo& TfrxSubreport::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using S = TfrxSubreport;
        static const ClassInfo built("TfrxSubreport", &TfrxView::staticClassInfo(), {
            access<&S::Page, &S::SetPage>("Page", PropKind::Reference),
            field<&S::PrintOnParent>("PrintOnParent", PropKind::Boolean).def(false),
        }, makeComponent<TfrxSubreport>);
        return built;
    }();
    return info;
}

TfrxSubreport::TfrxSubreport(TfrxComponent* parent) : TfrxView(parent)
{
    initProperties(*this, staticClassInfo());
    Frame().Typ = setBit(TfrxFrameType::ftLeft) | setBit(TfrxFrameType::ftRight) | setBit(TfrxFrameType::ftTop)
        | setBit(TfrxFrameType::ftBottom);
    TfrxFont font;
    font.SetName(QStringLiteral("Tahoma"));
    font.SetSize(8);
    SetFont(font);
    Color = clSilver;
}

TfrxReportPage* TfrxSubreport::Page() const
{
    return page_.get();
}

void TfrxSubreport::SetPage(TfrxReportPage* page)
{
    page_.set(page);
}

// ---- rich text ----

const ClassInfo& TfrxRichView::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using R = TfrxRichView;
        static const ClassInfo built("TfrxRichView", &TfrxStretcheable::staticClassInfo(), {
            allowExpressionsProp<R>(),
            brushStyleProp(),
            colorProp(),
            cursorProp(),
            dataFieldProp(),
            dataSetProp(),
            dataSetNameProp(),
            delimitersProp<R>(),
            access<&R::FlowTo, &R::SetFlowTo>("FlowTo", PropKind::Reference),
            frameProp(),
            gapXProp<R>(),
            gapYProp<R>(),
            tagStrProp(),
            urlProp(),
            wysiwygProp<R>(),
        }, makeComponent<TfrxRichView>);
        return built;
    }();
    return info;
}

TfrxRichView::TfrxRichView(TfrxComponent* parent) : TfrxStretcheable(parent)
{
    initProperties(*this, staticClassInfo());
}

void TfrxRichView::WriteExtraData(ExtraDataWriter& writer) const
{
    if (!RichText.isEmpty())
        writer.writeBinaryProperty(QStringLiteral("RichEdit"), RichText);
}

bool TfrxRichView::SameExtraData(const TfrxComponent& other) const
{
    return RichText == static_cast<const TfrxRichView&>(other).RichText;
}

bool TfrxRichView::ReadExtraProperty(const QString& name, ExtraDataReader& reader)
{
    if (name.compare(QLatin1StringView("RichEdit"), Qt::CaseInsensitive) != 0)
        return false;
    RichText = reader.readBinary();
    return true;
}

namespace {
QString (*richTextReader)(const QByteArray&) = nullptr;
}

void TfrxRichView::BeforePrint()
{
    TfrxStretcheable::BeforePrint();
    designText_ = RichText;
    designTextSaved_ = true;
}

void TfrxRichView::AfterPrint()
{
    if (designTextSaved_) {
        RichText = designText_;
        designTextSaved_ = false;
    }
    PartRemainder.clear();
    TfrxStretcheable::AfterPrint();
}

QString TfrxRichView::GetComponentText() const
{
    return richTextReader ? richTextReader(RichText) : QString();
}

void TfrxRichView::SetTextReader(QString (*reader)(const QByteArray& content))
{
    richTextReader = reader;
}

} // namespace report
