#include "preview/window/text_search.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/text/text_context.h"

#include <QPainter>
#include <QPicture>

namespace preview {

namespace {

// Installs the line observer for one drawing and takes it away again, also on failure.
class RunCollector {
public:
    RunCollector(report::TfrxDrawText& drawText, std::vector<TextRun>& runs) : drawText_(drawText)
    {
        drawText_.OnLineDrawn = [&runs](const QString& text, const QRectF& rect) { runs.push_back({text, rect}); };
    }
    ~RunCollector() { drawText_.OnLineDrawn = nullptr; }
    RunCollector(const RunCollector&) = delete;
    RunCollector& operator=(const RunCollector&) = delete;

private:
    report::TfrxDrawText& drawText_;
};

} // namespace

std::vector<TextRun> drawnTextRuns(report::TfrxPreviewPages& pages, int index)
{
    std::vector<TextRun> runs;
    // A picture canvas counts as visible everywhere, so every object of the page is drawn.
    QPicture picture;
    QPainter painter(&picture);
    const RunCollector collector(pages.Report().TextContext().drawText(), runs);
    pages.PaintPage(index, painter, 1, 1, 0, 0);
    painter.end();
    return runs;
}

bool findNextHit(report::TfrxPreviewPages& pages, SearchState& state)
{
    state.hit = false;
    if (state.text.isEmpty())
        return false;
    const Qt::CaseSensitivity cs = state.caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    while (state.page >= 0 && state.page < pages.PageCount()) {
        if (state.runsPage != state.page) {
            state.runs = drawnTextRuns(pages, state.page);
            state.runsPage = state.page;
        }
        for (int i = state.lastHit + 1; i < int(state.runs.size()); ++i) {
            if (state.runs[std::size_t(i)].text.contains(state.text, cs)) {
                state.lastHit = i;
                state.hitRect = state.runs[std::size_t(i)].rect;
                state.hit = true;
                return true;
            }
        }
        state.lastHit = -1;
        ++state.page;
    }
    return false;
}

} // namespace preview
