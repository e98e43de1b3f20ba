#include "platform/file_operations.h"
#include "platform/error.h"
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

[[noreturn]] void fail(const QString& action, const QString& path, const QString& reason)
{
    throw Error(QStringLiteral("Cannot %1 file \"%2\": %3").arg(action, path, reason));
}

// Flushes a file's (or a folder's) content to the disk.
void syncToDisk(const QString& path, bool folder)
{
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
    if (fd < 0)
        fail(QStringLiteral("open"), path, QString::fromLocal8Bit(std::strerror(errno)));
    const int rc = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    if (rc != 0)
        fail(QStringLiteral("flush"), path, QString::fromLocal8Bit(std::strerror(error)));
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
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("create"), path, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(QStringLiteral("write"), path, reason);
    }
    if (!file.commit())
        fail(QStringLiteral("write"), path, file.errorString());
}

void copyFile(const QString& source, const QString& target)
{
    if (QFileInfo(source).isDir())
        fail(QStringLiteral("copy"), source, QStringLiteral("it is a folder"));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("open"), source, in.errorString());
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        fail(QStringLiteral("create"), target, out.errorString());
    while (!in.atEnd()) {
        const QByteArray slice = in.read(copySlice);
        if (in.error() != QFileDevice::NoError)
            fail(QStringLiteral("read"), source, in.errorString()); // out is discarded unsaved
        if (out.write(slice) != slice.size())
            fail(QStringLiteral("write"), target, out.errorString());
    }
    if (!out.commit())
        fail(QStringLiteral("write"), target, out.errorString());
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
        fail(QStringLiteral("replace"), to, QStringLiteral("it is a folder"));
    syncToDisk(from, false);
    // rename(2) puts the new file in the old one's place atomically.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        fail(QStringLiteral("move"), from, QString::fromLocal8Bit(std::strerror(errno)));
    syncToDisk(QFileInfo(to).absolutePath(), true);
}

} // namespace platform
