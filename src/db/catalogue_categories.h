#pragma once
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace db { class Engine; }

namespace db {

// The four category levels held in memory, for the readers and writers that walk the whole
// catalogue (search, price lists). Categories are found by name, as everywhere in the
// program: names compare ignoring letter case and blanks at either end, and among equal
// names under one parent the one with the lowest key counts first (the tree lists them in
// key order).
class CatalogueCategories {
public:
    struct Category {
        int id = 0;
        int parentId = 0; // 0 at level 1
        QString name;
        int rank = 0;     // how many earlier siblings (lower keys) carry the same name
    };

    // Reads L1 to L4 from an open catalogue file.
    static CatalogueCategories load(Engine* handle);

    // The key under which a name is compared.
    static QString nameKey(const QString& name);

    const Category* find(int level, int id) const;
    // The categories of a level-4 id from level 1 down; nothing when a link is broken (a
    // parent was deleted), so such a branch is reached by nothing.
    std::optional<std::array<const Category*, 4>> pathOf(int l4Id) const;
    // The first category of a level under a parent (0 at level 1) with that name, 0 for none.
    int childNamed(int level, int parentId, const QString& name) const;
    // Every category of a level with that name under any of the parents, in key order: the
    // program lists equal names at one level as one category (their children together).
    QList<int> childrenNamed(int level, const QList<int>& parentIds, const QString& name) const;
    // A category given by its names from level 1 down (1 to 4 names): {level, id}.
    std::optional<std::pair<int, int>> resolve(const QStringList& names) const;
    // The level-4 categories at and below a category.
    QList<int> level4Below(int level, int id) const;
    // Level-4 ids in the order of their paths by name, as the tree shows them.
    QList<int> level4InTreeOrder() const;

private:
    std::array<QList<Category>, 4> levels_;       // each in key order
    std::array<QHash<int, qsizetype>, 4> byId_;   // id -> index in its level
    std::array<QHash<QString, QList<int>>, 4> byName_; // "parent/name key" -> ids in key order
    std::array<QHash<int, QList<int>>, 4> children_; // parent id -> child ids in key order
};

} // namespace db
