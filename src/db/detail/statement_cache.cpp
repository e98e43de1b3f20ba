#include "db/detail/statement_cache.h"
#include "db/db_error.h"
#include <sqlcipher/sqlite3.h>

namespace db::detail {

sqlite3_stmt* StatementCache::get(sqlite3* handle, const QString& sql)
{
    if (handle != handle_) {
        clear();
        handle_ = handle;
    }
    if (sqlite3_stmt* cached = statements_.value(sql)) {
        sqlite3_reset(cached);
        sqlite3_clear_bindings(cached);
        return cached;
    }
    sqlite3_stmt* statement = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, utf8.constData(), static_cast<int>(utf8.size()), &statement, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
    statements_.insert(sql, statement);
    return statement;
}

void StatementCache::clear()
{
    for (sqlite3_stmt* statement : std::as_const(statements_))
        sqlite3_finalize(statement);
    statements_.clear();
    handle_ = nullptr;
}

} // namespace db::detail
