#include "app/password_file.h"
#include "db/server_address.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include <QDir>
#include <QFile>
#include <QStringList>

namespace app {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A field as the file writes it: a colon or backslash in it is escaped.
QString escaped(QString field)
{
    field.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    field.replace(QLatin1Char(':'), QLatin1String("\\:"));
    return field;
}

// The first four fields of a line (host, port, database, user), unescaped.
QStringList keyFields(const QString& line)
{
    QStringList fields;
    QString field;
    for (int i = 0; i < line.size() && fields.size() < 4; ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('\\') && i + 1 < line.size()) {
            field += line[++i];
        } else if (c == QLatin1Char(':')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    return fields;
}

// libpq names a server on this machine's default socket "localhost" in the file.
QString hostInFile(const QString& host)
{
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

} // namespace

QString passwordFilePath()
{
    const QString chosen = qEnvironmentVariable("PGPASSFILE");
    return chosen.isEmpty() ? QDir::home().filePath(QStringLiteral(".pgpass")) : chosen;
}

void storePassword(const db::ServerFields& server, const QString& password)
{
    const QString path = passwordFilePath();
    const QStringList key = {hostInFile(server.host), QString::number(server.port), server.database, server.user};
    QStringList lines;
    QFile existing(path);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly))
            throw platform::Error(QStringLiteral("无法读取密码文件“%1”：%2").arg(path, existing.errorString()));
        lines = QString::fromUtf8(existing.readAll()).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
    }
    QStringList escapedKey;
    for (const QString& field : key)
        escapedKey << escaped(field);
    const QString ours = escapedKey.join(QLatin1Char(':')) + QLatin1Char(':') + escaped(password);
    bool replaced = false;
    for (QString& line : lines) {
        if (!line.startsWith(QLatin1Char('#')) && keyFields(line) == key) {
            line = ours;
            replaced = true;
        }
    }
    if (!replaced)
        lines << ours;

    platform::AtomicFile file(path);
    // Owner-only before a byte of it is written.
    QFile::setPermissions(file.temporaryPath(), kOwnerOnly);
    file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    file.commit();
}

} // namespace app
