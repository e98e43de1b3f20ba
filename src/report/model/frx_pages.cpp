#include "report/model/frx_pages.h"

#include "report/frx_resources.h"
#include "report/model/detail/component_props.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/model/extra_data.h"
#include "report/xml/xml_number.h"

#include <cmath>

namespace report {

using namespace detail;

namespace {

TfrxReportPage::DefaultPaperProvider defaultPaperProvider = nullptr;

double roundTo8(double value)
{
    // Beyond 1e7 mm the product would leave the range where rounding means anything.
    return std::abs(value) < 1e7 ? std::round(value * 1e8) / 1e8 : value;
}

// More page columns than this are a damaged value, not a layout.
constexpr int maxColumns = 1000;

} // namespace

const ClassInfo& TfrxPage::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxPage", &TfrxComponent::staticClassInfo(), {
            fontProp(),
            visibleProp(),
        });
        return built;
    }();
    return info;
}

TfrxPage::TfrxPage(TfrxComponent* parent) : TfrxComponent(parent)
{
    initProperties(*this, staticClassInfo());
}

// ---- report page ----

const ClassInfo& TfrxReportPage::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using R = TfrxReportPage;
        // Orientation, paper and margins come first and Columns before the column values, so
        // that reading them in this order reproduces what was written.
        static const ClassInfo built("TfrxReportPage", &TfrxPage::staticClassInfo(), {
            access<&R::Orientation, &R::SetOrientation>("Orientation", PropKind::Enum).enums(TPrinterOrientationInfo).def(0),
            access<&R::PaperWidth, &R::SetPaperWidth>("PaperWidth", PropKind::Float),
            access<&R::PaperHeight, &R::SetPaperHeight>("PaperHeight", PropKind::Float),
            access<&R::PaperSize, &R::SetPaperSize>("PaperSize", PropKind::Integer).initial(9),
            field<&R::LeftMargin>("LeftMargin", PropKind::Float).initial(0.0),
            field<&R::RightMargin>("RightMargin", PropKind::Float).initial(0.0),
            field<&R::TopMargin>("TopMargin", PropKind::Float).initial(0.0),
            field<&R::BottomMargin>("BottomMargin", PropKind::Float).initial(0.0),
            access<&R::Columns, &R::SetColumns>("Columns", PropKind::Integer).def(0),
            field<&R::ColumnWidth>("ColumnWidth", PropKind::Float).storedIf([](const TfrxPersistent& o) {
                return static_cast<const R&>(o).Columns() > 0;
            }),
            field<&R::ColumnPositions>("ColumnPositions", PropKind::Strings),
            field<&R::Bin>("Bin", PropKind::Integer).def(7),
            field<&R::BinOtherPages>("BinOtherPages", PropKind::Integer).def(7),
            field<&R::Color>("Color", PropKind::Integer).def(clTransparent),
            access<&R::DataSet, &R::SetDataSet>("DataSet", PropKind::Reference),
            access<&R::DataSetName, &R::SetDataSetName>("DataSetName", PropKind::String),
            field<&R::Duplex>("Duplex", PropKind::Enum).enums(TfrxDuplexModeInfo).def(0),
            field<&R::EndlessHeight>("EndlessHeight", PropKind::Boolean).def(false),
            field<&R::EndlessWidth>("EndlessWidth", PropKind::Boolean).def(false),
            object<static_cast<TfrxFrame& (R::*)()>(&R::Frame)>("Frame"),
            field<&R::HGuides>("HGuides", PropKind::Strings),
            field<&R::LargeDesignHeight>("LargeDesignHeight", PropKind::Boolean).def(false),
            field<&R::MirrorMargins>("MirrorMargins", PropKind::Boolean).def(false),
            field<&R::OutlineText>("OutlineText", PropKind::String),
            field<&R::PrintIfEmpty>("PrintIfEmpty", PropKind::Boolean).def(true),
            field<&R::PrintOnPreviousPage>("PrintOnPreviousPage", PropKind::Boolean).def(false),
            field<&R::TitleBeforeHeader>("TitleBeforeHeader", PropKind::Boolean).def(true),
            field<&R::VGuides>("VGuides", PropKind::Strings),
            field<&R::OnAfterPrint>("OnAfterPrint", PropKind::String),
            field<&R::OnBeforePrint>("OnBeforePrint", PropKind::String),
            field<&R::OnManualBuild>("OnManualBuild", PropKind::String),
        }, makeComponent<TfrxReportPage>);
        return built;
    }();
    return info;
}

TfrxReportPage::TfrxReportPage(TfrxComponent* parent) : TfrxPage(parent)
{
    frame_.setOwner(this);
    initProperties(*this, staticClassInfo());
}

void TfrxReportPage::SetPaperSize(int code)
{
    paperSize_ = code;
    if (code < customPaperSize) {
        if (const PaperInfo* paper = findPaper(code)) {
            const bool landscape = orientation_ == TPrinterOrientation::poLandscape;
            paperWidth_ = landscape ? paper->heightMm : paper->widthMm;
            paperHeight_ = landscape ? paper->widthMm : paper->heightMm;
        }
    }
    UpdateDimensions();
}

void TfrxReportPage::SetPaperWidth(double mm)
{
    paperWidth_ = roundTo8(mm);
    paperSize_ = customPaperSize;
    UpdateDimensions();
}

void TfrxReportPage::SetPaperHeight(double mm)
{
    paperHeight_ = roundTo8(mm);
    paperSize_ = customPaperSize;
    UpdateDimensions();
}

void TfrxReportPage::SetOrientation(TPrinterOrientation orientation)
{
    if (orientation == orientation_)
        return;
    orientation_ = orientation;
    std::swap(paperWidth_, paperHeight_);
    const double left = LeftMargin, right = RightMargin, top = TopMargin, bottom = BottomMargin;
    if (orientation == TPrinterOrientation::poLandscape) {
        LeftMargin = top;
        RightMargin = bottom;
        TopMargin = right;
        BottomMargin = left;
    } else {
        LeftMargin = bottom;
        RightMargin = top;
        TopMargin = left;
        BottomMargin = right;
    }
    UpdateDimensions();
}

void TfrxReportPage::SetColumns(int columns)
{
    if (columns > maxColumns)
        throw ReportError(frxGet(QStringLiteral("prInvProp")));
    columns_ = columns;
    ColumnPositions.clear();
    if (columns <= 0)
        return;
    ColumnWidth = (paperWidth_ - LeftMargin - RightMargin) / columns;
    for (int i = 0; i < columns; ++i)
        ColumnPositions.append(floatToText(i * ColumnWidth));
}

void TfrxReportPage::SetDataSetName(const QString& name)
{
    dataSet_.setName(name, Report());
}

void TfrxReportPage::setDefaultPaperProvider(DefaultPaperProvider provider)
{
    defaultPaperProvider = provider;
}

void TfrxReportPage::SetDefaults()
{
    LeftMargin = RightMargin = TopMargin = BottomMargin = 10;
    DefaultPaper paper{9, 210, 297, TPrinterOrientation::poPortrait};
    if (defaultPaperProvider)
        paper = defaultPaperProvider();
    orientation_ = paper.orientation;
    paperSize_ = paper.code;
    paperWidth_ = roundTo8(paper.widthMm);
    paperHeight_ = roundTo8(paper.heightMm);
    UpdateDimensions();
}

void TfrxReportPage::UpdateDimensions()
{
    SetWidth(std::round(paperWidth_ * fr01cm));
    SetHeight(std::round(paperHeight_ * fr01cm));
}

void TfrxReportPage::AlignChildren()
{
    // Align within the printable area, then give the page back its paper size.
    SetWidth((paperWidth_ - LeftMargin - RightMargin) * fr01cm);
    SetHeight((paperHeight_ - TopMargin - BottomMargin) * fr01cm);
    TfrxComponent::AlignChildren();
    for (TfrxComponent* child : Objects()) {
        auto* band = dynamic_cast<TfrxBand*>(child);
        if (!band)
            continue;
        if (band->Vertical)
            band->SetHeight(Height() - band->Top());
        else
            band->SetWidth(Width() - band->Left());
        band->AlignChildren();
    }
    UpdateDimensions();
}

void TfrxReportPage::WriteExtraData(ExtraDataWriter& writer) const
{
    if (!BackPicture.isEmpty())
        writer.writeBinaryProperty(QStringLiteral("BackPicture"), BackPicture);
}

bool TfrxReportPage::ReadExtraProperty(const QString& name, ExtraDataReader& reader)
{
    if (name.compare(QLatin1StringView("BackPicture"), Qt::CaseInsensitive) != 0)
        return false;
    BackPicture = reader.readBinary();
    return true;
}

// ---- data and dialog pages ----

const ClassInfo& TfrxDataPage::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxDataPage", &TfrxPage::staticClassInfo(), {
            heightProp().initial(1000.0),
            leftProp(),
            topProp(),
            widthProp().initial(1000.0),
        }, makeComponent<TfrxDataPage>);
        return built;
    }();
    return info;
}

TfrxDataPage::TfrxDataPage(TfrxComponent* parent) : TfrxPage(parent)
{
    initProperties(*this, staticClassInfo());
}

const ClassInfo& TfrxDialogPage::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxDialogPage", &TfrxPage::staticClassInfo(), {
            field<&TfrxDialogPage::Caption>("Caption", PropKind::String),
            heightProp(),
            leftProp(),
            topProp(),
            widthProp(),
        }, makeComponent<TfrxDialogPage>);
        return built;
    }();
    return info;
}

TfrxDialogPage::TfrxDialogPage(TfrxComponent* parent) : TfrxPage(parent)
{
    initProperties(*this, staticClassInfo());
}

namespace {

bool isPageOrReport(const TfrxComponent& c)
{
    return dynamic_cast<const TfrxPage*>(&c) || dynamic_cast<const TfrxReport*>(&c);
}

} // namespace

bool TfrxPage::IsAcceptedChild(const TfrxComponent& child) const { return !isPageOrReport(child); }

bool TfrxReportPage::IsAcceptedChild(const TfrxComponent& child) const
{
    return dynamic_cast<const TfrxBand*>(&child) || dynamic_cast<const TfrxView*>(&child)
        || dynamic_cast<const TfrxDialogComponent*>(&child);
}

bool TfrxDataPage::IsAcceptedChild(const TfrxComponent& child) const
{
    return !isPageOrReport(child) && !dynamic_cast<const TfrxBand*>(&child);
}

} // namespace report
