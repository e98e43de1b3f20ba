#include "support/server_database.h"
#include <QAtomicInteger>
#include <QCoreApplication>
#include <QUrl>
#include <QUrlQuery>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <stdexcept>

namespace testing_support {

namespace {

QAtomicInteger<int> counter;

void runOn(const QString& address, const QString& sql)
{
    PGconn* c = PQconnectdb(address.toUtf8().constData());
    if (PQstatus(c) != CONNECTION_OK) {
        const std::string message = PQerrorMessage(c);
        PQfinish(c);
        throw std::runtime_error("cannot reach the PostgreSQL test server: " + message);
    }
    PGresult* r = PQexec(c, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(r);
    const std::string message = PQresultErrorMessage(r);
    PQclear(r);
    PQfinish(c);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        throw std::runtime_error(sql.toStdString() + ": " + message);
}

QString withDatabase(const QString& address, const QString& database)
{
    QUrl url(address);
    url.setPath(QLatin1Char('/') + database);
    return url.toString();
}

} // namespace

QString testServerAddress(QString* why)
{
    const QString address = qEnvironmentVariable("QMX_PG_TEST_URL");
    if (address.isEmpty() && why)
        *why = QStringLiteral("QMX_PG_TEST_URL is not set: scripts/test starts the PostgreSQL test server "
                              "(scripts/pg_test_server) and sets it");
    return address;
}

ServerDatabase::ServerDatabase()
{
    QString why;
    const QString server = testServerAddress(&why);
    if (server.isEmpty())
        throw std::runtime_error(why.toStdString());
    name_ = QStringLiteral("qmx_t_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
    runOn(server, QStringLiteral("CREATE DATABASE %1 TEMPLATE template0 ENCODING 'UTF8'").arg(name_));
    address_ = withDatabase(server, name_);
}

ServerDatabase::~ServerDatabase()
{
    try {
        runOn(testServerAddress(), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name_));
    } catch (const std::exception&) {
        // The server went away with the test; nothing is left to drop.
    }
}

void ServerDatabase::runAsAdministrator(const QString& sql)
{
    runOn(testServerAddress(), sql);
}

} // namespace testing_support
