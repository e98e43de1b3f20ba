#include "report/pages/outline_text.h"

#include "report/pages/preview_pages.h"
#include "report/xml/xml_form.h"

#include <vector>

namespace report {

// Walked with a stack: an outline read from a file may nest to any depth.
QStringList outlineLines(const TfrxPreviewPages& pages)
{
    QStringList lines;
    const TfrxXMLItem* root = pages.Root();
    const int at = root ? root->findChild("outline") : -1;
    if (at < 0)
        return lines;
    std::vector<std::pair<const TfrxXMLItem*, int>> pending;
    const TfrxXMLItem* outline = root->item(at);
    for (int i = outline->count() - 1; i >= 0; --i)
        pending.emplace_back(outline->item(i), 0);
    while (!pending.empty()) {
        const auto [item, level] = pending.back();
        pending.pop_back();
        lines << QStringLiteral("%1%2 (page %3, y %4)")
                     .arg(QString(level * 2, u' '), QString::fromUtf8(item->getAttr("text")))
                     .arg(item->getAttr("page").toInt() + 1)
                     .arg(item->getAttr("top").toInt());
        for (int i = item->count() - 1; i >= 0; --i)
            pending.emplace_back(item->item(i), level + 1);
    }
    return lines;
}

} // namespace report
