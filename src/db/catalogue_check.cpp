#include "db/catalogue_check.h"
#include "db/compaction.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/engine.h"
#include <QFileInfo>

namespace db {

namespace {

const char* const kTables[] = {"L1", "L2", "L3", "L4", "HW", "DIY"};
constexpr int kSamples = 24;
constexpr int kWholeRows = 2000;

qint64 single(Engine* handle, const QString& sql)
{
    detail::Statement statement(handle, sql);
    return statement.step() ? statement.integer(0) : 0;
}

// Reads every column of a row, so its overflow pages are read too.
void readRow(detail::Statement& statement)
{
    for (int c = 0; c < statement.columnCount(); ++c)
        statement.text(c);
}

void sampleTable(Engine* handle, const QString& table)
{
    // The first rows whole (all of a small table), then a spread over the rest.
    detail::Statement head(handle, QStringLiteral("SELECT * FROM %1 LIMIT %2").arg(table).arg(kWholeRows));
    while (head.step())
        readRow(head);
    const qint64 first = single(handle, QStringLiteral("SELECT min(rowid) FROM %1").arg(table));
    const qint64 last = single(handle, QStringLiteral("SELECT max(rowid) FROM %1").arg(table));
    detail::Statement at(handle, QStringLiteral("SELECT * FROM %1 WHERE rowid >= ? LIMIT 1").arg(table));
    for (int i = 0; i <= kSamples; ++i) {
        at.reset();
        at.bind(1, first + (last - first) * i / kSamples);
        if (at.step())
            readRow(at);
    }
}

QString problemOf(Engine* handle, const QString& path)
{
    for (const char* table : kTables)
        if (handle->tableColumns(QString::fromLatin1(table)).isEmpty())
            return QStringLiteral("缺少数据表 %1").arg(QLatin1String(table));
    // A server keeps its own pages; reading every table through it is the check there is.
    if (handle->kind() == EngineKind::Server) {
        for (const char* table : kTables)
            single(handle, QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table)));
        return {};
    }
    // Without a log every page is in the file; a file cut short misses the last ones.
    if (!hasWriteAheadLog(path)) {
        const qint64 pages = single(handle, QStringLiteral("PRAGMA page_count"));
        const qint64 pageSize = single(handle, QStringLiteral("PRAGMA page_size"));
        if (QFileInfo(path).size() < pages * pageSize)
            return QStringLiteral("文件不完整（应有 %1 字节，只有 %2 字节）").arg(pages * pageSize).arg(QFileInfo(path).size());
    }
    for (const char* table : kTables)
        sampleTable(handle, QString::fromLatin1(table));
    return {};
}

} // namespace

QString catalogueProblem(Connection& connection)
{
    if (!connection.handle())
        return QStringLiteral("数据库没有打开");
    try {
        return problemOf(connection.handle(), connection.fileName());
    } catch (const DbError& e) {
        return e.text();
    }
}

QString catalogueFileProblem(const QString& databasePath)
{
    Connection connection(QStringLiteral("check"));
    connection.setConnectionString(QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=%2")
                                       .arg(databasePath, QLatin1String(kDatabasePassword)));
    try {
        connection.open();
    } catch (const DbError& e) {
        return e.text();
    }
    return catalogueProblem(connection);
}

} // namespace db
