#pragma once

// The page rectangles of a preview workspace: each page's size at the workspace's zoom,
// placed in rows in page order, and the binary searches that find the page at the top of
// the view and the page under the mouse.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace preview {

struct TfrxPageItem {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    QRect rect() const { return {left, top, width, height}; }
};

class TfrxPageList {
public:
    // Gap between pages and around them, in pixels.
    static constexpr int kGap = 10;

    void clear();
    // Sizes at zoom 1 (pixels at 96 dpi); each page gets its size times the zoom, rounded.
    void setPages(const std::vector<QSize>& sizes, double zoom);
    // Places the pages in rows no wider than availableWidth.
    void layOut(int availableWidth);

    int count() const { return int(items_.size()); }
    const TfrxPageItem& item(int index) const { return items_[std::size_t(index)]; }
    QSize scrollSize() const { return scrollSize_; }

    // Index of the last page whose top lies no lower than one fifth of its own height below
    // y (the top of the view); 0 for an empty list.
    int pageAtTop(int y) const;
    // Index of the last page whose top is not below y, or 0.
    int lastPageStartingAbove(int y) const;
    // The page whose rectangle contains p, looked for among the 20 pages on either side of
    // the binary search's answer; that answer when none contains it; -1 for an empty list.
    int pageAt(QPoint p) const;

private:
    void closeRow(std::size_t first, std::size_t end, int w, int availableWidth);

    std::vector<TfrxPageItem> items_;
    QSize scrollSize_;
};

} // namespace preview
