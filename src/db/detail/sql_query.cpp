#include "db/detail/sql_query.h"
#include "db/db_error.h"
#include <sqlcipher/sqlite3.h>

namespace db::detail {

SqlQuery::SqlQuery(sqlite3* handle, const char* sql) : handle_(handle)
{
    if (!handle)
        throw DbError(QStringLiteral("Operation is not allowed when the object is closed"));
    if (sqlite3_prepare_v2(handle, sql, -1, &statement_, nullptr) != SQLITE_OK)
        throw DbError(QString::fromUtf8(sqlite3_errmsg(handle)));
}

SqlQuery::~SqlQuery()
{
    sqlite3_finalize(statement_);
}

SqlQuery& SqlQuery::bind(int index, const QString& text)
{
    if (text.isNull()) {
        sqlite3_bind_null(statement_, index);
    } else {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text(statement_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    return *this;
}

SqlQuery& SqlQuery::bind(int index, qint64 value)
{
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

SqlQuery& SqlQuery::bind(int index, std::optional<double> value)
{
    if (value)
        sqlite3_bind_double(statement_, index, *value);
    else
        sqlite3_bind_null(statement_, index);
    return *this;
}

bool SqlQuery::step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    const QString message = QString::fromUtf8(sqlite3_errmsg(handle_));
    sqlite3_reset(statement_);
    throw DbError(message);
}

void SqlQuery::run()
{
    while (step()) {
    }
    reset();
}

qint64 SqlQuery::insert()
{
    run();
    return sqlite3_last_insert_rowid(handle_);
}

void SqlQuery::reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

bool SqlQuery::isNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
qint64 SqlQuery::integer(int column) const { return sqlite3_column_int64(statement_, column); }
double SqlQuery::real(int column) const { return sqlite3_column_double(statement_, column); }

std::optional<double> SqlQuery::optionalReal(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return real(column);
}

QString SqlQuery::text(int column) const
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
    if (!bytes)
        return isNull(column) ? QString() : QString(QLatin1String(""));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(statement_, column));
}

} // namespace db::detail
