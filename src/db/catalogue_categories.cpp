#include "db/catalogue_categories.h"
#include "db/detail/statement.h"
#include <algorithm>

namespace db {

namespace {

QString childKey(int parentId, const QString& nameKey)
{
    return QString::number(parentId) + QLatin1Char('/') + nameKey;
}

} // namespace

QString CatalogueCategories::nameKey(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

CatalogueCategories CatalogueCategories::load(Engine* handle)
{
    static const char* const kSelects[4] = {
        "SELECT L1_ID, 0, L1_NM FROM L1 ORDER BY L1_ID",
        "SELECT L2_ID, L1_ID, L2_NM FROM L2 ORDER BY L2_ID",
        "SELECT L3_ID, L2_ID, L3_NM FROM L3 ORDER BY L3_ID",
        "SELECT L4_ID, L3_ID, L4_NM FROM L4 ORDER BY L4_ID",
    };
    CatalogueCategories result;
    for (std::size_t level = 0; level < 4; ++level) {
        detail::Statement rows(handle, kSelects[level]);
        QHash<QString, int> seenNames;
        while (rows.step()) {
            if (rows.isNull(0) || rows.isNull(2))
                continue; // a row without key or name appears in no tree
            Category c{static_cast<int>(rows.integer(0)), static_cast<int>(rows.integer(1)), rows.text(2), 0};
            const QString key = childKey(c.parentId, nameKey(c.name));
            c.rank = seenNames.value(key, 0);
            seenNames[key] = c.rank + 1;
            result.byName_[level][key].append(c.id);
            result.byId_[level].insert(c.id, result.levels_[level].size());
            result.children_[level][c.parentId].append(c.id);
            result.levels_[level].append(std::move(c));
        }
    }
    return result;
}

const CatalogueCategories::Category* CatalogueCategories::find(int level, int id) const
{
    if (level < 1 || level > 4)
        return nullptr;
    const auto at = byId_[level - 1].constFind(id);
    return at == byId_[level - 1].cend() ? nullptr : &levels_[level - 1][*at];
}

std::optional<std::array<const CatalogueCategories::Category*, 4>> CatalogueCategories::pathOf(int l4Id) const
{
    std::array<const Category*, 4> path{};
    int id = l4Id;
    for (int level = 4; level >= 1; --level) {
        const Category* c = find(level, id);
        if (!c)
            return std::nullopt;
        path[level - 1] = c;
        id = c->parentId;
    }
    return path;
}

int CatalogueCategories::childNamed(int level, int parentId, const QString& name) const
{
    if (level < 1 || level > 4)
        return 0;
    return byName_[level - 1].value(childKey(level == 1 ? 0 : parentId, nameKey(name))).value(0, 0);
}

QList<int> CatalogueCategories::childrenNamed(int level, const QList<int>& parentIds, const QString& name) const
{
    QList<int> ids;
    if (level < 1 || level > 4)
        return ids;
    const QString key = nameKey(name);
    for (int parent : parentIds)
        ids += byName_[level - 1].value(childKey(level == 1 ? 0 : parent, key));
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::optional<std::pair<int, int>> CatalogueCategories::resolve(const QStringList& names) const
{
    if (names.isEmpty() || names.size() > 4)
        return std::nullopt;
    int id = 0;
    for (int level = 1; level <= names.size(); ++level) {
        id = childNamed(level, id, names[level - 1]);
        if (id == 0)
            return std::nullopt;
    }
    return std::pair{static_cast<int>(names.size()), id};
}

QList<int> CatalogueCategories::level4Below(int level, int id) const
{
    QList<int> current{id};
    for (int at = level; at < 4; ++at) {
        QList<int> next;
        for (int parent : current)
            next += children_[at].value(parent);
        current = std::move(next);
    }
    return current;
}

QList<int> CatalogueCategories::level4InTreeOrder() const
{
    // Depth first, children in key order, as the refresh builds the tree.
    QList<int> order;
    for (int l1 : children_[0].value(0))
        for (int l2 : children_[1].value(l1))
            for (int l3 : children_[2].value(l2))
                order += children_[3].value(l3);
    return order;
}

} // namespace db
