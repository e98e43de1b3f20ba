// Endless pages: a page with EndlessHeight or EndlessWidth never breaks in that direction,
// and its prepared pages take the size of their content.

#include "report/engine/engine_extensions.h"

#include "report/engine/frx_engine.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_types.h"
#include "report/pages/preview_pages.h"

#include <algorithm>

namespace report {

void EngineExtensions::resizeEndlessPage(TfrxEngine& engine, TfrxReportPage& page)
{
    if (!page.EndlessHeight && !page.EndlessWidth)
        return;
    // Vertical-band cells may have reached beyond the designed width.
    const double contentWidth = std::max(engine.PageWidth, verticalRight_);
    const double width = page.EndlessWidth ? (page.LeftMargin + page.RightMargin) * fr01cm + contentWidth
                                           : page.PaperWidth() * fr01cm;
    const double height = page.EndlessHeight ? (page.TopMargin + page.BottomMargin) * fr01cm + engine.PageHeight
                                             : page.PaperHeight() * fr01cm;
    engine.PreviewPages().SetPreparedPageSize(page, width, height);
}

} // namespace report
