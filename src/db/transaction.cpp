#include "db/transaction.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/engine.h"

namespace db {

namespace {

Engine& engineOf(Connection& connection)
{
    if (!connection.handle())
        throw DbError(connection.name() + QStringLiteral(": 数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
    return *connection.handle();
}

} // namespace

Transaction::Transaction(Connection& connection) : connection_(connection)
{
    engineOf(connection_).beginWrite();
}

Transaction::~Transaction()
{
    rollback();
}

void Transaction::commit()
{
    if (!open_)
        return;
    engineOf(connection_).commit();
    open_ = false;
}

void Transaction::rollback() noexcept
{
    if (!open_)
        return;
    open_ = false;
    if (Engine* engine = connection_.handle())
        engine->rollback();
}

} // namespace db
