#pragma once
#include "db/backup.h"
#include <QStringList>
#include <functional>
#include <memory>

namespace db { class FileEngine; }

namespace db {

// Percent done of a backup being written; may be called on the writing thread.
using BackupProgress = std::function<void(int percent)>;

// The catalogue as it is at one moment, to be written into a backup file while the program
// goes on changing it: a connection of its own holds a read transaction on the catalogue,
// which the write-ahead log keeps unchanged for it. Made on one thread, written on another
// (never both at once).
class CatalogueSnapshot {
public:
    // Opens the catalogue `databasePath` (its pictures are in PICS beside it) and fixes what
    // the backup will hold. Fails (DbError) when it cannot be read; nothing is then written.
    CatalogueSnapshot(const QString& databasePath, const QString& backupFolder);
    ~CatalogueSnapshot();
    CatalogueSnapshot(const CatalogueSnapshot&) = delete;
    CatalogueSnapshot& operator=(const CatalogueSnapshot&) = delete;

    // Counted at the moment of the snapshot (pictures: the files then in PICS).
    const CatalogueCounts& counts() const { return counts_; }

    // Writes the backup file into the backup folder, named by `time` and `cause`, under a
    // temporary name until it is whole. Once only.
    BackupInfo write(BackupCause cause, const QDateTime& time, const BackupProgress& progress = {});

private:
    void exportCatalogue();
    void release() noexcept;

    QString databasePath_;
    QString backupFolder_;
    QString exportPath_; // the encrypted copy of the catalogue, before it goes into the file
    std::unique_ptr<FileEngine> handle_;
    qint64 userVersion_ = 0;
    QStringList pictures_;
    CatalogueCounts counts_;
};

// A snapshot written at once, for callers that wait for it (the command line, a restore).
BackupInfo makeBackup(const QString& databasePath, const QString& backupFolder, BackupCause cause,
                      const QDateTime& time = QDateTime::currentDateTime(), const BackupProgress& progress = {});

} // namespace db
