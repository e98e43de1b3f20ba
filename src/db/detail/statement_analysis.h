#pragma once
#include <QString>

namespace db::detail {

// The single table a "select ... from T ..." statement reads, which its rows are written back
// to; empty for a join, a list of tables or a statement that reads none.
QString tableOfStatement(const QString& sql);

} // namespace db::detail
