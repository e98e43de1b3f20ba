#include "db/backup_snapshot.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/backup_format.h"
#include "db/detail/statement.h"
#include "db/engines/file_engine.h"
#include "db/statements.h"
#include <sqlcipher/sqlite3.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace db {

namespace {

qint64 single(Engine* handle, const char* sql)
{
    detail::Statement statement(handle, sql);
    return statement.step() ? statement.integer(0) : 0;
}

// An empty file is an empty database to the engine; the connection itself creates none.
QString createExportFile(const QString& folder)
{
    for (int attempt = 0;; ++attempt) {
        const QString path = QDir(folder).filePath(
            QStringLiteral(".snapshot-%1.tmp").arg(QRandomGenerator::global()->generate64(), 0, 36));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (attempt == 16)
            throw DbError(QStringLiteral("无法在备份文件夹“%1”中写入：%2").arg(folder, file.errorString()));
    }
}

QStringList pictureFiles(const QString& databasePath)
{
    const QDir pictures(QFileInfo(databasePath).absoluteDir().filePath(QLatin1String(kPicturesFolderName)));
    QStringList files;
    for (const QString& name : pictures.entryList(QDir::Files | QDir::Hidden, QDir::Name))
        files << pictures.filePath(name);
    return files;
}

} // namespace

CatalogueSnapshot::CatalogueSnapshot(const QString& databasePath, const QString& backupFolder)
    : databasePath_(databasePath), backupFolder_(backupFolder)
{
    if (!QDir().mkpath(backupFolder))
        throw DbError(QStringLiteral("无法建立备份文件夹“%1”。").arg(backupFolder));
    const QString password = QString::fromLatin1(kDatabasePassword);
    handle_ = openEncrypted(databasePath, password, QString());
    try {
        exportPath_ = createExportFile(backupFolder);
        // Attached before the transaction begins (the engine attaches outside one only); the
        // copy is rewritten from scratch, so it needs neither journal nor syncs.
        detail::exec(handle_.get(), QStringLiteral("ATTACH DATABASE %1 AS backup KEY %2")
                                  .arg(statements::textLiteral(exportPath_), statements::textLiteral(password)));
        detail::exec(handle_.get(), "PRAGMA backup.journal_mode = OFF");
        detail::exec(handle_.get(), "PRAGMA backup.synchronous = OFF");
        // The first read of the transaction fixes what every later read sees.
        detail::exec(handle_.get(), "BEGIN");
        counts_.categories = single(handle_.get(), "SELECT (SELECT count(*) FROM L1) + (SELECT count(*) FROM L2)"
                                             " + (SELECT count(*) FROM L3) + (SELECT count(*) FROM L4)");
        counts_.items = single(handle_.get(), "SELECT count(*) FROM HW");
        counts_.quotations = single(handle_.get(), "SELECT count(DISTINCT DIY_ID) FROM DIY");
        userVersion_ = single(handle_.get(), "PRAGMA main.user_version");
        pictures_ = pictureFiles(databasePath);
        counts_.pictures = pictures_.size();
    } catch (...) {
        release();
        throw;
    }
}

CatalogueSnapshot::~CatalogueSnapshot()
{
    release();
}

void CatalogueSnapshot::release() noexcept
{
    if (handle_) {
        handle_->rollback();
        sqlite3_exec(handle_->raw(), "DETACH DATABASE backup", nullptr, nullptr, nullptr);
        handle_.reset();
    }
    if (!exportPath_.isEmpty()) {
        QFile::remove(exportPath_);
        QFile::remove(exportPath_ + QStringLiteral("-journal"));
        exportPath_.clear();
    }
}

void CatalogueSnapshot::exportCatalogue()
{
    // Every table, index and trigger, whatever the catalogue holds, with its schema version.
    detail::exec(handle_.get(), "SELECT sqlcipher_export('backup')");
    detail::exec(handle_.get(), QStringLiteral("PRAGMA backup.user_version = %1").arg(userVersion_));
    detail::exec(handle_.get(), "COMMIT");
    detail::exec(handle_.get(), "DETACH DATABASE backup");
    handle_.reset();
}

BackupInfo CatalogueSnapshot::write(BackupCause cause, const QDateTime& time, const BackupProgress& progress)
{
    if (!handle_)
        throw DbError(QStringLiteral("this snapshot has been written already"));
    auto report = [&](int percent) {
        if (progress)
            progress(percent);
    };
    report(0);
    try {
        exportCatalogue();
    } catch (const DbError& e) {
        release();
        throw DbError(QStringLiteral("无法备份数据库“%1”：%2").arg(QFileInfo(databasePath_).fileName(), e.text()));
    }
    report(30);

    detail::BackupIndex index;
    index.info.time = time;
    index.info.cause = cause;
    index.userVersion = userVersion_;
    QString target = QDir(backupFolder_).filePath(backupFileName(time, cause));
    // Two backups of one cause in one second: the second gets a number.
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QDir(backupFolder_).filePath(QFileInfo(backupFileName(time, cause)).completeBaseName()
                                              + QStringLiteral("-%1").arg(n) + QLatin1String(kBackupSuffix));
    detail::BackupWriter writer(target);
    writer.addFile(exportPath_, index.database);
    for (qsizetype i = 0; i < pictures_.size(); ++i) {
        detail::BackupSection picture;
        picture.name = QFileInfo(pictures_[i]).fileName();
        if (writer.addFile(pictures_[i], picture)) // one deleted meanwhile is left out
            index.pictures << picture;
        report(30 + int(70 * (i + 1) / pictures_.size()));
    }
    index.info.counts = counts_;
    index.info.counts.pictures = index.pictures.size();
    writer.commit(index);
    release();
    report(100);
    return readBackupInfo(target);
}

BackupInfo makeBackup(const QString& databasePath, const QString& backupFolder, BackupCause cause,
                      const QDateTime& time, const BackupProgress& progress)
{
    CatalogueSnapshot snapshot(databasePath, backupFolder);
    return snapshot.write(cause, time, progress);
}

} // namespace db
