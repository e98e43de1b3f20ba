// Keep blocks: everything output between opening and closing a block on a band moves as
// one piece to the next page when a page break happens inside it, with the aggregate
// values, outline items and anchors made meanwhile. Keeping ends at that break, so a block
// larger than a page is moved once and then continues across pages.

#include "report/engine/engine_extensions.h"

#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_calc.h"
#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/pages/preview_pages.h"
#include "report/xml/xml_form.h"

#include <cmath>
#include <vector>

namespace report {

void EngineExtensions::reset()
{
    keep_ = {};
    subreports_.clear();
    target_ = nullptr;
    collapsed_.clear();
    acrossBand_ = nullptr;
    sheetCell_ = 0;
    nextSheetCell_ = -1;
    repeatingSheets_ = false;
    verticalRight_ = 0;
}

void EngineExtensions::openKeep(TfrxEngine& engine, TfrxBand& band, int position)
{
    if (keep_.on || engine.noKeepAtPageStart_ || collecting())
        return;
    TfrxPreviewPages& pages = engine.PreviewPages();
    TfrxOutline& outline = pages.Outline();
    if (!outline.CurItem())
        outline.LevelRoot();
    keep_.on = true;
    keep_.band = &band;
    keep_.position = position >= 0 ? position : pages.CurrentObjectCount();
    keep_.outlineParent = outline.CurItem();
    keep_.outlineCount = keep_.outlineParent ? keep_.outlineParent->count() : 0;
    keep_.anchorIndex = pages.LastAnchorIndex();
    keep_.aggregates = false;
    engine.Calc().Aggregates().StartKeep();
}

void EngineExtensions::closeKeep(TfrxEngine& engine, TfrxBand& band)
{
    if (!keep_.on || keep_.band != &band)
        return;
    keep_.on = false;
    engine.Calc().Aggregates().EndKeep();
}

void EngineExtensions::openFooterKeep(TfrxEngine& engine, TfrxDataBand& band)
{
    const int start = engine.BandState().of(band).lastRowStart;
    openKeep(engine, band, start);
    if (keep_.on && keep_.band == &band)
        keep_.aggregates = true;
}

void EngineExtensions::closeFooterKeep(TfrxEngine& engine, TfrxDataBand& band)
{
    closeKeep(engine, band);
}

void EngineExtensions::rememberRowStart(TfrxEngine& engine, TfrxDataBand& band)
{
    BandRun& run = engine.BandState().of(band);
    const int count = engine.PreviewPages().CurrentObjectCount();
    run.lastRowStart = count;
    if (band.Columns <= 1 || run.column == 1) {
        run.rowStart = count;
        run.rowY = engine.CurY;
    }
}

void EngineExtensions::beforeKeptPageBreak(TfrxEngine& engine)
{
    if (keep_.aggregates) {
        // The row that moves was added before the block opened, so it is in the values
        // themselves, not in what the page-footer items hold: holding ends first, then the
        // row is taken back, and it is added again on the new page.
        engine.Calc().Aggregates().EndKeep();
        engine.Calc().Aggregates().DeleteValue(keep_.band);
    }
    engine.PreviewPages().CutObjectsFrom(keep_.position);
}

void EngineExtensions::afterKeptPageBreak(TfrxEngine& engine)
{
    TfrxPreviewPages& pages = engine.PreviewPages();
    engine.Calc().Aggregates().EndKeep();
    pages.PasteCutObjects(0, engine.CurY);
    const int newTop = int(std::lround(engine.CurY));
    moveKeptOutline(engine, newTop);
    pages.MoveAnchorsToNextPage(keep_.anchorIndex, newTop);
    engine.CurY = pages.LowestBandBottom();
    if (keep_.aggregates)
        engine.Calc().Aggregates().AddValue(keep_.band);
    keep_.on = false;
}

// Every item added under the remembered item since the block opened goes to the current
// page, its top moved as the first one's, with everything under it.
void EngineExtensions::moveKeptOutline(TfrxEngine& engine, int newTop)
{
    TfrxXMLItem* parent = keep_.outlineParent;
    if (!parent || keep_.outlineCount >= parent->count())
        return;
    const QByteArray page = QByteArray::number(engine.PreviewPages().CurPage());
    const int delta = newTop - parent->item(keep_.outlineCount)->getAttr("top").toInt();
    std::vector<TfrxXMLItem*> pending;
    for (int i = keep_.outlineCount; i < parent->count(); ++i)
        pending.push_back(parent->item(i));
    while (!pending.empty()) {
        TfrxXMLItem* item = pending.back();
        pending.pop_back();
        item->setAttr("page", page);
        item->setAttr("top", QByteArray::number(item->getAttr("top").toInt() + delta));
        for (int i = 0; i < item->count(); ++i)
            pending.push_back(item->item(i));
    }
}

} // namespace report
