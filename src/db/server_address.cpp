#include "db/server_address.h"
#include <QUrl>
#include <QUrlQuery>

namespace db {

namespace {

constexpr int kDefaultPort = 5432;

} // namespace

QString serverAddress(const ServerFields& fields)
{
    QUrl url;
    url.setScheme(QStringLiteral("postgresql"));
    if (!fields.user.isEmpty())
        url.setUserName(fields.user);
    url.setPath(QLatin1Char('/') + fields.database);
    if (fields.host.startsWith(QLatin1Char('/'))) {
        // A socket folder is no host name: libpq takes it (and its port) from the query.
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("host"), fields.host);
        query.addQueryItem(QStringLiteral("port"), QString::number(fields.port));
        url.setQuery(query);
        // An empty authority keeps the "//" that a URI with a user name needs.
        url.setHost(QString());
    } else {
        url.setHost(fields.host);
        if (fields.port != kDefaultPort)
            url.setPort(fields.port);
    }
    QString text = url.toString(QUrl::FullyEncoded);
    // QUrl leaves out the "//" of an empty host without a user; libpq needs it.
    if (!text.startsWith(QLatin1String("postgresql://")))
        text.replace(0, int(qstrlen("postgresql:")), QStringLiteral("postgresql://"));
    return text;
}

ServerFields serverFields(const QString& address)
{
    const QUrl url(address);
    const QUrlQuery query(url);
    ServerFields fields;
    fields.host = query.hasQueryItem(QStringLiteral("host")) ? query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded)
                                                              : url.host();
    bool number = false;
    const int queryPort = query.queryItemValue(QStringLiteral("port")).toInt(&number);
    fields.port = number ? queryPort : url.port(kDefaultPort);
    fields.database = query.hasQueryItem(QStringLiteral("dbname"))
        ? query.queryItemValue(QStringLiteral("dbname"), QUrl::FullyDecoded)
        : url.path(QUrl::FullyDecoded).mid(1);
    fields.user = url.userName(QUrl::FullyDecoded);
    return fields;
}

QString passwordIn(const QString& address)
{
    return QUrl(address).password(QUrl::FullyDecoded);
}

QString withoutPassword(const QString& address)
{
    QUrl url(address);
    if (url.password().isEmpty())
        return address;
    url.setPassword(QString());
    return url.toString(QUrl::FullyEncoded);
}

} // namespace db
