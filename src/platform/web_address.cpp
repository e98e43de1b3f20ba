#include "platform/web_address.h"
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace platform {

namespace {

bool isWebScheme(const QString& scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") || scheme == QLatin1String("ftp");
}

// Files the desktop would run rather than show, whatever their permission bits say.
bool isLauncher(const QFileInfo& file)
{
    static const QStringList launchers = {"desktop", "exe", "com", "bat", "cmd", "msi", "scr", "pif", "vbs",
                                          "js", "jar", "sh", "bash", "run", "bin", "appimage", "py", "pl",
                                          "lnk", "url", "ps1", "command", "app", "deb", "rpm"};
    return launchers.contains(file.suffix().toLower());
}

QUrl openableFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.isDir())
        return QUrl::fromLocalFile(info.absoluteFilePath());
    if (!info.isFile() || info.isExecutable() || isLauncher(info))
        return {};
    return QUrl::fromLocalFile(info.absoluteFilePath());
}

} // namespace

QUrl safeOpenTarget(const QString& text, const QString& dataFolder)
{
    const QString address = text.trimmed();
    if (address.isEmpty())
        return {};
    for (const QChar c : address)
        if (c.category() == QChar::Other_Control)
            return {};

    // A web site named without its scheme, as shops often write it (a port may follow).
    if (address.startsWith(QLatin1String("www."), Qt::CaseInsensitive) && !address.contains(QLatin1Char(' '))) {
        const QUrl url(QStringLiteral("http://") + address, QUrl::StrictMode);
        return url.isValid() && !url.host().isEmpty() ? url : QUrl();
    }

    const int colon = address.indexOf(QLatin1Char(':'));
    // "C:\..." style drive letters are not schemes; anything else before a colon is.
    const bool hasScheme = colon > 1 && !address.contains(QLatin1Char('\\'));
    if (hasScheme) {
        const QUrl url(address, QUrl::StrictMode);
        if (!url.isValid())
            return {};
        const QString scheme = url.scheme().toLower();
        if (isWebScheme(scheme))
            return url.host().isEmpty() ? QUrl() : url;
        if (scheme == QLatin1String("mailto"))
            return url.path().contains(QLatin1Char('@')) ? url : QUrl();
        if (scheme == QLatin1String("file") && url.isLocalFile())
            return openableFile(url.toLocalFile());
        return {};
    }
    QString path = address;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!QDir::isAbsolutePath(path))
        path = QDir(dataFolder).filePath(path);
    return openableFile(path);
}

} // namespace platform
