#include "platform/file_failure.h"
#include "platform/error.h"
#include <cerrno>
#include <cstring>

namespace platform {

QString writeFailureText(const QString& path, const QString& cause)
{
    return QStringLiteral("无法写入文件“%1”：%2").arg(path, cause);
}

QString writeFailureCause(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM: return QStringLiteral("没有权限");
    case ENOSPC:
    case EDQUOT: return QStringLiteral("磁盘已满");
    case EFBIG: return QStringLiteral("文件太大");
    // A missing folder, or a file where the path needs a folder.
    case ENOENT:
    case ENOTDIR: return QStringLiteral("文件夹不存在");
    case EROFS: return QStringLiteral("文件系统只读");
    case EISDIR: return QStringLiteral("同名的文件夹已存在");
    case EEXIST: return QStringLiteral("文件已存在");
    default: return QString::fromLocal8Bit(std::strerror(errorNumber));
    }
}

void throwWriteFailure(const QString& path, const QString& cause)
{
    throw Error(writeFailureText(path, cause));
}

} // namespace platform
