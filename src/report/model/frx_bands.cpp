#include "report/model/frx_bands.h"

#include "report/model/detail/component_props.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"

#include <cmath>

namespace report {

using namespace detail;

namespace {

template <auto M>
P flag(const char* name, bool value = false)
{
    return field<M>(name, PropKind::Boolean).def(value);
}

P allowSplitProp() { return flag<&TfrxBand::AllowSplit>("AllowSplit"); }
P keepChildProp() { return flag<&TfrxBand::KeepChild>("KeepChild"); }
P printChildProp() { return flag<&TfrxBand::PrintChildIfInvisible>("PrintChildIfInvisible"); }
P startNewPageProp() { return flag<&TfrxBand::StartNewPage>("StartNewPage"); }
P stretchedProp() { return flag<&TfrxBand::Stretched>("Stretched"); }
P childProp() { return access<&TfrxBand::Child, &TfrxBand::SetChild>("Child", PropKind::Reference); }

// Title, summary and child bands publish the same set.
std::vector<PropInfo> titleLikeProperties()
{
    return {allowSplitProp(), childProp(), keepChildProp(), printChildProp(), startNewPageProp(), stretchedProp()};
}

} // namespace

const QStringList& bandKindTable()
{
    static const QStringList table{
        QStringLiteral("TfrxReportTitle"), QStringLiteral("TfrxReportSummary"), QStringLiteral("TfrxPageHeader"),
        QStringLiteral("TfrxPageFooter"),  QStringLiteral("TfrxHeader"),        QStringLiteral("TfrxFooter"),
        QStringLiteral("TfrxMasterData"),  QStringLiteral("TfrxDetailData"),    QStringLiteral("TfrxSubdetailData"),
        QStringLiteral("TfrxDataBand4"),   QStringLiteral("TfrxDataBand5"),     QStringLiteral("TfrxDataBand6"),
        QStringLiteral("TfrxGroupHeader"), QStringLiteral("TfrxGroupFooter"),   QStringLiteral("TfrxChild"),
        QStringLiteral("TfrxColumnHeader"), QStringLiteral("TfrxColumnFooter"), QStringLiteral("TfrxOverlay"),
    };
    return table;
}

// ---- TfrxBand ----

const ClassInfo& TfrxBand::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxBand", &TfrxReportComponent::staticClassInfo(), {
            leftProp(),
            topProp(),
            widthProp(),
            heightProp(),
            fontProp(),
            parentFontProp(),
            restrictionsProp(),
            visibleProp(),
            flag<&TfrxBand::Vertical>("Vertical"),
            field<&TfrxBand::OnAfterCalcHeight>("OnAfterCalcHeight", PropKind::String),
            onAfterPrintProp(),
            onBeforePrintProp(),
        });
        return built;
    }();
    return info;
}

TfrxBand::TfrxBand(TfrxComponent* parent) : TfrxReportComponent(parent)
{
    initProperties(*this, staticClassInfo());
}

TfrxBand::~TfrxBand() = default;

bool TfrxBand::IsAcceptedChild(const TfrxComponent& child) const
{
    return dynamic_cast<const TfrxView*>(&child) || dynamic_cast<const TfrxDialogComponent*>(&child);
}

int TfrxBand::BandNumber() const
{
    const qsizetype n = bandKindTable().indexOf(ClassName());
    return n < 0 ? 0 : int(n);
}

namespace {
bool onCharacterGrid(const TfrxBand& band)
{
    const TfrxPage* page = band.Page();
    return page && page->classInfo().inheritsFrom(TfrxReportPage::staticClassInfo())
        && static_cast<const TfrxReportPage*>(page)->IsCharacterGrid();
}
} // namespace

void TfrxBand::SetLeft(double value)
{
    TfrxReportComponent::SetLeft(onCharacterGrid(*this) ? std::round(value / fr1CharX) * fr1CharX : value);
}

void TfrxBand::SetTop(double value)
{
    TfrxReportComponent::SetTop(onCharacterGrid(*this) ? std::round(value / fr1CharY) * fr1CharY : value);
}

void TfrxBand::SetHeight(double value)
{
    TfrxReportComponent::SetHeight(onCharacterGrid(*this) ? std::round(value / fr1CharY) * fr1CharY : value);
}

TfrxChild* TfrxBand::Child() const
{
    return child_.get();
}

void TfrxBand::SetChild(TfrxChild* child)
{
    QList<const TfrxBand*> seen;
    for (const TfrxBand* b = child; b; b = b->Child()) {
        if (b == this)
            throw ReportError(QStringLiteral("Circular child reference is not allowed"));
        if (seen.contains(b))
            break; // an existing loop further on does not involve this band
        seen.append(b);
    }
    child_.set(child);
}

#define SIMPLE_BAND(Class, ...)                                                                          \
    const ClassInfo& Class::staticClassInfo()                                                            \
    {                                                                                                    \
        static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {              \
            static const ClassInfo built(#Class, &TfrxBand::staticClassInfo(), __VA_ARGS__,             \
                                         makeComponent<Class>);                                          \
            return built;                                                                                \
        }();                                                                                             \
        return info;                                                                                     \
    }                                                                                                    \
    Class::Class(TfrxComponent* parent) : TfrxBand(parent)                                               \
    {                                                                                                    \
        initProperties(*this, staticClassInfo());                                                        \
    }

SIMPLE_BAND(TfrxReportTitle, titleLikeProperties())
SIMPLE_BAND(TfrxReportSummary, titleLikeProperties())
SIMPLE_BAND(TfrxChild, titleLikeProperties())
SIMPLE_BAND(TfrxPageHeader, {childProp(), printChildProp(),
                             flag<&TfrxPageHeader::PrintOnFirstPage>("PrintOnFirstPage", true), stretchedProp()})
SIMPLE_BAND(TfrxPageFooter, {flag<&TfrxPageFooter::PrintOnFirstPage>("PrintOnFirstPage", true),
                             flag<&TfrxPageFooter::PrintOnLastPage>("PrintOnLastPage", true)})
SIMPLE_BAND(TfrxHeader, {allowSplitProp(), childProp(), keepChildProp(), printChildProp(),
                         flag<&TfrxHeader::ReprintOnNewPage>("ReprintOnNewPage"), startNewPageProp(), stretchedProp()})
SIMPLE_BAND(TfrxFooter, {allowSplitProp(), childProp(), keepChildProp(), printChildProp(), stretchedProp()})
SIMPLE_BAND(TfrxGroupHeader,
            {allowSplitProp(), childProp(), field<&TfrxGroupHeader::Condition>("Condition", PropKind::String),
             flag<&TfrxGroupHeader::DrillDown>("DrillDown"), flag<&TfrxGroupHeader::ExpandDrillDown>("ExpandDrillDown"),
             keepChildProp(), flag<&TfrxGroupHeader::KeepTogether>("KeepTogether"),
             flag<&TfrxGroupHeader::ReprintOnNewPage>("ReprintOnNewPage"),
             field<&TfrxGroupHeader::OutlineText>("OutlineText", PropKind::String), printChildProp(),
             flag<&TfrxGroupHeader::ResetPageNumbers>("ResetPageNumbers"),
             flag<&TfrxGroupHeader::ShowFooterIfDrillDown>("ShowFooterIfDrillDown"), startNewPageProp(),
             stretchedProp()})
SIMPLE_BAND(TfrxGroupFooter, {allowSplitProp(), childProp(),
                              flag<&TfrxGroupFooter::HideIfSingleDataRecord>("HideIfSingleDataRecord"),
                              keepChildProp(), printChildProp(), stretchedProp()})
SIMPLE_BAND(TfrxColumnHeader, {stretchedProp()})
SIMPLE_BAND(TfrxColumnFooter, {})
SIMPLE_BAND(TfrxOverlay, {flag<&TfrxOverlay::PrintOnTop>("PrintOnTop")})
SIMPLE_BAND(TfrxNullBand, {})
#undef SIMPLE_BAND

// ---- data bands ----

const ClassInfo& TfrxDataBand::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using D = TfrxDataBand;
        static const ClassInfo built("TfrxDataBand", &TfrxBand::staticClassInfo(), {
            allowSplitProp(),
            childProp(),
            field<&D::ColumnGap>("ColumnGap", PropKind::Float).def(0.0).storedIf([](const TfrxPersistent& o) {
                return static_cast<const D&>(o).ColumnGap != 0;
            }),
            field<&D::Columns>("Columns", PropKind::Integer).def(0),
            field<&D::ColumnWidth>("ColumnWidth", PropKind::Float).def(0.0).storedIf([](const TfrxPersistent& o) {
                return static_cast<const D&>(o).ColumnWidth != 0;
            }),
            access<&D::DataSet, &D::SetDataSet>("DataSet", PropKind::Reference),
            access<&D::DataSetName, &D::SetDataSetName>("DataSetName", PropKind::String),
            flag<&D::FooterAfterEach>("FooterAfterEach"),
            keepChildProp(),
            flag<&D::KeepFooter>("KeepFooter"),
            flag<&D::KeepHeader>("KeepHeader"),
            flag<&D::KeepTogether>("KeepTogether"),
            field<&D::OutlineText>("OutlineText", PropKind::String),
            printChildProp(),
            flag<&D::PrintIfDetailEmpty>("PrintIfDetailEmpty"),
            access<&D::RowCount, &D::SetRowCount>("RowCount", PropKind::Integer),
            startNewPageProp(),
            stretchedProp(),
            field<&D::OnMasterDetail>("OnMasterDetail", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxDataBand::TfrxDataBand(TfrxComponent* parent)
    : TfrxBand(parent), virtualDataSet_(std::make_unique<TfrxUserDataSet>())
{
    virtualDataSet_->RangeEnd = TfrxRangeEnd::reCount;
    initProperties(*this, staticClassInfo());
}

TfrxDataBand::~TfrxDataBand() = default;

void TfrxDataBand::SetDataSetName(const QString& name)
{
    dataSet_.setName(name, Report());
}

int TfrxDataBand::RowCount() const
{
    return virtualDataSet_->RangeEndCount;
}

void TfrxDataBand::SetRowCount(int count)
{
    virtualDataSet_->RangeEndCount = count;
}

#define DATA_BAND(Class)                                                                                 \
    const ClassInfo& Class::staticClassInfo()                                                            \
    {                                                                                                    \
        static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {              \
            static const ClassInfo built(#Class, &TfrxDataBand::staticClassInfo(), {},                   \
                                         makeComponent<Class>);                                          \
            return built;                                                                                \
        }();                                                                                             \
        return info;                                                                                     \
    }
DATA_BAND(TfrxMasterData)
DATA_BAND(TfrxDetailData)
DATA_BAND(TfrxSubdetailData)
DATA_BAND(TfrxDataBand4)
DATA_BAND(TfrxDataBand5)
DATA_BAND(TfrxDataBand6)
#undef DATA_BAND

} // namespace report
