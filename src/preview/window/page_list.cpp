#include "preview/window/page_list.h"

#include <algorithm>
#include <cmath>

namespace preview {

void TfrxPageList::clear()
{
    items_.clear();
    scrollSize_ = {};
}

void TfrxPageList::setPages(const std::vector<QSize>& sizes, double zoom)
{
    items_.assign(sizes.size(), {});
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        items_[i].width = int(std::lround(sizes[i].width() * zoom));
        items_[i].height = int(std::lround(sizes[i].height() * zoom));
    }
}

// Centres the row of pages [first, end) whose running width is w.
void TfrxPageList::closeRow(std::size_t first, std::size_t end, int w, int availableWidth)
{
    const int d = (availableWidth - w + kGap) / 2;
    const int shift = d < 0 ? kGap : d + kGap;
    for (std::size_t i = first; i < end; ++i)
        items_[i].left += shift;
}

void TfrxPageList::layOut(int availableWidth)
{
    int w = 0, top = kGap, rowHeight = 0, widest = 0, bottom = 0;
    std::size_t rowStart = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        TfrxPageItem& page = items_[i];
        if (w != 0 && w + page.width > availableWidth) {
            closeRow(rowStart, i, w, availableWidth);
            widest = std::max(widest, w);
            top += rowHeight + kGap;
            w = rowHeight = 0;
            rowStart = i;
        }
        page.left = w;
        page.top = top;
        w += page.width + kGap;
        rowHeight = std::max(rowHeight, page.height);
        bottom = std::max(bottom, page.top + page.height);
    }
    if (!items_.empty()) {
        closeRow(rowStart, items_.size(), w, availableWidth);
        widest = std::max(widest, w);
    }
    scrollSize_ = QSize(widest + kGap, bottom + kGap);
}

int TfrxPageList::pageAtTop(int y) const
{
    // The first page failing "top <= y + height / 5", less one.
    const auto it = std::partition_point(items_.begin(), items_.end(), [y](const TfrxPageItem& p) {
        return p.top <= y + p.height / 5;
    });
    return std::max(0, int(it - items_.begin()) - 1);
}

int TfrxPageList::lastPageStartingAbove(int y) const
{
    const auto it = std::partition_point(items_.begin(), items_.end(),
                                         [y](const TfrxPageItem& p) { return p.top <= y; });
    return std::max(0, int(it - items_.begin()) - 1);
}

int TfrxPageList::pageAt(QPoint p) const
{
    if (items_.empty())
        return -1;
    const int found = lastPageStartingAbove(p.y());
    const int from = std::max(0, found - 20), to = std::min(count() - 1, found + 20);
    for (int i = from; i <= to; ++i)
        if (items_[std::size_t(i)].rect().contains(p))
            return i;
    return found;
}

} // namespace preview
