#include "platform/widgets/shell_open.h"
#include "platform/web_address.h"
#include <QDesktopServices>
#include <QFileInfo>
#include <QStandardPaths>
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

bool showInFileManager(const QString& folder)
{
    // Only in a desktop session: elsewhere (a terminal, a test run) nothing is started.
    if (qEnvironmentVariableIsEmpty("XDG_CURRENT_DESKTOP") && qEnvironmentVariableIsEmpty("DESKTOP_SESSION"))
        return false;
    if (!QFileInfo(folder).isDir() || QStandardPaths::findExecutable(QStringLiteral("xdg-open")).isEmpty())
        return false;
    // A folder is never run: the desktop opens it in its file manager.
    openUnchecked(QUrl::fromLocalFile(QFileInfo(folder).absoluteFilePath()));
    return true;
}

} // namespace platform
