#include "db/transaction.h"
#include "db/connection.h"
#include "db/db_error.h"
#include <sqlcipher/sqlite3.h>

namespace db {

Transaction::Transaction(Connection& connection) : connection_(connection)
{
    // Immediate: the write lock is taken now, so the writes cannot fail half-way for want of it.
    connection_.execute(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    rollback();
}

void Transaction::commit()
{
    if (!open_)
        return;
    connection_.execute(QStringLiteral("COMMIT"));
    open_ = false;
}

void Transaction::rollback() noexcept
{
    if (!open_)
        return;
    open_ = false;
    // A failed statement may have ended the transaction already; then there is nothing to undo.
    if (sqlite3* handle = connection_.handle(); handle && !sqlite3_get_autocommit(handle))
        sqlite3_exec(handle, "ROLLBACK", nullptr, nullptr, nullptr);
}

} // namespace db
