#include "db/category_subtree.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/transaction.h"
#include <QStringList>

namespace db {

namespace {

void requireLevel(int level)
{
    if (level < 1 || level > 4)
        throw DbError(QStringLiteral("There is no category level %1").arg(level));
}

QString levelTable(int level)
{
    return QStringLiteral("L%1").arg(level);
}

QString levelKey(int level)
{
    return QStringLiteral("L%1_ID").arg(level);
}

// The ids of the level-`below` categories under category `id` of `level` (below > level),
// as a sub-select. Ids are integers written in decimal, so no text reaches the statement.
QString idsUnder(int level, int id, int below)
{
    QString ids = QString::number(id);
    for (int m = level + 1; m <= below; ++m)
        ids = QStringLiteral("select %1 from %2 where %3 in (%4)").arg(levelKey(m), levelTable(m), levelKey(m - 1), ids);
    return ids;
}

// Where the items under the category are: filed under its level-4 descendants, or itself.
QString itemsUnder(int level, int id)
{
    return QStringLiteral("HW where L4_ID in (%1)").arg(idsUnder(level, id, 4));
}

int countRows(Connection& connection, const QString& from)
{
    try {
        detail::Statement count(connection.handle(), QStringLiteral("select count(*) from ") + from);
        count.step();
        return static_cast<int>(count.integer(0));
    } catch (const DbError& e) {
        throw DbError(connection.name() + QStringLiteral(": ") + e.text());
    }
}

} // namespace

CategorySubtree countCategorySubtree(Connection& connection, int level, int id)
{
    requireLevel(level);
    CategorySubtree found;
    for (int m = level + 1; m <= 4; ++m)
        found.categories += countRows(connection, QStringLiteral("%1 where %2 in (%3)")
                                                      .arg(levelTable(m), levelKey(m - 1), idsUnder(level, id, m - 1)));
    found.items = countRows(connection, itemsUnder(level, id));
    return found;
}

void deleteCategorySubtree(Connection& connection, int level, int id)
{
    requireLevel(level);
    Transaction transaction(connection);
    // Deepest first: each delete finds its rows through the parents still in place.
    connection.execute(QStringLiteral("delete from ") + itemsUnder(level, id));
    for (int m = 4; m > level; --m)
        connection.execute(QStringLiteral("delete from %1 where %2 in (%3)")
                               .arg(levelTable(m), levelKey(m - 1), idsUnder(level, id, m - 1)));
    connection.execute(QStringLiteral("delete from %1 where %2 = %3").arg(levelTable(level), levelKey(level)).arg(id));
    transaction.commit();
}

} // namespace db
