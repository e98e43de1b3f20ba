#pragma once
#include "db/backup.h"
#include <QByteArray>
#include <QCryptographicHash>
#include <QList>
#include <functional>
#include <memory>

namespace platform { class AtomicFile; }

// The layout of a backup file:
//   "QMXDIYBK", format (u32 LE), 0 (u32)             head, 16 bytes
//   the encrypted catalogue file, then each picture   sections, back to back
//   index (UTF-8 JSON)                                what the file holds, where, checksums
//   index offset (u64 LE), index length (u32 LE), format (u32 LE), "QMXBKEND"
// The index comes last so that the file is written in one pass; a file cut short loses its
// last bytes and with them the end mark, so it is never taken for a whole backup.
namespace db::detail {

inline constexpr quint32 kBackupFormat = 1;

struct BackupSection {
    QString name; // a picture's file name; empty for the catalogue
    qint64 offset = 0;
    qint64 size = 0;
    QByteArray md5; // hex
};

struct BackupIndex {
    BackupInfo info;
    qint64 userVersion = 0; // the catalogue's schema version
    BackupSection database;
    QList<BackupSection> pictures;
};

// Reads and checks head, end and index; throws DbError with the operator's message.
BackupIndex readBackupIndex(const QString& path);

// Writes a backup file under a temporary name; commit() puts it in place. Destroyed
// uncommitted, it leaves nothing.
class BackupWriter {
public:
    explicit BackupWriter(const QString& target);
    ~BackupWriter();
    BackupWriter(const BackupWriter&) = delete;
    BackupWriter& operator=(const BackupWriter&) = delete;

    // Copies a file in as the next section; false when it has gone (a picture deleted
    // meanwhile), nothing then written.
    bool addFile(const QString& path, BackupSection& section);
    void commit(const BackupIndex& index);

private:
    std::unique_ptr<platform::AtomicFile> file_;
    qint64 written_ = 0;
};

// Copies one section of a backup file into `out`, checking its checksum; fails (DbError)
// on a mismatch or a short read.
void copySection(QIODevice& backup, const BackupSection& section, QIODevice& out, const QString& backupPath);

QString damagedBackupText(const QString& path);

} // namespace db::detail
