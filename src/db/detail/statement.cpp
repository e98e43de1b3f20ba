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
    if (!handle)
        throw DbError(QStringLiteral("数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
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

Statement& Statement::bindNull(int index)
{
    sqlite3_bind_null(statement_, index);
    return *this;
}

Statement& Statement::bind(int index, const QString& text)
{
    if (text.isNull())
        return bindNull(index);
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement_, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, double value)
{
    sqlite3_bind_double(statement_, index, value);
    return *this;
}

Statement& Statement::bind(int index, std::optional<double> value)
{
    return value ? bind(index, *value) : bindNull(index);
}

Statement& Statement::bindBlob(int index, const QByteArray& bytes)
{
    sqlite3_bind_blob(statement_, index, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The message first: resetting the statement would replace it.
    const QString message = engineMessage(handle_);
    sqlite3_reset(statement_);
    throw DbError(message);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

qint64 Statement::insert()
{
    run();
    return sqlite3_last_insert_rowid(handle_);
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

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(statement_, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(statement_, column);
}

std::optional<double> Statement::optionalReal(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return real(column);
}

QByteArray Statement::blob(int column) const
{
    const void* bytes = sqlite3_column_blob(statement_, column);
    const int length = sqlite3_column_bytes(statement_, column);
    return bytes ? QByteArray(static_cast<const char*>(bytes), length) : QByteArray();
}

QString Statement::text(int column) const
{
    // The text before its length, the order the engine asks for.
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    if (!utf8)
        return {};
    const int length = sqlite3_column_bytes(statement_, column);
    return length == 0 ? QString(QLatin1String("")) : QString::fromUtf8(utf8, length);
}

} // namespace db::detail
