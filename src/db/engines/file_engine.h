#pragma once
#include "db/engine.h"

struct sqlite3;

namespace db {

// The encrypted catalogue file (SQLCipher). Owns the handle it is given.
class FileEngine final : public Engine {
public:
    FileEngine(sqlite3* handle, QString path);
    ~FileEngine() override;

    // The engine's own handle, for what only a file can do (compaction, snapshots, checks).
    sqlite3* raw() const { return handle_; }

    EngineKind kind() const override { return EngineKind::File; }
    QString location() const override { return path_; }
    std::unique_ptr<Cursor> prepare(const QByteArray& sql) override;
    void exec(const QByteArray& sql) override;
    int changes() const override;
    qint64 lastInsertKey() override;
    qint64 totalChanges() const override;
    void beginWrite() override;
    void commit() override;
    void rollback() noexcept override;
    bool inTransaction() const override;
    qint64 dataVersion() override;
    int schemaVersion() override;
    void setSchemaVersion(int version) override;
    void execSchema(const QByteArray& fileDialectSql) override { exec(fileDialectSql); }
    QList<DeclaredColumn> tableColumns(const QString& table) override;
    qint64 keyCounter(const QString& table) override;
    void keysGiven(const QString& table, const QString& keyColumn, qint64 counter) override;

private:
    static void onUpdate(void* self, int operation, const char* database, const char* table, qint64 rowId);

    sqlite3* handle_;
    QString path_;
};

// The file handle behind an engine; throws DbError naming `what` when the engine is a server's.
sqlite3* fileHandle(Engine* engine, const QString& what);

} // namespace db
