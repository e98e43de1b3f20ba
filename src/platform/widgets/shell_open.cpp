#include "platform/widgets/shell_open.h"
#include "platform/web_address.h"
#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {

// Whatever it is handed: a program as well as a page. Hence only ever after the check.
void openUnchecked(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

} // namespace

bool openCheckedAddress(const QString& text, const QString& baseFolder)
{
    const QUrl target = safeOpenTarget(text, baseFolder);
    if (!target.isValid())
        return false;
    openUnchecked(target);
    return true;
}

} // namespace platform
