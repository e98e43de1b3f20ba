#pragma once
#include <QString>
#include <functional>

namespace db {

class Connection;

// Files of a compaction, beside the database file.
inline constexpr const char* kCompactionCopyName = "qmxpcdiy2.dat";
inline constexpr const char* kCompactionTempName = "tmpDB.mdb";

// What the file system tells of a file's content: any write changes one of these.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 inode = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp stampOf(const QString& path);

// True while a database file has a write-ahead log beside it: a connection (of this program
// or another) holds it open, or one ended without folding its log into the file. A copy of
// the file alone then misses changes, and a file put in its place would get that log.
bool hasWriteAheadLog(const QString& databasePath);

// Folds the connection's write-ahead log into the database file as far as other readers
// allow, without waiting for them. Closing the last connection folds in the rest.
void checkpoint(Connection& connection);

// Step 1: copies the closed database file to `copy` (replacing it, together with the
// leftovers of an earlier copy's log) and answers the stamp of what it copied. Fails,
// copying nothing, when the file is missing or still has a write-ahead log, and removes the
// copy when the file changed while it was being copied.
FileStamp copyClosedDatabase(const QString& databasePath, const QString& copy);

// The compaction routine: writes a compacted copy of `file`, encrypted with the same
// password, into "tmpDB.mdb" in the same folder (sqlcipher_export into an attached database),
// checks that it opens with that password and holds the same schema and rows, and moves it
// over `file` in one step. On any failure `file` is left as it was and no "tmpDB.mdb" is
// left behind (one left over from an earlier run is removed first). `between` runs between
// the steps (the caller lets pending window messages run there); whatever it throws ends
// the routine like any other failure.
void compactInPlace(const QString& file, const QString& password, const std::function<void()>& between = {});

// Step 2's copy back: replaces the database file with the compacted copy in one step, but
// only when the database file is closed everywhere (no write-ahead log) and still holds what
// step 1 copied (`copiedFrom`); otherwise fails and leaves it as it is.
void restoreCompacted(const QString& copy, const QString& databasePath, const FileStamp& copiedFrom);

} // namespace db
