#pragma once
#include <QString>
#include <QStringList>
#include <Qt>

namespace dbaware {

// One column of a DBGrid's own column list.
struct GridColumn {
    QString fieldName;
    QString title;
    int width = 0;                       // pixels; 0 takes a width from the title
    Qt::Alignment alignment = {};        // cell text; empty: numbers right, the rest left
    Qt::Alignment titleAlignment = Qt::AlignLeft;
    bool visible = true;
    QStringList pickList;                // non-empty: the cell editor is a combo box with these items
};

} // namespace dbaware
