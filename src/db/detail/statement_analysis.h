#pragma once
#include <QString>

namespace db::detail {

// The single table a "select ... from T ..." statement reads, which its rows are written back
// to; empty for a join, a list of tables or a statement that reads none.
QString tableOfStatement(const QString& sql);

// The statement with its rows in key order when it names no order of its own (and is no
// union, grouping or aggregate): the file hands out a table's rows in key order anyway, a server in the
// order it happens to keep them, which changes as rows are rewritten.
QString inKeyOrder(const QString& sql, const QString& keyColumn);

} // namespace db::detail
