#include "platform/headless_gui.h"
#include <QDir>
#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The folder "<temp>/qmxdiy-runtime-<uid>" with mode 0700, made when missing; empty when
// the name is taken by anything but such a folder of this user.
QByteArray privateRuntimeFolder()
{
    const QByteArray path = QFile::encodeName(QDir::tempPath()) + "/qmxdiy-runtime-" + QByteArray::number(::getuid());
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()
        || (info.st_mode & 0777) != 0700)
        return {};
    return path;
}

} // namespace

void prepareHeadlessGui()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray folder = privateRuntimeFolder();
        if (!folder.isEmpty())
            qputenv("XDG_RUNTIME_DIR", folder);
    }
}

} // namespace platform
