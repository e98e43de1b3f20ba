#pragma once
#include "db/backup_snapshot.h"
#include "db/catalogue_migration.h"
#include <QDateTime>

namespace db {

class Connection;

// Backups of a catalogue on a server, in the same file format as a catalogue file's: the
// backup's catalogue is an encrypted catalogue file holding a copy of the server's, its
// pictures the server's PICTURE rows as PICS files. A backup of either kind restores into
// either kind.

// The folder, inside a backup folder, that holds one server database's backups: named by the
// server's host, port and database ("server-192.168.1.10-5432-qmx"), so they are listed,
// rotated and counted apart from the file's and from another server's.
QString serverBackupFolder(const QString& backupFolder, const QString& serverAddress);

// Copies the server's catalogue (as it is at one moment) into a new file in a scratch
// folder inside the backup folder and writes that into a backup named by `time` and `cause`.
// The scratch folder goes whatever happens. `snapshotTaken` is called once the moment the
// backup holds is fixed (writes after it are not in the backup); `progress` tells how far
// the copy and the writing are, in percent.
BackupInfo makeServerBackup(Connection& server, const QString& backupFolder, BackupCause cause,
                            const QDateTime& time = QDateTime::currentDateTime(),
                            const std::function<void()>& snapshotTaken = {}, const BackupProgress& progress = {});

// Restores a backup (of a file or of a server) into an empty database on a server: the
// backup is unpacked into a scratch folder and checked as a file restore checks it
// (checksums, the catalogue opens and passes the catalogue check), then copied into the
// server in one transaction. A server holding a catalogue already is refused
// (TargetNotEmpty) and not changed. Answers what was copied.
MigrationCounts restoreServerBackup(const QString& backupPath, Connection& server);

} // namespace db
