#include "app/catalogue_choice.h"
#include "app/password_file.h"
#include "db/connection.h"
#include "db/server_address.h"
#include "platform/error.h"
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace app {

namespace {

const QString kServerKey = QStringLiteral("catalogue/server");

// The same file the window's placement is kept in, found anew at every use.
QSettings workstationSettings()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QSettings(QDir(folder).filePath(QStringLiteral("qmxdiy/qmxdiy.conf")), QSettings::IniFormat);
}

} // namespace

QString rememberedServer()
{
    return workstationSettings().value(kServerKey).toString();
}

void rememberServer(const QString& address)
{
    QSettings settings = workstationSettings();
    if (address.isEmpty())
        settings.remove(kServerKey);
    else
        settings.setValue(kServerKey, db::withoutPassword(address));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw platform::Error(QStringLiteral("无法保存设置“%1”").arg(settings.fileName()));
}

QString serverOption(const QStringList& arguments, QString* error)
{
    for (int i = 1; i < arguments.size(); ++i) {
        QString address;
        if (arguments[i] == QLatin1String("--server"))
            address = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        else if (arguments[i].startsWith(QLatin1String("--server=")))
            address = arguments[i].mid(9);
        else
            continue;
        if (!db::isServerAddress(address)) {
            *error = QStringLiteral("--server needs a PostgreSQL address (postgresql://user@host/database)");
            return {};
        }
        return address;
    }
    return {};
}

QString serverForStart(const QStringList& arguments, QString* error)
{
    const QString given = serverOption(arguments, error);
    if (!error->isEmpty())
        return {};
    if (given.isEmpty())
        return rememberedServer();
    // A password typed on the command line goes where libpq finds it, not into the settings.
    if (const QString password = db::passwordIn(given); !password.isEmpty())
        storePassword(db::serverFields(given), password);
    rememberServer(given);
    return db::withoutPassword(given);
}

} // namespace app
