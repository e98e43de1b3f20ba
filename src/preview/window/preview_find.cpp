// The preview's find: the hit marked on its page and scrolled into view.

#include "preview/window/preview_control.h"

#include "preview/window/preview_workspace.h"
#include "report/pages/preview_pages.h"

#include <QScrollBar>
#include <algorithm>

namespace preview {

void TfrxPreview::find(const QString& text, bool fromTop, bool caseSensitive)
{
    if (running_ || pageCount() == 0)
        return;
    search_.text = text;
    search_.caseSensitive = caseSensitive;
    search_.page = fromTop ? 0 : pageNo_ - 1;
    search_.lastHit = -1;
    search_.made = true;
    // Pages may have been replaced since the last find (page settings for one page, a
    // click that rebuilt one): their texts are drawn again.
    search_.runsPage = -1;
    search_.runs.clear();
    findNext();
}

void TfrxPreview::findNext()
{
    if (running_ || !search_.made)
        return;
    try {
        if (!findNextHit(pages(), search_))
            return;
    } catch (...) {
        // A page that cannot be drawn ends the search like its end.
        search_.page = pageCount();
        return;
    }
    workspace_->hitPage = search_.page;
    workspace_->hitRect = search_.hitRect;
    showHit();
}

// Scrolls so that a hit not fully in view ends 20 pixels above the view's bottom (and its
// right edge likewise), then repaints.
void TfrxPreview::showHit()
{
    if (search_.page >= workspace_->pageList().count())
        return;
    const QRect page = workspace_->pageList().item(search_.page).rect();
    const QRectF r = search_.hitRect;
    const QRect hit(int(page.left() + r.left() * zoom_), int(page.top() + r.top() * zoom_), int(r.width() * zoom_),
                    int(r.height() * zoom_));
    const QPoint scroll = workspace_->scrollPos();
    const QSize view = workspace_->viewport()->size();
    if (hit.top() < scroll.y() || hit.bottom() > scroll.y() + view.height())
        workspace_->verticalScrollBar()->setValue(hit.bottom() - view.height() + 20);
    if (hit.left() < scroll.x() || hit.right() > scroll.x() + view.width())
        workspace_->horizontalScrollBar()->setValue(hit.right() - view.width() + 20);
    workspace_->viewport()->update();
}

} // namespace preview
