// Output of one band: the page break before it, preparing its objects (data, growth,
// shifting), placing it on the prepared page, and putting the template back afterwards.

#include "report/engine/frx_engine.h"

#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_calc.h"
#include "report/calc/frx_object_data.h"
#include "report/engine/engine_extensions.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/render/item_render.h"

#include <QVarLengthArray>
#include <algorithm>
#include <utility>

namespace report {

namespace {

// A band that fits the free space up to rounding of the sums of heights is placed.
constexpr double kFitTolerance = 1e-7;
constexpr double kEps = 0.0001;

struct Box {
    double left, top, width, height;
    TfrxView* view;
    double bottom() const { return top + height; }
};

bool overlapsHorizontally(const Box& a, const Box& b)
{
    return !(a.left >= b.left + b.width - kEps || b.left >= a.left + a.width - kEps);
}

QList<TfrxView*> viewsOf(const TfrxBand& band)
{
    QList<TfrxView*> views;
    for (TfrxComponent* c : band.Objects())
        if (auto* v = as<TfrxView>(c))
            views.append(v);
    return views;
}

// The band's objects in order of Top as "%9.2f" text, after an imaginary object above them
// all that stands for the band itself.
std::vector<Box> shiftOrder(const TfrxBand& band)
{
    std::vector<std::pair<QString, TfrxView*>> keyed;
    for (TfrxView* v : viewsOf(band))
        keyed.emplace_back(QString::asprintf("%9.2f", v->Top()), v);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Box> boxes{{0, -2, band.Width(), 1, nullptr}};
    for (const auto& [key, v] : keyed)
        boxes.push_back({v->Left(), v->Top(), v->Width(), v->Height(), v});
    return boxes;
}

void computeShiftLists(const TfrxBand& band, BandRun& run)
{
    const std::vector<Box> boxes = shiftOrder(band);
    for (std::size_t a = 0; a < boxes.size(); ++a) {
        QList<TfrxView*>& list = a == 0 ? run.ownShiftList : run.shiftLists[boxes[a].view];
        const Box& A = boxes[a];
        for (std::size_t b = a + 1; b < boxes.size(); ++b) {
            const Box& B = boxes[b];
            if (B.top - A.bottom() <= -kEps || !overlapsHorizontally(A, B))
                continue;
            bool between = false;
            for (std::size_t c = a + 1; c < b && !between; ++c) {
                const Box& C = boxes[c];
                between = C.top > A.bottom() - kEps && B.top + kEps > C.bottom() && overlapsHorizontally(C, B);
            }
            if (!between)
                list.append(B.view);
        }
    }
    run.shiftReady = true;
}

bool isStretching(const TfrxView& view)
{
    const auto* s = as<TfrxStretcheable>(&view);
    return s && s->StretchMode != TfrxStretchMode::smDontStretch;
}

} // namespace

void TfrxEngine::ShowBand(TfrxBand* band)
{
    if (!band)
        return;
    // The child chain is followed in a loop: its length comes from the template.
    QList<TfrxBand*> keeping;
    const qsizetype maxChain = band->Parent() ? band->Parent()->Objects().size() : 1;
    qsizetype n = 0;
    for (TfrxBand* b = band; b && n <= maxChain; b = b->Child(), ++n) {
        if (b->KeepChild) {
            ext_->openKeep(*this, *b);
            keeping.append(b);
        }
        outputBand(*b);
        if (!b->Visible() && !b->PrintChildIfInvisible)
            break;
    }
    for (qsizetype i = keeping.size() - 1; i >= 0; --i)
        ext_->closeKeep(*this, *keeping[i]);
    if (as<TfrxDataBand>(band))
        calc_.Aggregates().AddValue(band, band->Visible());
}

void TfrxEngine::outputBand(TfrxBand& band)
{
    if (state_.of(band).crossedByVertical && ext_->outputAcrossVerticalBands(*this, band))
        return;
    const bool firstRowBand = as<TfrxDataBand>(&band) || as<TfrxGroupHeader>(&band);
    if (!calledFromAddPage_ && band.Visible() && band.StartNewPage && !ext_->collecting()
        && (!firstRowBand || band.LineN != 1)) {
        pageBreakBand_ = &band;
        if (auto* g = as<TfrxGroupHeader>(&band); g && g->ResetPageNumbers)
            pages_.CloseLogicalPageGroup();
        NewPage();
        pageBreakBand_ = nullptr;
    }
    try {
        prepareBand(band);
        if (band.Visible())
            placeBand(band);
    } catch (...) {
        unprepareBand(band);
        throw;
    }
    unprepareBand(band);
    calc_.Aggregates().Reset(&band);
    if (band.Visible())
        ext_->runSubreports(*this, band);
}

void TfrxEngine::placeBand(TfrxBand& band)
{
    auto* data = as<TfrxDataBand>(&band);
    const bool multiColumn = data && data->Columns > 1;
    const bool carrier = as<TfrxNullBand>(&band) != nullptr;
    if (!multiColumn && !carrier && !as<TfrxOverlay>(&band) && !ext_->collecting()
        && FreeSpace() < band.Height() - kFitTolerance) {
        if (!calledFromAddPage_) {
            if (band.AllowSplit && ext_->splitBand(*this, band))
                return;
            NewColumn();
        } else if (splitAtPageStart(band)) {
            return;
        }
    }
    band.SetLeft(multiColumn ? ext_->columnLeft(*this, band) + CurX : CurX);
    if (!carrier)
        band.SetTop(CurY);
    state_.of(band).placedTop = band.Top();
    if (ext_->collectOutput(*this, band)) {
    } else if (!calledFromAddPage_ || !pages_.PageHasBand(band)) {
        checkPageObjects(band);
        pages_.AppendObject(band);
    }
    CurY += band.Height();
    pages_.Engine().CurY = CurY;
}

// A band printed while a page starts (title, reprinted headers) that does not fit is split
// when it may be; otherwise it goes there whatever its height, as does the page header:
// moving it on would start yet another page. A band already being split from an earlier
// page start goes out whole, so that a header taller than a page cannot start pages without
// end.
bool TfrxEngine::splitAtPageStart(TfrxBand& band)
{
    if (!band.AllowSplit || as<TfrxPageHeader>(&band) || splittingAtPageStart_.contains(&band))
        return false;
    splittingAtPageStart_.insert(&band);
    const bool wasFromAddPage = std::exchange(calledFromAddPage_, false);
    bool split = false;
    try {
        split = ext_->splitBand(*this, band);
    } catch (...) {
        splittingAtPageStart_.remove(&band);
        calledFromAddPage_ = wasFromAddPage;
        throw;
    }
    splittingAtPageStart_.remove(&band);
    calledFromAddPage_ = wasFromAddPage;
    return split;
}

void TfrxEngine::publishState()
{
    SystemValues& sys = calc_.System();
    sys.pageNo = pages_.CurPage() + 1;
    sys.page = pages_.LogicalPageNumber();
    sys.totalPages = pages_.LogicalPageTotal();
    sys.totalPagesAll = TotalPages;
    sys.line = line_;
    sys.lineThrough = lineThrough_;
    // Only what changed, under the lower-case names the table keeps: the names are then not
    // lower-cased anew for every band.
    MemberTable& m = calc_.EngineMembers();
    Published& p = published_;
    const auto put = [&m, &p](auto& last, auto value, const QString& lowerName) {
        if (p.valid && last == value)
            return;
        last = value;
        m.set(lowerName, Value(value));
    };
    put(p.curX, CurX, QStringLiteral("curx"));
    put(p.curY, CurY, QStringLiteral("cury"));
    put(p.curColumn, CurColumn, QStringLiteral("curcolumn"));
    put(p.pageNo, sys.pageNo, QStringLiteral("pageno"));
    put(p.totalPages, TotalPages, QStringLiteral("totalpages"));
    put(p.finalPass, FinalPass, QStringLiteral("finalpass"));
    put(p.doublePass, DoublePass, QStringLiteral("doublepass"));
    put(p.pageWidth, PageWidth, QStringLiteral("pagewidth"));
    put(p.pageHeight, PageHeight, QStringLiteral("pageheight"));
    put(p.freeSpace, FreeSpace(), QStringLiteral("freespace"));
    p.valid = true;
    pages_.Engine().CurY = CurY;
}

void TfrxEngine::prepareBand(TfrxBand& band)
{
    calc_.SetCurrentBand(&band);
    BandRun& run = state_.of(band);
    // From the designed bounds, before anything grows; only bands that can grow need them.
    if (!run.shiftReady) {
        const QList<TfrxView*> views = viewsOf(band);
        if (std::any_of(views.begin(), views.end(), [](const TfrxView* v) { return isStretching(*v); }))
            computeShiftLists(band, run);
        run.shiftReady = true;
    }
    calc_.SetCurrentObjectName(band.Name());
    band.BeforePrint();
    run.prepared = true;
    run.preparedObjects = 0;
    run.designedTexts.clear();
    publishState();
    if (hooks_.OnBeforePrint)
        hooks_.OnBeforePrint(band);
    runProcedure("OnBeforePrint", band.OnBeforePrint, &band);
    prepareObjects(band);
    if (!band.Visible())
        return;
    for (const auto& [view, growth] : run.growth) {
        if (growth > 0) {
            shiftObjects(band);
            break;
        }
    }
    run.growth.clear();
    ext_->runParentSubreports(*this, band);
    // The objects as they are before OnAfterCalcHeight, in a list on the stack: this runs
    // for every band printed.
    double maxBottom = 0;
    QVarLengthArray<TfrxStretcheable*, 32> stretcheables;
    for (TfrxComponent* c : band.Objects()) {
        if (auto* v = as<TfrxView>(c)) {
            maxBottom = std::max(maxBottom, v->Top() + v->Height());
            if (auto* s = as<TfrxStretcheable>(v))
                stretcheables.append(s);
        }
    }
    if (band.Stretched)
        band.SetHeight(maxBottom);
    calc_.SetCurrentObjectName(band.Name());
    runProcedure("OnAfterCalcHeight", band.OnAfterCalcHeight, &band);
    for (TfrxStretcheable* s : stretcheables)
        if (s->StretchMode == TfrxStretchMode::smMaxHeight)
            s->SetHeight(maxBottom - s->Top());
}

void TfrxEngine::prepareObjects(TfrxBand& band)
{
    BandRun& run = state_.of(band);
    for (TfrxComponent* c : band.Objects()) {
        auto* object = as<TfrxReportComponent>(c);
        if (!object)
            continue;
        calc_.SetCurrentObjectName(object->Name());
        object->BeforePrint();
        ++run.preparedObjects;
        run.designedTexts.push_back({});
        if (!band.Visible())
            continue;
        if (hooks_.OnBeforePrint)
            hooks_.OnBeforePrint(*object);
        runProcedure("OnBeforePrint", object->OnBeforePrint, object);
        auto* view = as<TfrxView>(object);
        if (!object->Visible() || !view)
            continue;
        run.designedTexts.back() = getObjectData(calc_, *object);
        runProcedure("OnAfterData", view->OnAfterData, view);
        if (isStretching(*view)) {
            const double h = calcItemHeight(*view);
            const double growth = h > view->Height() ? h - view->Height() : 0;
            if (growth > 0)
                view->SetHeight(h);
            run.growth[view] = growth;
        }
    }
}

// Objects below a grown object move down by the shift they are offered, by their ShiftMode.
// Each object is handled once, in the order of the shift lists (which only point
// downwards), with the largest shift offered to it; no recursion over the lists.
void TfrxEngine::shiftObjects(TfrxBand& band)
{
    BandRun& run = state_.of(band);
    const std::vector<Box> order = shiftOrder(band);
    struct Offer {
        double shift = -1;
        double aboveBottom = 0;
        bool fromOwnList = false;
    };
    std::unordered_map<const TfrxView*, Offer> offers;
    for (TfrxView* v : run.ownShiftList) {
        Offer& o = offers[v];
        o.shift = std::max(o.shift, 0.0);
        o.fromOwnList = true;
    }
    for (std::size_t i = 1; i < order.size(); ++i) {
        TfrxView* b = order[i].view;
        const auto found = offers.find(b);
        if (found == offers.end() || found->second.shift < 0)
            continue;
        const Offer o = found->second;
        const double growth = run.growth.count(b) ? run.growth[b] : 0;
        double pass = -1;
        switch (b->ShiftMode) {
        case TfrxShiftMode::smAlways:
            b->SetTop(b->Top() + o.shift);
            pass = o.shift + growth;
            break;
        case TfrxShiftMode::smWhenOverlapped:
            if (o.fromOwnList || b->Top() >= o.aboveBottom - kEps) {
                pass = growth;
            } else {
                const double moved = o.aboveBottom - b->Top();
                b->SetTop(o.aboveBottom);
                pass = moved + growth;
            }
            break;
        case TfrxShiftMode::smDontShift:
            if (growth > 0)
                pass = o.shift + growth;
            break;
        }
        if (pass < 0)
            continue;
        for (TfrxView* below : run.shiftLists[b]) {
            Offer& next = offers[below];
            next.shift = std::max(next.shift, pass);
            next.aboveBottom = std::max(next.aboveBottom, b->Top() + b->Height());
        }
    }
}

void TfrxEngine::unprepareBand(TfrxBand& band)
{
    BandRun& run = state_.of(band);
    if (!run.prepared)
        return;
    const QList<TfrxComponent*>& objects = band.Objects();
    std::exception_ptr failure;
    if (band.Visible()) {
        int k = 0;
        for (TfrxComponent* c : objects) {
            auto* object = as<TfrxReportComponent>(c);
            if (!object)
                continue;
            if (k++ >= run.preparedObjects)
                break;
            calc_.SetCurrentObjectName(object->Name());
            try {
                if (hooks_.OnAfterPrint)
                    hooks_.OnAfterPrint(*object);
                runProcedure("OnAfterPrint", object->OnAfterPrint, object);
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
            }
        }
    }
    // The designed state comes back whatever happened above.
    qsizetype k = 0;
    for (qsizetype i = 0; i < objects.size() && k < run.preparedObjects; ++i) {
        auto* object = as<TfrxReportComponent>(objects[i]);
        if (!object)
            continue;
        if (auto* view = as<TfrxView>(object); view && std::size_t(k) < run.designedTexts.size()
                                               && run.designedTexts[std::size_t(k)])
            restoreViewTexts(*view, *run.designedTexts[std::size_t(k)]);
        object->AfterPrint();
        ++k;
    }
    run.preparedObjects = 0;
    run.designedTexts.clear();
    calc_.SetCurrentObjectName(band.Name());
    try {
        if (band.Visible()) {
            if (hooks_.OnAfterPrint)
                hooks_.OnAfterPrint(band);
            runProcedure("OnAfterPrint", band.OnAfterPrint, &band);
        }
    } catch (...) {
        if (!failure)
            failure = std::current_exception();
    }
    band.AfterPrint();
    run.prepared = false;
    const QList<TfrxComponent*> added = std::exchange(run.addedObjects, {});
    qDeleteAll(added);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace report
