// The outline the engine builds while it prints: an item for every band with OutlineText at
// the band's top, nested under the item of the data row or group it belongs to, and the
// page's own item at the top of each page.

#include "report/engine/engine_extensions.h"

#include "report/calc/frx_calc.h"
#include "report/engine/frx_engine.h"
#include "report/format/frx_display_format.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/pages/preview_pages.h"

#include <cmath>

namespace report {

namespace {

QString outlineTextOf(const TfrxBand& band)
{
    if (const auto* data = as<TfrxDataBand>(&band))
        return data->OutlineText;
    if (const auto* group = as<TfrxGroupHeader>(&band))
        return group->OutlineText;
    return {};
}

} // namespace

void EngineExtensions::addOutlineItem(TfrxEngine& engine, TfrxBand& band)
{
    const QString text = outlineTextOf(band);
    if (text.trimmed().isEmpty() || collecting())
        return;
    engine.Calc().SetCurrentObjectName(band.Name());
    const QString value = plainText(engine.Calc().Calc(text));
    // The top the band was placed at: CurY has moved on since (or back, beside a column).
    const double top = band.Visible() ? engine.BandState().of(band).placedTop : engine.CurY;
    engine.PreviewPages().Outline().AddItem(value, int(std::lround(top)));
}

void EngineExtensions::outlineLevelUp(TfrxEngine& engine, TfrxBand& band)
{
    if (outlineTextOf(band).trimmed().isEmpty() || collecting())
        return;
    engine.PreviewPages().Outline().LevelUp();
}

// A page run starts at the outline's root. After a page break only a page with its own
// item goes back to the root: without one, the items of a group or data row that goes on
// across the break stay under their parent.
void EngineExtensions::addPageOutline(TfrxEngine& engine, TfrxReportPage& page, bool pageRunStart)
{
    const bool ownItem = !page.OutlineText.trimmed().isEmpty();
    if (!pageRunStart && !ownItem)
        return;
    TfrxOutline& outline = engine.PreviewPages().Outline();
    outline.LevelRoot();
    if (!ownItem)
        return;
    engine.Calc().SetCurrentObjectName(page.Name());
    engine.publishState(); // the text may read the new page's number
    outline.AddItem(plainText(engine.Calc().Calc(page.OutlineText)), 0);
}

} // namespace report
