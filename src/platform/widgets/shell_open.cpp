#include "platform/widgets/shell_open.h"
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace platform {

bool openWithShell(const QString& target)
{
    if (target.trimmed().isEmpty())
        return false;
    const QUrl url = QUrl::fromUserInput(target, QDir::currentPath());
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace platform

namespace platform {

bool openUrlWithShell(const QUrl& url)
{
    return url.isValid() && QDesktopServices::openUrl(url);
}

} // namespace platform
