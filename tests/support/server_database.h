#pragma once
#include <QString>

namespace testing_support {

// A new, empty database of its own on the private PostgreSQL test server that scripts/test
// starts (its address in QMX_PG_TEST_URL), dropped again when the object goes. Fails the
// test with the reason when there is no server.
class ServerDatabase {
public:
    ServerDatabase();
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // The libpq URI of the database ("postgresql://postgres@/qmx_t_...?host=...").
    const QString& address() const { return address_; }
    const QString& name() const { return name_; }

    // Runs SQL on the database as the server's superuser (stopping connections, making roles).
    static void runAsAdministrator(const QString& sql);

private:
    QString name_;
    QString address_;
};

// The server's maintenance address, or empty with the reason in `why`.
QString testServerAddress(QString* why = nullptr);

} // namespace testing_support
