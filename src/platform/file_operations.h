#pragma once
#include <QByteArray>
#include <QString>

// File services. Every failure throws platform::Error naming the file and the reason; a
// failed write says writeFailureText (platform/file_failure.h). Writes go through
// AtomicFile (platform/atomic_file.h).
namespace platform {

// True for an existing regular file (a folder is not a file).
bool fileExists(const QString& path);

QByteArray readWholeFile(const QString& path);

// Writes through an AtomicFile, so the target holds either its old content or the new one,
// never a part.
void writeFileAtomically(const QString& path, const QByteArray& bytes);

// Copies source over target (replacing it) through an AtomicFile.
void copyFile(const QString& source, const QString& target);

void deleteFile(const QString& path);

// Moves a file to a new name; fails when a file of the new name already exists.
void renameFile(const QString& from, const QString& to);

// Moves a file over another one (or to a new name) in one step: whoever opens the target
// finds its old content or the new one, never a part or nothing, also after a crash. The
// file's content reaches the disk before the move, and the move before the call returns.
// Both names must be in the same folder's file system.
void replaceFile(const QString& from, const QString& to);

} // namespace platform
