#pragma once
#include <QString>

namespace db {

class Connection;

// What lies under one category row of L1 to L4: child categories of every level below it
// and the hardware items filed under its level-4 descendants (or under itself at level 4).
struct CategorySubtree {
    int categories = 0;
    int items = 0;
    bool empty() const { return categories == 0 && items == 0; }
};

// Counts what lies under category `id` of `level` (1 to 4).
CategorySubtree countCategorySubtree(Connection& connection, int level, int id);

// Deletes category `id` of `level` with everything under it (child categories, their items
// and the pictures stored in the item rows) in one transaction: all of it, or on failure
// nothing. Picture files are not touched. Throws DbError.
void deleteCategorySubtree(Connection& connection, int level, int id);

} // namespace db
