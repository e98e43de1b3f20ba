#include "db/detail/statement.h"
#include "db/db_error.h"
#include <sqlcipher/sqlite3.h>
#include <utility>

namespace db::detail {

QString engineMessage(sqlite3* handle)
{
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

void exec(sqlite3* handle, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(handle, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : engineMessage(handle);
        sqlite3_free(error);
        throw DbError(message);
    }
}

void exec(sqlite3* handle, const QString& sql)
{
    exec(handle, sql.toUtf8().constData());
}

Statement::Statement(sqlite3* handle, const QByteArray& sql) : handle_(handle)
{
    if (sqlite3_prepare_v2(handle, sql.constData(), static_cast<int>(sql.size()), &statement_, nullptr) != SQLITE_OK)
        throw DbError(engineMessage(handle));
}

Statement::~Statement()
{
    sqlite3_finalize(statement_);
}

Statement::Statement(Statement&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), statement_(std::exchange(other.statement_, nullptr))
{
}

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(statement_);
        handle_ = std::exchange(other.handle_, nullptr);
        statement_ = std::exchange(other.statement_, nullptr);
    }
    return *this;
}

void Statement::failed() const
{
    // The message first: resetting the statement would replace it.
    const QString message = engineMessage(handle_);
    sqlite3_reset(statement_);
    throw DbError(message);
}

bool Statement::step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        failed();
    return false;
}

void Statement::run()
{
    const int rc = sqlite3_step(statement_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW)
        failed();
    sqlite3_reset(statement_);
}

void Statement::reset()
{
    sqlite3_reset(statement_);
    sqlite3_clear_bindings(statement_);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(statement_);
}

QString Statement::text(int column) const
{
    // The text before its length, the order the engine asks for.
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(statement_, column));
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

void Statement::bindNull(int index)
{
    sqlite3_bind_null(statement_, index);
}

void Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(statement_, index, value);
}

void Statement::bind(int index, double value)
{
    sqlite3_bind_double(statement_, index, value);
}

void Statement::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bindBlob(int index, const QByteArray& bytes)
{
    sqlite3_bind_blob(statement_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}

} // namespace db::detail
