// Subreports: another report page whose data bands print at the subreport's place, either
// after the band that holds it (going on across pages and columns) or, printed on its
// parent, inside that band while it is prepared.

#include "report/engine/engine_extensions.h"

#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"

#include <memory>

namespace report {

namespace {

QList<TfrxSubreport*> subreportsOf(const TfrxBand& band, bool onParent)
{
    QList<TfrxSubreport*> found;
    for (TfrxComponent* c : band.Objects())
        if (auto* sub = as<TfrxSubreport>(c); sub && sub->Page() && sub->PrintOnParent == onParent && sub->Visible())
            found.append(sub);
    return found;
}

// Where a subreport ended: the latest page and column, and the lowest y reached there.
struct EndPoint {
    int page = -1;
    int column = 0;
    double y = 0;
    double x = 0;
    bool later(const EndPoint& other) const
    {
        if (page != other.page)
            return page > other.page;
        if (column != other.column)
            return column > other.column;
        return y > other.y;
    }
};

} // namespace

// A subreport whose page is already running contains itself, directly or through others:
// it is left out with an error line instead of running without end.
bool EngineExtensions::enterSubreport(TfrxEngine& engine, const TfrxView& subreport, const TfrxReportPage& page)
{
    if (subreports_.contains(&page) || subreports_.size() >= 64) {
        engine.Report().AddError(QStringLiteral("Subreport %1 contains itself").arg(subreport.Name()));
        return false;
    }
    subreports_.append(&page);
    return true;
}

void EngineExtensions::runSubreportPage(TfrxEngine& engine, TfrxReportPage& page)
{
    try {
        engine.runDataBands(engine.BandState().masters(page).horizontal);
    } catch (...) {
        subreports_.removeLast();
        throw;
    }
    subreports_.removeLast();
}

void EngineExtensions::runSubreports(TfrxEngine& engine, TfrxBand& band)
{
    const QList<TfrxSubreport*> subs = subreportsOf(band, false);
    if (subs.isEmpty())
        return;
    TfrxPreviewPages& pages = engine.PreviewPages();
    const double bandTop = engine.BandState().of(band).placedTop;
    const double x = engine.CurX, origin = engine.columnOrigin_;
    const int startPage = pages.CurPage(), startColumn = engine.CurColumn;
    EndPoint end{startPage, startColumn, engine.CurY, x};
    for (TfrxSubreport* sub : subs) {
        if (!enterSubreport(engine, *sub, *sub->Page()))
            continue;
        // Each subreport starts at its own place beside the others.
        pages.SetCurPage(startPage);
        engine.CurColumn = startColumn;
        engine.CurX = x + sub->Left();
        engine.columnOrigin_ = origin + sub->Left();
        engine.CurY = bandTop + sub->Top();
        try {
            runSubreportPage(engine, *sub->Page());
        } catch (...) {
            engine.CurX = x;
            engine.columnOrigin_ = origin;
            throw;
        }
        const EndPoint reached{pages.CurPage(), engine.CurColumn, engine.CurY, engine.CurX - sub->Left()};
        if (reached.later(end))
            end = reached;
    }
    engine.columnOrigin_ = origin;
    pages.SetCurPage(end.page);
    engine.CurColumn = end.column;
    engine.CurX = end.x;
    engine.CurY = end.y;
}

void EngineExtensions::runParentSubreports(TfrxEngine& engine, TfrxBand& band)
{
    if (&band == acrossBand_)
        addVerticalCells(engine, band);
    for (TfrxSubreport* sub : subreportsOf(band, true)) {
        if (!enterSubreport(engine, *sub, *sub->Page()))
            continue;
        auto target = std::make_unique<TfrxNullBand>();
        TfrxNullBand* outer = target_;
        const double x = engine.CurX, y = engine.CurY, origin = engine.columnOrigin_;
        target_ = target.get();
        engine.CurX = engine.columnOrigin_ = sub->Left();
        engine.CurY = sub->Top();
        const auto restore = [&] {
            target_ = outer;
            engine.CurX = x;
            engine.CurY = y;
            engine.columnOrigin_ = origin;
        };
        try {
            runSubreportPage(engine, *sub->Page());
        } catch (...) {
            restore();
            throw;
        }
        restore();
        // The collected objects join the band for this output, at their places in it.
        BandRun& run = engine.BandState().of(band);
        const QList<TfrxComponent*> collected = target->Objects();
        for (TfrxComponent* c : collected) {
            c->SetParent(&band);
            run.addedObjects.append(c);
        }
    }
}

// Copies of the band's views, at their places relative to the subreport.
bool EngineExtensions::collectOutput(TfrxEngine& engine, TfrxBand& band)
{
    (void)engine;
    if (!target_)
        return false;
    for (TfrxComponent* c : band.Objects()) {
        auto* view = as<TfrxView>(c);
        if (!view || !view->Visible() || !view->classInfo().factory())
            continue;
        TfrxComponent* copy = view->classInfo().factory()(target_);
        copy->AssignAll(*view);
        copy->SetName(view->Name());
        copy->SetLeft(band.Left() + view->Left());
        copy->SetTop(band.Top() + view->Top());
    }
    return true;
}

} // namespace report
