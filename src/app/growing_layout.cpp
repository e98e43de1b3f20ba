#include "app/growing_layout.h"
#include <algorithm>

namespace app {

void GrowingLayout::add(QWidget* widget, Rule rule)
{
    entries_.append({widget, widget->geometry(), rule});
}

void GrowingLayout::addColumn(QHeaderView* header, int section)
{
    columns_.append({header, section, header->sectionSize(section)});
}

int GrowingLayout::heightShare(Height share, int extraHeight)
{
    const int upper = extraHeight / 2;
    switch (share) {
    case Height::None:
        return 0;
    case Height::Upper:
        return upper;
    case Height::Lower:
        return extraHeight - upper;
    case Height::All:
        return extraHeight;
    }
    return 0;
}

void GrowingLayout::apply(QSize extra) const
{
    const int dw = std::max(0, extra.width());
    const int dh = std::max(0, extra.height());
    for (const Entry& e : entries_) {
        if (!e.widget)
            continue;
        QRect r = e.original;
        r.translate(e.rule.moveRight ? dw : 0, heightShare(e.rule.moveDown, dh));
        r.setWidth(r.width() + (e.rule.widen ? dw : 0));
        r.setHeight(r.height() + heightShare(e.rule.heighten, dh));
        e.widget->setGeometry(r);
    }
    for (const Column& c : columns_) {
        if (c.header)
            c.header->resizeSection(c.section, c.original + dw);
    }
}

} // namespace app
