#include "db/compaction.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/engines/file_engine.h"
#include "db/statements.h"
#include "platform/file_operations.h"
#include <sqlcipher/sqlite3.h>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace db {

namespace {

// The engine keeps these beside a database file: its write-ahead log, the log's index and
// the rollback journal.
const char* const kSideFiles[] = {"-wal", "-shm", "-journal"};

struct Handle {
    std::unique_ptr<FileEngine> engine;
    FileEngine* h() const { return engine.get(); }
    void close() { engine.reset(); }
};

// Every row of a statement, its columns joined by a unit separator.
QStringList rowsOf(Engine* handle, const QString& sql)
{
    detail::Statement st(handle, sql);
    QStringList rows;
    while (st.step()) {
        QStringList columns;
        for (int c = 0; c < st.columnCount(); ++c)
            columns << st.text(c);
        rows << columns.join(QChar(0x1f));
    }
    return rows;
}

QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
}

// What a compacted copy must hold like its original: the schema (tables, indexes, triggers,
// views and their text), the rows of every table, the key counters and the user version.
struct Summary {
    QStringList schema;
    QStringList rowCounts;
    QStringList counters;
    QString userVersion;
    bool operator==(const Summary&) const = default;
};

Summary summarize(Engine* handle)
{
    Summary s;
    s.schema = rowsOf(handle, QStringLiteral("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY type, name"));
    for (const QString& table :
         rowsOf(handle, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name")))
        s.rowCounts << table + QLatin1Char('=')
                + rowsOf(handle, QStringLiteral("SELECT count(*) FROM ") + quotedName(table)).value(0);
    if (!rowsOf(handle, QStringLiteral("SELECT name FROM sqlite_master WHERE name='sqlite_sequence'")).isEmpty())
        s.counters = rowsOf(handle, QStringLiteral("SELECT name, seq FROM sqlite_sequence ORDER BY name"));
    s.userVersion = rowsOf(handle, QStringLiteral("PRAGMA user_version")).value(0);
    return s;
}

void removeIfPresent(const QString& path)
{
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        platform::deleteFile(path);
}

// A database file together with the engine's side files.
void removeDatabaseFiles(const QString& path, bool withMainFile)
{
    for (const char* suffix : kSideFiles)
        removeIfPresent(path + QLatin1String(suffix));
    if (withMainFile)
        removeIfPresent(path);
}

// Removes the temporary file unless the routine got as far as moving it into place.
struct TemporaryFile {
    QString path;
    bool keep = false;
    ~TemporaryFile()
    {
        if (!keep) {
            try {
                removeDatabaseFiles(path, true);
            } catch (...) {
                // The failure that brought us here is the one to report.
            }
        }
    }
};

QString openElsewhere(const QString& path)
{
    return QStringLiteral("数据库文件“%1”正被其他程序使用（或上次未正常关闭），压缩结果没有写回，数据库保持原样。"
                          "请关闭其他使用它的程序后再压缩。")
        .arg(QFileInfo(path).fileName());
}

} // namespace

FileStamp stampOf(const QString& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
    stamp.inode = info.st_ino;
    return stamp;
}

bool hasWriteAheadLog(const QString& databasePath)
{
    return QFileInfo::exists(databasePath + QStringLiteral("-wal"));
}

void checkpoint(Connection& connection)
{
    if (Engine* engine = connection.handle(); engine && engine->kind() == EngineKind::File)
        sqlite3_wal_checkpoint_v2(static_cast<FileEngine*>(engine)->raw(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
}

FileStamp copyClosedDatabase(const QString& databasePath, const QString& copy)
{
    const FileStamp before = stampOf(databasePath);
    if (!before.exists)
        throw DbError(QStringLiteral("找不到文件“%1”。").arg(databasePath));
    if (hasWriteAheadLog(databasePath))
        throw DbError(openElsewhere(databasePath));
    // The log of an earlier copy would be read back into the new one.
    removeDatabaseFiles(copy, false);
    platform::copyFile(databasePath, copy);
    if (stampOf(databasePath) != before || hasWriteAheadLog(databasePath)) {
        removeDatabaseFiles(copy, true);
        throw DbError(QStringLiteral("数据库文件“%1”在复制期间被修改，压缩没有进行。请再压缩一次。")
                          .arg(QFileInfo(databasePath).fileName()));
    }
    return before;
}

void compactInPlace(const QString& file, const QString& password, const std::function<void()>& between)
{
    auto pause = [&] {
        if (between)
            between();
    };
    const QString temp = QFileInfo(file).absolutePath() + QLatin1Char('/') + QLatin1String(kCompactionTempName);

    pause();
    Handle source{openEncrypted(file, password, QString())};
    const Summary original = summarize(source.h());
    pause();

    removeDatabaseFiles(temp, true); // left over from an earlier run
    TemporaryFile compacted{temp};
    // An empty file is an empty database to the engine; the connection itself creates none.
    platform::writeFileAtomically(temp, QByteArray());
    detail::exec(source.h(), QStringLiteral("ATTACH DATABASE %1 AS compacted KEY %2")
                      .arg(statements::textLiteral(temp), statements::textLiteral(password)));
    try {
        // One transaction: the new file is written once, not once per table.
        detail::exec(source.h(), QStringLiteral("BEGIN"));
        detail::exec(source.h(), QStringLiteral("SELECT sqlcipher_export('compacted')"));
        detail::exec(source.h(), QStringLiteral("PRAGMA compacted.user_version = %1").arg(original.userVersion.toLongLong()));
        detail::exec(source.h(), QStringLiteral("COMMIT"));
    } catch (...) {
        source.h()->rollback();
        sqlite3_exec(source.h()->raw(), "DETACH DATABASE compacted", nullptr, nullptr, nullptr);
        throw;
    }
    detail::exec(source.h(), QStringLiteral("DETACH DATABASE compacted"));
    source.close();
    pause();

    {
        Handle check{openEncrypted(temp, password, QString())};
        if (summarize(check.h()) != original)
            throw DbError(QStringLiteral("the compacted copy of '%1' does not hold the same schema and rows").arg(file));
    }
    pause();

    if (hasWriteAheadLog(file))
        throw DbError(openElsewhere(file));
    platform::replaceFile(temp, file);
    compacted.keep = true;
}

void restoreCompacted(const QString& copy, const QString& databasePath, const FileStamp& copiedFrom)
{
    if (hasWriteAheadLog(databasePath))
        throw DbError(openElsewhere(databasePath));
    if (stampOf(databasePath) != copiedFrom)
        throw DbError(QStringLiteral("数据库文件“%1”在压缩期间被修改，压缩结果没有写回，数据库保持原样（包括这些修改）。"
                                     "请再压缩一次。")
                          .arg(QFileInfo(databasePath).fileName()));
    // Written beside the database file under a temporary name and moved into place.
    platform::copyFile(copy, databasePath);
}

} // namespace db
