#include "app/category_path.h"
#include "db/dataset.h"
#include "db/statements.h"
#include <QTreeWidget>
#include <algorithm>
#include <utility>

namespace app {

QString levelTable(int level) { return QStringLiteral("L%1").arg(level); }
QString levelKeyColumn(int level) { return QStringLiteral("L%1_ID").arg(level); }
QString levelNameColumn(int level) { return QStringLiteral("L%1_NM").arg(level); }

int levelOfTable(const QString& table)
{
    for (int level = 1; level <= 4; ++level)
        if (table.compare(levelTable(level), Qt::CaseInsensitive) == 0)
            return level;
    return 0;
}

namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

int rankAmongSiblings(const QTreeWidgetItem* node)
{
    const QString name = node->text(0);
    int rank = 0;
    if (QTreeWidgetItem* parent = node->parent()) {
        for (int k = 0, at = parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)); k < at; ++k)
            rank += sameName(parent->child(k)->text(0), name) ? 1 : 0;
    } else if (QTreeWidget* tree = node->treeWidget()) {
        for (int k = 0, at = tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node)); k < at; ++k)
            rank += sameName(tree->topLevelItem(k)->text(0), name) ? 1 : 0;
    }
    return rank;
}

QString rowsOf(int level, int parentId)
{
    switch (level) {
    case 1: return db::statements::allL1();
    case 2: return db::statements::l2Of(parentId);
    case 3: return db::statements::l3Of(parentId);
    default: return db::statements::l4Of(parentId);
    }
}

} // namespace

QList<CategoryStep> categoryPathOf(const QTreeWidgetItem* node)
{
    QList<CategoryStep> path;
    for (const QTreeWidgetItem* at = node; at; at = at->parent())
        path.prepend({at->text(0), rankAmongSiblings(at)});
    return path;
}

std::optional<QList<int>> resolveCategoryPath(const QList<CategoryStep>& path,
                                              const std::array<db::Dataset*, 4>& levelQueries)
{
    if (path.isEmpty() || path.size() > 4)
        return std::nullopt;
    QList<int> ids;
    int parentId = 0;
    for (int level = 1; level <= path.size(); ++level) {
        db::Dataset& rows = *levelQueries[static_cast<size_t>(level - 1)];
        const CategoryStep& step = path[level - 1];
        db::openStatement(rows, rowsOf(level, parentId));
        const QString key = levelKeyColumn(level);
        const QString name = levelNameColumn(level);
        QList<int> matches;
        for (rows.first(); !rows.eof(); rows.next()) {
            const QVariant text = rows.value(name);
            if (!text.isNull() && sameName(text.toString(), step.name))
                matches.append(rows.asInteger(key));
        }
        rows.close();
        std::sort(matches.begin(), matches.end());
        if (step.rank >= matches.size())
            return std::nullopt;
        parentId = matches[step.rank];
        ids.append(parentId);
    }
    return ids;
}

} // namespace app
