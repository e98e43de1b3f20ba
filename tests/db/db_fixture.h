#pragma once
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "support/test_paths.h"
#ifdef QMX_TEST_ON_SERVER
#include "support/server_database.h"
#endif
#include <gtest/gtest.h>
#include <memory>

// A fresh, empty catalogue with one open connection: an encrypted file in a temporary folder,
// or, in the build of these tests that runs them over a server, a new database on the
// PostgreSQL test server.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.file(QStringLiteral("qmxpcdiy.dat"));
#ifdef QMX_TEST_ON_SERVER
        server = std::make_unique<testing_support::ServerDatabase>();
        address = server->address();
#else
        db::createCatalogue(path, false);
        address = db::ConnectionString::build(folder.path() + QLatin1Char('/'));
#endif
        connection.setConnectionString(address);
        connection.open();
    }

    // Another connection to the same catalogue, as another copy of the program or another
    // workstation has.
    std::unique_ptr<db::Connection> openAnother(const QString& name = QStringLiteral("other"))
    {
        auto other = std::make_unique<db::Connection>(name);
        other->setConnectionString(address);
        other->open();
        return other;
    }

    std::unique_ptr<db::Dataset> query(const QString& name, const QString& sql)
    {
        auto ds = std::make_unique<db::Dataset>(name, &connection);
        db::openStatement(*ds, sql);
        return ds;
    }

    // Adds one category chain L1 > L2 > L3 > L4 and answers the level-4 id.
    int addChain(const QString& l1, const QString& l2, const QString& l3, const QString& l4)
    {
        connection.execute(QStringLiteral("insert into L1 (L1_NM) values (%1)").arg(db::statements::textLiteral(l1)));
        connection.execute(QStringLiteral("insert into L2 (L1_ID, L2_NM) values (last_insert_rowid(), %1)")
                               .arg(db::statements::textLiteral(l2)));
        connection.execute(QStringLiteral("insert into L3 (L2_ID, L3_NM) values (last_insert_rowid(), %1)")
                               .arg(db::statements::textLiteral(l3)));
        connection.execute(QStringLiteral("insert into L4 (L3_ID, L4_NM) values (last_insert_rowid(), %1)")
                               .arg(db::statements::textLiteral(l4)));
        auto ds = query(QStringLiteral("q"), QStringLiteral("select max(L4_ID) as M from L4"));
        return ds->asInteger(QStringLiteral("M"));
    }

    void addLine(const QString& number, const QString& name, double amount)
    {
        connection.execute(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, DIY_SL, DIY_JG, DIY_CASH) values (%1, %2, 1, %3, %3)")
                               .arg(db::statements::textLiteral(number), db::statements::textLiteral(name))
                               .arg(amount));
    }

    testing_support::TempFolder folder;
    QString path;
    QString address; // the connection string of the catalogue
#ifdef QMX_TEST_ON_SERVER
    std::unique_ptr<testing_support::ServerDatabase> server;
#endif
    db::Connection connection;
};

// Expects the body to throw a DbError whose text is exactly `message`.
#define EXPECT_DB_ERROR(body, message)                                                       \
    do {                                                                                     \
        try {                                                                                \
            body;                                                                            \
            ADD_FAILURE() << "no error, expected: " << (message);                            \
        } catch (const db::DbError& e) {                                                     \
            EXPECT_EQ(e.text().toStdString(), std::string(message));                         \
        }                                                                                    \
    } while (0)
