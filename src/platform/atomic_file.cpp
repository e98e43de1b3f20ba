#include "platform/atomic_file.h"
#include "platform/detail/move_into_place.h"
#include "platform/error.h"
#include "platform/file_failure.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qsizetype kGatherBytes = 64 * 1024;
constexpr int kNameAttempts = 64;

// A symbolic link is written through, so the link stays a link.
QString resolvedTarget(const QString& target)
{
    const QFileInfo info(target);
    return info.isSymLink() ? info.symLinkTarget() : info.absoluteFilePath();
}

// Beside the target and named after it, so one left by a crash is easy to tell; unique,
// and short enough for any file-name limit.
QString temporaryName(const QFileInfo& target)
{
    QString base = target.fileName();
    if (QFile::encodeName(base).size() > 200)
        base = QStringLiteral("qmx");
    const quint64 random = QRandomGenerator::global()->generate64();
    return target.absolutePath() + QLatin1Char('/') + base + QLatin1Char('.') + QString::number(random, 36)
        + QStringLiteral(".tmp");
}

int syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // Some file systems cannot sync a folder; their renames are then as safe as they get.
    const int error = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
    ::close(fd);
    return error;
}

// Moves `from` to a name that must be free, in one step.
int renameToNewName(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that flag: a second hard link fails just as well when the name is taken.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

} // namespace

namespace detail {

MoveResult moveIntoPlace(const QString& from, const QString& to, AtomicFile::Replace mode)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    // rename(2) puts the new file in the old one's place in one step.
    const int error = mode == AtomicFile::Replace::Existing
        ? (std::rename(source.constData(), target.constData()) == 0 ? 0 : errno)
        : renameToNewName(source, target);
    if (error != 0)
        return {false, error};
    return {true, syncFolder(QFileInfo(to).absolutePath())};
}

} // namespace detail

AtomicFile::AtomicFile(const QString& target) : target_(target)
{
    const QFileInfo resolved(resolvedTarget(target));
    if (resolved.isDir())
        fail(EISDIR);
    struct stat existing {};
    const bool replaces = ::stat(QFile::encodeName(resolved.absoluteFilePath()).constData(), &existing) == 0;
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = temporaryName(resolved);
        // 0666 less the umask, as for any new file; a replaced file keeps its permissions.
        fd_ = ::open(QFile::encodeName(temporary_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt == kNameAttempts)) {
            const int error = errno;
            temporary_.clear();
            fail(error);
        }
    }
    if (replaces)
        ::fchmod(fd_, existing.st_mode & 07777);
    pending_.reserve(kGatherBytes);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

AtomicFile::~AtomicFile()
{
    discard();
}

void AtomicFile::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(QFile::encodeName(temporary_).constData());
    temporary_.clear();
    if (isOpen())
        QIODevice::close();
}

void AtomicFile::fail(int errorNumber)
{
    discard();
    throwWriteFailure(target_, writeFailureCause(errorNumber));
}

qint64 AtomicFile::readData(char*, qint64)
{
    return -1;
}

bool AtomicFile::writeOut(const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd_, data, std::size_t(size));
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0) {
            writeError_ = done < 0 ? errno : EIO;
            setErrorString(writeFailureCause(writeError_));
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

qint64 AtomicFile::writeData(const char* data, qint64 size)
{
    if (writeError_ != 0 || fd_ < 0)
        return -1; // failed before, or finished
    if (pending_.size() + size <= kGatherBytes) {
        pending_.append(data, qsizetype(size));
        return size;
    }
    const bool written = writeOut(pending_.constData(), pending_.size()) && writeOut(data, size);
    pending_.resize(0);
    return written ? size : -1;
}

void AtomicFile::finish()
{
    if (fd_ < 0)
        return;
    if (writeError_ == 0 && writeOut(pending_.constData(), pending_.size()))
        pending_.resize(0);
    if (writeError_ != 0)
        fail(writeError_);
    if (::fsync(fd_) != 0)
        fail(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        fail(errno);
}

void AtomicFile::commit(Replace mode)
{
    if (temporary_.isEmpty())
        throwWriteFailure(target_, QStringLiteral("文件已关闭"));
    finish();
    const detail::MoveResult move = detail::moveIntoPlace(temporary_, resolvedTarget(target_), mode);
    if (!move.moved)
        fail(move.error);
    temporary_.clear();
    QIODevice::close();
    if (move.error != 0) // in place, but the folder could not be synced
        throwWriteFailure(target_, writeFailureCause(move.error));
}

void streamFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write)
{
    AtomicFile file(path);
    try {
        write(file);
    } catch (const Error&) {
        if (file.writeFailed())
            throwWriteFailure(path, file.errorString());
        throw;
    }
    file.commit();
}

} // namespace platform
