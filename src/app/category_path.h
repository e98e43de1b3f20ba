#pragma once
#include <QList>
#include <QString>
#include <array>
#include <optional>

class QTreeWidgetItem;

namespace db { class Dataset; }

namespace app {

// One step from the root of the tree down to a node: the node's name and how many earlier
// siblings carry the same name (0 for the first), so equal names under one parent stay apart.
struct CategoryStep {
    QString name;
    int rank = 0;
};

// The steps from the root down to the node, level 1 first. Names compare as the catalogue
// compares them (ignoring letter case).
QList<CategoryStep> categoryPathOf(const QTreeWidgetItem* node);

// The ids of the categories a path names, level 1 first, found level by level through the
// tree-build queries (L1 rows, then the L2 rows of that L1 id, and so on), which it closes
// again. Among equal names under one parent the rows count in key order, as the tree shows
// them. Nothing when a step names no row: the category (or one of its parents) was deleted
// or renamed since the tree was built.
std::optional<QList<int>> resolveCategoryPath(const QList<CategoryStep>& path,
                                              const std::array<db::Dataset*, 4>& levelQueries);

// Table, key column and name column of a category level 1 to 4 ("L2", "L2_ID", "L2_NM").
QString levelTable(int level);
QString levelKeyColumn(int level);
QString levelNameColumn(int level);
// The level of a category table's name ("L1" to "L4"), 0 for any other table.
int levelOfTable(const QString& table);

} // namespace app
