#include "db/server_backup.h"
#include "db/backup_snapshot.h"
#include "db/catalogue_check.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/backup_format.h"
#include "db/server_address.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

namespace db {

namespace {

QTemporaryDir scratchFolder(const QString& inside, const QString& what)
{
    if (!QDir().mkpath(inside))
        throw DbError(QStringLiteral("无法建立文件夹“%1”。").arg(inside));
    QTemporaryDir scratch(QDir(inside).filePath(QStringLiteral(".%1-XXXXXX").arg(what)));
    if (!scratch.isValid())
        throw DbError(QStringLiteral("无法在“%1”中建立临时文件夹：%2").arg(inside, scratch.errorString()));
    return scratch;
}

std::unique_ptr<Connection> openFile(const QString& path)
{
    auto file = std::make_unique<Connection>(QStringLiteral("server-backup"));
    file->setConnectionString(ConnectionString::build(QFileInfo(path).absolutePath() + QLatin1Char('/')));
    file->open();
    return file;
}

// The backup's catalogue and pictures as a catalogue file with PICS beside it.
void unpack(const QString& backupPath, const QString& folder)
{
    const detail::BackupIndex index = detail::readBackupIndex(backupPath);
    QFile backup(backupPath);
    if (!backup.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法打开备份文件“%1”：%2").arg(backupPath, backup.errorString()));
    auto write = [&](const detail::BackupSection& section, const QString& path) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw DbError(QStringLiteral("无法写入“%1”：%2").arg(path, out.errorString()));
        detail::copySection(backup, section, out, backupPath);
    };
    const QDir into(folder);
    const QString catalogue = into.filePath(QLatin1String(kDatabaseFileName));
    write(index.database, catalogue);
    if (!into.mkpath(QLatin1String(kPicturesFolderName)))
        throw DbError(QStringLiteral("无法建立文件夹“%1”。").arg(into.filePath(QLatin1String(kPicturesFolderName))));
    const QDir pictures(into.filePath(QLatin1String(kPicturesFolderName)));
    for (const detail::BackupSection& picture : index.pictures)
        write(picture, pictures.filePath(picture.name));
    const QString problem = catalogueFileProblem(catalogue);
    if (!problem.isEmpty())
        throw DbError(QStringLiteral("备份“%1”中的数据库不能使用：%2").arg(index.info.name, problem));
}

} // namespace

QString serverBackupFolder(const QString& backupFolder, const QString& serverAddress)
{
    const ServerFields server = serverFields(serverAddress);
    QString name = QStringLiteral("server-%1-%2-%3")
                       .arg(server.host.isEmpty() ? QStringLiteral("localhost") : server.host,
                            QString::number(server.port), server.database);
    // A server on this machine is named by its socket folder: no slash reaches the name.
    static const QRegularExpression unsafe(QStringLiteral("[^\\w.-]+"));
    name.replace(unsafe, QStringLiteral("_"));
    return QDir(backupFolder).filePath(name);
}

BackupInfo makeServerBackup(Connection& server, const QString& backupFolder, BackupCause cause, const QDateTime& time,
                            const std::function<void()>& snapshotTaken, const BackupProgress& progress)
{
    const QTemporaryDir scratch = scratchFolder(backupFolder, QStringLiteral("server-backup"));
    const QString copy = QDir(scratch.path()).filePath(QLatin1String(kDatabaseFileName));
    createCatalogue(copy, false);
    {
        const auto file = openFile(copy);
        // The copy is the first half of the work; which table is being copied is as close
        // as the copy can tell (its rows are counted per table).
        int copiedTables = 0;
        QString lastPart;
        migrateCatalogue(server, *file, [&](const QString& part, qint64, qint64) {
            if (part == lastPart || !progress)
                return;
            lastPart = part;
            progress(std::min(50, 5 * ++copiedTables));
        }, snapshotTaken);
    }
    // The copy is a catalogue file like any other, its pictures in PICS beside it: written
    // into the backup as a file's backup is.
    try {
        return makeBackup(copy, backupFolder, cause, time, [&](int percent) {
            if (progress)
                progress(50 + percent / 2);
        });
    } catch (const DbError& e) {
        throw DbError(QStringLiteral("无法备份服务器上的数据库 %1：%2").arg(server.fileName(), e.text()));
    }
}

MigrationCounts restoreServerBackup(const QString& backupPath, Connection& server)
{
    const QTemporaryDir scratch = scratchFolder(QDir::tempPath(), QStringLiteral("qmxdiy-restore"));
    unpack(backupPath, scratch.path());
    const auto file = openFile(QDir(scratch.path()).filePath(QLatin1String(kDatabaseFileName)));
    return migrateCatalogue(*file, server);
}

} // namespace db
