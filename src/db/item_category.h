#pragma once
#include <QString>
#include <optional>

namespace db {

class Connection;

// Where a hardware item is filed: its level-2 category (key and name) and the names of its
// level-3 and level-4 categories, as a quotation line records them.
struct ItemCategory {
    int l2Id = 0;
    QString l2Name, l3Name, l4Name;
};

// The categories of item `itemId`, read through its own L4_ID up the category tables.
// Nothing when the item does not exist or a category on its path was deleted. Throws DbError
// when the file cannot be read.
std::optional<ItemCategory> itemCategory(Connection& connection, qint64 itemId);

} // namespace db
