#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

// Backups of a shop's data: the encrypted catalogue and its pictures in one file per backup,
// named by its time and cause ("20261210-083015-start.qmxbak"), in the backup folder.
namespace db {

// Why a backup was made. The ones before a step that removes or rewrites much are kept
// longer than the daily ones (see backup_rotation.h).
enum class BackupCause { Start, Manual, Compaction, Import, QuotationDelete, CategoryDelete, Restore };

QString causeKey(BackupCause cause);  // the ASCII word in the file name
QString causeText(BackupCause cause); // what the operator reads
std::optional<BackupCause> causeFromKey(const QString& key);
bool madeBeforeStep(BackupCause cause);

inline constexpr const char* kBackupFolderName = "备份";
inline constexpr const char* kBackupSuffix = ".qmxbak";
inline constexpr const char* kPicturesFolderName = "PICS";

// What a catalogue holds, as a backup lists it.
struct CatalogueCounts {
    qint64 categories = 0;
    qint64 items = 0;
    qint64 quotations = 0;
    qint64 pictures = 0;
    bool operator==(const CatalogueCounts&) const = default;
};

struct BackupInfo {
    QString path;
    QString name; // the file name without its suffix
    QDateTime time;
    BackupCause cause = BackupCause::Manual;
    qint64 size = 0;
    CatalogueCounts counts;
};

// The file name (without folder) of a backup made at `time` for `cause`.
QString backupFileName(const QDateTime& time, BackupCause cause);

// What a backup file holds, read from its index without reading the rest. Fails (DbError,
// a message for the operator) for a file that is cut short, of another program, or written
// by a newer version of this one.
BackupInfo readBackupInfo(const QString& path);

// The backups in a folder, newest first. Files that are not whole backups (one being
// written, one cut short by a crash, anything else) are not listed.
QList<BackupInfo> listBackups(const QString& folder);

// A backup given by its name (with or without the suffix) in the folder, or by a path.
QString findBackup(const QString& folder, const QString& nameOrPath);

} // namespace db
