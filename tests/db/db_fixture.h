#pragma once
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "support/test_paths.h"
#include <gtest/gtest.h>
#include <memory>

// A fresh encrypted catalogue in a temporary folder with one open connection.
class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = folder.file(QStringLiteral("qmxpcdiy.dat"));
        db::createCatalogue(path, false);
        connection.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        connection.open();
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
