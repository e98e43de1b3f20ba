#include "db/backup_restore.h"
#include "db/backup.h"
#include "db/backup_snapshot.h"
#include "db/catalogue_check.h"
#include "db/compaction.h"
#include "db/db_error.h"
#include "db/detail/backup_format.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

void removeTree(const QString& path)
{
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
}

// Every file written into the folder reaches the disk with one call, not one per picture.
void syncFileSystemOf(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::syncfs(fd);
    ::close(fd);
}

void renameFolder(const QString& from, const QString& to)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw DbError(QStringLiteral("无法将文件夹“%1”改名为“%2”：%3")
                          .arg(from, to, QString::fromLocal8Bit(std::strerror(errno))));
}

// A backup's content unpacked beside the data it replaces: the catalogue under the
// temporary name of an atomic file, the pictures in a folder of their own. Removed when
// the restore does not get as far as moving them in.
class Unpacked {
public:
    Unpacked(const QString& backupPath, const QString& databasePath)
        : databasePath_(databasePath), catalogue_(databasePath),
          pictures_(QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral(".PICS-restore.tmp")))
    {
        try {
            unpack(backupPath);
        } catch (...) {
            removeTree(pictures_);
            throw;
        }
    }
    ~Unpacked() { removeTree(pictures_); }

    platform::AtomicFile& catalogue() { return catalogue_; }
    const QString& pictures() const { return pictures_; }

private:
    void unpack(const QString& backupPath)
    {
        const detail::BackupIndex index = detail::readBackupIndex(backupPath);
        QFile backup(backupPath);
        if (!backup.open(QIODevice::ReadOnly))
            throw DbError(QStringLiteral("无法打开备份文件“%1”：%2").arg(backupPath, backup.errorString()));
        detail::copySection(backup, index.database, catalogue_, backupPath);
        catalogue_.finish();
        removeTree(pictures_);
        if (!QDir().mkpath(pictures_))
            throw DbError(QStringLiteral("无法建立文件夹“%1”。").arg(pictures_));
        for (const detail::BackupSection& picture : index.pictures) {
            QFile out(QDir(pictures_).filePath(picture.name));
            if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                throw DbError(QStringLiteral("无法写入“%1”：%2").arg(out.fileName(), out.errorString()));
            detail::copySection(backup, picture, out, backupPath);
        }
        syncFileSystemOf(pictures_);
        const QString problem = catalogueFileProblem(catalogue_.temporaryPath());
        if (!problem.isEmpty())
            throw DbError(QStringLiteral("备份“%1”中的数据库不能使用：%2").arg(index.info.name, problem));
    }

    QString databasePath_;
    platform::AtomicFile catalogue_;
    QString pictures_;
};

QString replacedPicturesFolder(const QString& databasePath);

// PICS and the unpacked pictures change places; undone unless kept.
class PictureSwap {
public:
    PictureSwap(const QString& unpacked, const QString& databasePath)
        : unpacked_(unpacked),
          live_(QFileInfo(databasePath).absoluteDir().filePath(QLatin1String(kPicturesFolderName))),
          old_(replacedPicturesFolder(databasePath))
    {
        removeTree(old_);
        hadLive_ = QFileInfo(live_).isDir();
        if (hadLive_)
            renameFolder(live_, old_);
        try {
            renameFolder(unpacked_, live_);
        } catch (...) {
            if (hadLive_)
                std::rename(QFile::encodeName(old_).constData(), QFile::encodeName(live_).constData());
            throw;
        }
    }
    ~PictureSwap()
    {
        if (kept_)
            return; // the replaced pictures are removed by removeReplacedPictures()
        // Back as it was: the restored pictures out, the old ones in.
        std::rename(QFile::encodeName(live_).constData(), QFile::encodeName(unpacked_).constData());
        if (hadLive_)
            std::rename(QFile::encodeName(old_).constData(), QFile::encodeName(live_).constData());
    }
    void keep() { kept_ = true; }

private:
    QString unpacked_;
    QString live_;
    QString old_;
    bool hadLive_ = false;
    bool kept_ = false;
};

QString replacedPicturesFolder(const QString& databasePath)
{
    return QFileInfo(databasePath).absoluteDir().filePath(QStringLiteral(".PICS-replaced.tmp"));
}

void fault(const std::function<void(const char*)>& faultAt, const char* step)
{
    if (faultAt)
        faultAt(step);
}

} // namespace

void restoreBackup(const QString& backupPath, const QString& databasePath, const std::function<void()>& beforeReplacing,
                   const std::function<void(const char*)>& faultAt)
{
    Unpacked unpacked(backupPath, databasePath);
    fault(faultAt, "unpacked");
    if (beforeReplacing)
        beforeReplacing();
    if (hasWriteAheadLog(databasePath))
        throw DbError(QStringLiteral("数据库文件“%1”正被其他程序使用（或上次未正常关闭），没有恢复。请关闭其他使用它的程序后再恢复。")
                          .arg(QFileInfo(databasePath).fileName()));
    PictureSwap swap(unpacked.pictures(), databasePath);
    fault(faultAt, "pictures");
    // The engine's index of a log that no longer exists would describe the old file.
    QFile::remove(databasePath + QStringLiteral("-shm"));
    unpacked.catalogue().commit();
    swap.keep();
}

void removeReplacedPictures(const QString& databasePath)
{
    removeTree(replacedPicturesFolder(databasePath));
}

QString backUpBeforeRestore(const QString& databasePath, const QString& backupFolder)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!QFileInfo(databasePath).isFile())
        return {}; // nothing to keep
    if (catalogueFileProblem(databasePath).isEmpty())
        return makeBackup(databasePath, backupFolder, BackupCause::Restore, now).path;
    if (!QDir().mkpath(backupFolder))
        throw DbError(QStringLiteral("无法建立备份文件夹“%1”。").arg(backupFolder));
    const QString copy = QDir(backupFolder).filePath(now.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-damaged.dat"));
    platform::copyFile(databasePath, copy);
    return copy;
}

QString backupProblem(const QString& backupPath, const QString& scratchFolder)
{
    try {
        const detail::BackupIndex index = detail::readBackupIndex(backupPath);
        QFile backup(backupPath);
        if (!backup.open(QIODevice::ReadOnly))
            return backup.errorString();
        platform::AtomicFile catalogue(QDir(scratchFolder).filePath(QStringLiteral(".backup-check.dat")));
        detail::copySection(backup, index.database, catalogue, backupPath);
        catalogue.finish();
        const QString problem = catalogueFileProblem(catalogue.temporaryPath());
        QFile::remove(catalogue.temporaryPath() + QStringLiteral("-wal"));
        QFile::remove(catalogue.temporaryPath() + QStringLiteral("-shm"));
        return problem;
    } catch (const std::exception& e) {
        return platform::errorMessage(e);
    }
}

} // namespace db
