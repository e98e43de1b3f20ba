#pragma once
#include <QString>
#include <functional>

namespace db {

// Puts a backup in place of the catalogue `databasePath` and the PICS folder beside it.
//
// Everything is checked and unpacked beside the data before anything of it changes: the
// backup's checksums, that its catalogue opens with the database password and passes the
// catalogue check. Then `beforeReplacing` runs (the caller backs up the current state
// there; what it throws ends the restore), and the pictures and the catalogue are moved into
// place. A failure at any step, of the backup or of the disk, leaves the catalogue and its
// pictures as they were. The catalogue must be closed by this program; one that another
// program holds open (it has a write-ahead log) is not replaced.
//
// The pictures that were replaced stay in a folder beside PICS until
// removeReplacedPictures() (removing thousands of files can take seconds, and the restore
// is done without it).
//
// `faultAt` is called with the name of each step ("unpacked", "pictures"), so
// that tests can make a step fail.
void restoreBackup(const QString& backupPath, const QString& databasePath,
                   const std::function<void()>& beforeReplacing = {},
                   const std::function<void(const char* step)>& faultAt = {});

void removeReplacedPictures(const QString& databasePath);

// The backup of the current state made before a restore. A catalogue that fails the
// catalogue check cannot be backed up that way; its file is then kept as it is, as
// "<time>-damaged.dat" in the backup folder. Answers the file written.
QString backUpBeforeRestore(const QString& databasePath, const QString& backupFolder);

// Checks a backup as restoreBackup does (checksums, its catalogue opens and passes the
// catalogue check) without changing anything; answers the problem, or an empty text.
QString backupProblem(const QString& backupPath, const QString& scratchFolder);

} // namespace db
