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
    throw Error(QStringLiteral("无法%1文件“%2”：%3").arg(action, path, reason));
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
        fail(QStringLiteral("读取"), path, QStringLiteral("这是一个文件夹"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("打开"), path, file.errorString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("读取"), path, file.errorString());
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
        fail(QStringLiteral("复制"), source, QStringLiteral("这是一个文件夹"));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("打开"), source, in.errorString());
    AtomicFile out(target);
    while (!in.atEnd()) {
        const QByteArray slice = in.read(copySlice);
        if (in.error() != QFileDevice::NoError)
            fail(QStringLiteral("读取"), source, in.errorString()); // out is discarded unsaved
        if (out.write(slice) != slice.size())
            break; // commit() reports why
    }
    out.commit();
}

void deleteFile(const QString& path)
{
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("删除"), path, QStringLiteral("这是一个文件夹"));
    QFile file(path);
    if (!file.remove())
        fail(QStringLiteral("删除"), path, file.errorString());
}

void renameFile(const QString& from, const QString& to)
{
    QFile file(from);
    if (!file.rename(to))
        fail(QStringLiteral("重命名"), from, file.errorString());
}

void replaceFile(const QString& from, const QString& to)
{
    if (!QFileInfo(from).isFile())
        fail(QStringLiteral("移动"), from, QStringLiteral("这不是一个文件"));
    if (QFileInfo(to).isDir())
        throwWriteFailure(to, writeFailureCause(EISDIR));
    if (const int error = syncFile(from))
        throwWriteFailure(to, writeFailureCause(error));
    const detail::MoveResult move = detail::moveIntoPlace(from, to, AtomicFile::Replace::Existing);
    if (move.error != 0)
        throwWriteFailure(to, writeFailureCause(move.error));
}

} // namespace platform
