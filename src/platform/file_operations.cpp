#include "platform/file_operations.h"
#include "platform/atomic_file.h"
#include "platform/detail/move_into_place.h"
#include "platform/error.h"
#include "platform/file_failure.h"
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void fail(const QString& action, const QString& path, const QString& reason)
{
    throw Error(QStringLiteral("Cannot %1 file \"%2\": %3").arg(action, path, reason));
}

// Flushes a finished file's content to the disk; answers errno, or 0.
int syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
}

// Copies in slices so that large files (the database) do not have to fit in memory twice.
constexpr qint64 copySlice = 1 << 20;

} // namespace

bool fileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QByteArray readWholeFile(const QString& path)
{
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("read"), path, QStringLiteral("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("read"), path, file.errorString());
    return bytes;
}

void writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    AtomicFile file(path);
    file.write(bytes);
    file.commit(); // throws when the write failed
}

void copyFile(const QString& source, const QString& target)
{
    if (QFileInfo(source).isDir())
        fail(QStringLiteral("copy"), source, QStringLiteral("it is a folder"));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), source, in.errorString());
    AtomicFile out(target);
    while (!in.atEnd()) {
        const QByteArray slice = in.read(copySlice);
        if (in.error() != QFileDevice::NoError)
            fail(QStringLiteral("read"), source, in.errorString()); // out is discarded unsaved
        if (out.write(slice) != slice.size())
            break; // commit() reports why
    }
    out.commit();
}

void deleteFile(const QString& path)
{
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("delete"), path, QStringLiteral("it is a folder"));
    QFile file(path);
    if (!file.remove())
        fail(QStringLiteral("delete"), path, file.errorString());
}

void renameFile(const QString& from, const QString& to)
{
    QFile file(from);
    if (!file.rename(to))
        fail(QStringLiteral("rename"), from, file.errorString());
}

void replaceFile(const QString& from, const QString& to)
{
    if (!QFileInfo(from).isFile())
        fail(QStringLiteral("move"), from, QStringLiteral("it is not a file"));
    if (QFileInfo(to).isDir())
        throwWriteFailure(to, writeFailureCause(EISDIR));
    if (const int error = syncFile(from))
        throwWriteFailure(to, writeFailureCause(error));
    const detail::MoveResult move = detail::moveIntoPlace(from, to, AtomicFile::Replace::Existing);
    if (move.error != 0)
        throwWriteFailure(to, writeFailureCause(move.error));
}

} // namespace platform
