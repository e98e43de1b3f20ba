// Catalogue files written before the shop's details and the quotations' rows were kept: they
// get the new tables at their first open, in one transaction, and stay usable by every
// command that worked on them before.
#include "db_fixture.h"

#include "db/catalogue_index.h"
#include "db/compaction.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/quotation_records.h"
#include "db/schema_upgrade.h"
#include "db/shop_details.h"
#include "db/engines/file_engine.h"
#include <memory>

namespace {

struct RawFile {
    explicit RawFile(const QString& path)
        : engine(db::openEncrypted(path, QString::fromLatin1(db::kDatabasePassword), {})),
          handle(engine.get())
    {
    }
    QStringList rows(const QString& sql) const
    {
        db::detail::Statement s(handle, sql);
        QStringList out;
        while (s.step()) {
            QStringList cells;
            for (int c = 0; c < s.columnCount(); ++c)
                cells << s.text(c);
            out << cells.join(u'|');
        }
        return out;
    }
    std::unique_ptr<db::FileEngine> engine;
    db::Engine* handle;
};

class OlderFile : public ::testing::Test {
protected:
    // The file as the first version wrote it: the six tables, no schema version, and lines
    // of two quotations (one of them under two names).
    void SetUp() override
    {
        path = folder.file(QStringLiteral("qmxpcdiy.dat"));
        db::createCatalogue(path, false);
        RawFile raw(path);
        db::detail::exec(raw.handle, "DROP TABLE SHOP; DROP TABLE QUOTE; DROP INDEX DIY_AMOUNT_BY_ID; DROP TABLE COMPAT_RULES; DROP TABLE PICTURE;"
                                     "PRAGMA user_version = 0;"
                                     "INSERT INTO DIY (DIY_ID, DIY_NM, DIY_SL, DIY_JG, DIY_CASH) VALUES "
                                     "('2026/12/1', '配置单', 1, 100, 100), ('2026/12/1', '张三', 2, 50, 100),"
                                     "('A7', '李四的机器', 1, 3999.5, 3999.5);");
    }

    void open()
    {
        connection.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        connection.open();
    }

    testing_support::TempFolder folder;
    QString path;
    db::Connection connection;
};

TEST_F(OlderFile, GetsTheNewTablesOnceAtItsFirstOpenWithItsQuotationsListed)
{
    {
        RawFile before(path);
        ASSERT_EQ(db::schemaVersion(before.handle), 0);
    }
    open();
    EXPECT_EQ(db::schemaVersion(connection.handle()), db::latestSchemaVersion());
    EXPECT_TRUE(db::loadShopDetails(connection).isEmpty());
    // The quotations of the old lines are listed with their lines' name, count and sum; when
    // they were made is not known.
    const QList<db::QuotationRecord> list = db::listQuotations(connection);
    ASSERT_EQ(list.size(), 2);
    QStringList seen;
    for (const auto& q : list)
        seen << QStringLiteral("%1 %2 %3 %4 %5").arg(q.number, q.name).arg(q.lines).arg(q.total).arg(!q.created.isEmpty());
    seen.sort();
    EXPECT_EQ(seen, (QStringList{QStringLiteral("2026/12/1 配置单 2 200 0"), QStringLiteral("A7 李四的机器 1 3999.5 0")}));

    // A second open runs nothing again: the schema and the rows stay as they are.
    db::saveCustomer(connection, QStringLiteral("A7"), QStringLiteral("李四"), QStringLiteral("139"), {});
    connection.close();
    QStringList schema;
    {
        RawFile raw(path);
        schema = raw.rows(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name"));
    }
    open();
    RawFile after(path);
    EXPECT_EQ(after.rows(QStringLiteral("SELECT name, sql FROM sqlite_master ORDER BY name")), schema);
    EXPECT_EQ(after.rows(QStringLiteral("SELECT DIY_ID, CUST_NM FROM QUOTE ORDER BY DIY_ID")),
              (QStringList{QStringLiteral("2026/12/1|"), QStringLiteral("A7|李四")}));
}

TEST_F(OlderFile, AFailedUpgradeLeavesTheFileAsItWasAndTheOpenFails)
{
    // Something in the file already carries a name the upgrade needs, after the first table
    // the step creates: the step fails half-way.
    {
        RawFile raw(path);
        db::detail::exec(raw.handle, "CREATE VIEW QUOTE AS SELECT DIY_ID FROM DIY");
    }
    QStringList schema, lines;
    {
        RawFile raw(path);
        schema = raw.rows(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name"));
        lines = raw.rows(QStringLiteral("SELECT * FROM DIY ORDER BY DIY_SYS_ID"));
    }
    try {
        open();
        ADD_FAILURE() << "the open succeeded";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("无法升级目录文件的结构，文件保持原样"))) << e.text().toStdString();
    }
    EXPECT_FALSE(connection.connected());
    {
        RawFile raw(path);
        EXPECT_EQ(db::schemaVersion(raw.handle), 0);
        EXPECT_EQ(raw.rows(QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY name")), schema);
        EXPECT_EQ(raw.rows(QStringLiteral("SELECT * FROM DIY ORDER BY DIY_SYS_ID")), lines);
        // Once the obstacle is gone, the next open upgrades it.
        db::detail::exec(raw.handle, "DROP VIEW QUOTE");
    }
    open();
    EXPECT_EQ(db::schemaVersion(connection.handle()), db::latestSchemaVersion());
    EXPECT_EQ(db::listQuotations(connection).size(), 2);
}

TEST_F(OlderFile, CompactionSearchAndNewQuotationsWorkOnTheUpgradedFile)
{
    open();
    connection.execute(QStringLiteral("INSERT INTO L1 (L1_NM) VALUES ('电脑')"));
    connection.execute(QStringLiteral("INSERT INTO L2 (L1_ID, L2_NM) VALUES (1, '配件')"));
    connection.execute(QStringLiteral("INSERT INTO L3 (L2_ID, L3_NM) VALUES (1, '存储')"));
    connection.execute(QStringLiteral("INSERT INTO L4 (L3_ID, L4_NM) VALUES (1, '硬盘')"));
    connection.execute(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_JG) VALUES (1, 'RTX 4070', 4999)"));
    db::saveShopDetails(connection, {QStringLiteral("小明电脑"), {}, {}, {}, {}});
    connection.close();

    // Compaction keeps the schema version: the compacted file opens without a second upgrade
    // (which would fail on the tables it already has).
    db::compactInPlace(path, QString::fromLatin1(db::kDatabasePassword));
    open();
    EXPECT_EQ(db::schemaVersion(connection.handle()), db::latestSchemaVersion());
    EXPECT_EQ(db::loadShopDetails(connection).name, QStringLiteral("小明电脑"));
    db::CatalogueIndex index(connection);
    EXPECT_EQ(index.search(QStringLiteral("ｒｔｘ"), 10).hits.size(), 1);
    const QString number = db::reserveQuotation(connection, db::nextFreeNumber(connection, QDate(2026, 12, 9)),
                                                QStringLiteral("配置单"), true, QDateTime(QDate(2026, 12, 9), QTime(10, 0)));
    EXPECT_EQ(number, QStringLiteral("20261209-01"));
    EXPECT_EQ(db::listQuotations(connection).first().number, number);
}

} // namespace
