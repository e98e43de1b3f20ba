#include "db/engines/file_engine.h"
#include "db/db_error.h"
#include <sqlcipher/sqlite3.h>

namespace db {

namespace {

QString messageOf(sqlite3* handle)
{
    return QString::fromUtf8(sqlite3_errmsg(handle));
}

class FileCursor final : public Cursor {
public:
    FileCursor(sqlite3* handle, const QByteArray& sql) : handle_(handle)
    {
        if (sqlite3_prepare_v2(handle, sql.constData(), int(sql.size()), &statement_, nullptr) != SQLITE_OK)
            throw DbError(messageOf(handle));
    }
    ~FileCursor() override { sqlite3_finalize(statement_); }

    void bindNull(int index) override { sqlite3_bind_null(statement_, index); }
    void bindText(int index, const QByteArray& utf8) override
    {
        sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindInteger(int index, qint64 value) override { sqlite3_bind_int64(statement_, index, value); }
    void bindReal(int index, double value) override { sqlite3_bind_double(statement_, index, value); }
    void bindBlob(int index, const QByteArray& bytes) override
    {
        sqlite3_bind_blob(statement_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
    }

    bool step() override
    {
        const int rc = sqlite3_step(statement_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        // The message first: resetting the statement would replace it.
        const QString message = messageOf(handle_);
        sqlite3_reset(statement_);
        throw DbError(message);
    }
    void reset() override
    {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    int columnCount() override { return sqlite3_column_count(statement_); }
    QString columnName(int column) override { return QString::fromUtf8(sqlite3_column_name(statement_, column)); }
    QString columnDeclaredType(int column) override
    {
        const char* declared = sqlite3_column_decltype(statement_, column);
        return declared ? QString::fromUtf8(declared) : QString();
    }
    CellView cell(int column) const override
    {
        CellView v;
        switch (sqlite3_column_type(statement_, column)) {
        case SQLITE_INTEGER:
            v.kind = CellView::Kind::Integer;
            v.integer = sqlite3_column_int64(statement_, column);
            break;
        case SQLITE_FLOAT:
            v.kind = CellView::Kind::Real;
            v.real = sqlite3_column_double(statement_, column);
            break;
        case SQLITE_TEXT:
            // The text before its length, the order the engine asks for.
            v.kind = CellView::Kind::Text;
            v.data = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
            v.length = std::uint32_t(sqlite3_column_bytes(statement_, column));
            break;
        case SQLITE_BLOB:
            v.kind = CellView::Kind::Blob;
            v.data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
            v.length = std::uint32_t(sqlite3_column_bytes(statement_, column));
            break;
        default:
            break;
        }
        return v;
    }

private:
    sqlite3* handle_;
    sqlite3_stmt* statement_ = nullptr;
};

qint64 single(FileEngine& engine, const char* sql)
{
    FileCursor cursor(engine.raw(), sql);
    return cursor.step() ? cursor.cell(0).integer : 0;
}

} // namespace

FileEngine::FileEngine(sqlite3* handle, QString path) : handle_(handle), path_(std::move(path))
{
    if (handle_)
        sqlite3_update_hook(handle_, &FileEngine::onUpdate, this);
}

FileEngine::~FileEngine()
{
    // Statements still prepared would keep the file open; close_v2 waits for them.
    sqlite3_close_v2(handle_);
}

std::unique_ptr<Cursor> FileEngine::prepare(const QByteArray& sql)
{
    return std::make_unique<FileCursor>(handle_, sql);
}

void FileEngine::exec(const QByteArray& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(handle_, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = error ? QString::fromUtf8(error) : messageOf(handle_);
        sqlite3_free(error);
        throw DbError(message);
    }
}

int FileEngine::changes() const
{
    return sqlite3_changes(handle_);
}

qint64 FileEngine::lastInsertKey()
{
    return sqlite3_last_insert_rowid(handle_);
}

qint64 FileEngine::totalChanges() const
{
    return sqlite3_total_changes(handle_);
}

void FileEngine::beginWrite()
{
    // Immediate: the write lock is taken now, so the writes cannot fail half-way for want of it.
    exec("BEGIN IMMEDIATE");
}

void FileEngine::commit()
{
    exec("COMMIT");
}

void FileEngine::rollback() noexcept
{
    // A failed statement may have ended the transaction already; then there is nothing to undo.
    if (!sqlite3_get_autocommit(handle_))
        sqlite3_exec(handle_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool FileEngine::inTransaction() const
{
    return !sqlite3_get_autocommit(handle_);
}

qint64 FileEngine::dataVersion()
{
    return single(*this, "PRAGMA data_version");
}

void FileEngine::onUpdate(void* self, int, const char*, const char* table, qint64 rowId)
{
    static_cast<FileEngine*>(self)->rowWritten(QString::fromUtf8(table).toUpper(), rowId);
}

int FileEngine::schemaVersion()
{
    return int(single(*this, "PRAGMA user_version"));
}

void FileEngine::setSchemaVersion(int version)
{
    exec(QByteArray("PRAGMA user_version = ") + QByteArray::number(version));
}

QList<DeclaredColumn> FileEngine::tableColumns(const QString& table)
{
    QList<DeclaredColumn> columns;
    if (table.isEmpty())
        return columns;
    QString quoted = table;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    FileCursor st(handle_, QStringLiteral("PRAGMA table_info(\"%1\")").arg(quoted).toUtf8());
    while (st.step()) {
        const CellView name = st.cell(1), type = st.cell(2);
        columns.append({QString::fromUtf8(name.data, name.length).toUpper(),
                        QString::fromUtf8(type.data, type.length), st.cell(5).integer != 0});
    }
    return columns;
}

qint64 FileEngine::keyCounter(const QString& table)
{
    FileCursor counter(handle_, "SELECT seq FROM sqlite_sequence WHERE name = ?");
    counter.bindText(1, table.toUtf8());
    return counter.step() ? counter.cell(0).integer : 0;
}

void FileEngine::keysGiven(const QString& table, const QString&, qint64 counter)
{
    // The file's counter is kept per table; the rows written have moved it up to their largest key.
    FileCursor raise(handle_, "UPDATE sqlite_sequence SET seq = max(seq, ?) WHERE name = ?");
    raise.bindInteger(1, counter);
    raise.bindText(2, table.toUtf8());
    raise.step();
}

sqlite3* fileHandle(Engine* engine, const QString& what)
{
    if (!engine)
        throw DbError(QStringLiteral("数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
    if (engine->kind() != EngineKind::File)
        throw DbError(QStringLiteral("%1只能用于目录文件，不能用于数据库服务器。").arg(what));
    return static_cast<FileEngine*>(engine)->raw();
}

} // namespace db
