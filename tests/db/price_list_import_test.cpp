// Importing and exporting price lists against a real catalogue file: the preview's counts,
// the one transaction, a second import that changes nothing, and the export read back.
#include "db_fixture.h"
#include "db/price_list.h"
#include "db/price_list_import.h"
#include "db/db_error.h"
#include <QFile>

namespace {

class PriceListTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        ddr5 = addChain("电脑", "配件", "内存", "DDR5");
        kingston = addItem(ddr5, "金士顿 32GB", "6000MHz", "899");
        gskill = addItem(ddr5, "芝奇 32GB", "6400MHz", "NULL");
    }

    int addItem(int l4, const QString& name, const QString& parameters, const QString& price)
    {
        connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (%1, %2, %3, %4)")
                               .arg(l4)
                               .arg(db::statements::textLiteral(name), db::statements::textLiteral(parameters), price));
        return query("q", "select max(HW_ID) as M from HW")->asInteger("M");
    }

    // Every row of the catalogue's tables as text, to compare the file before and after.
    QStringList dump()
    {
        QStringList rows;
        const char* tables[] = {"select L1_ID, L1_NM from L1", "select L2_ID, L1_ID, L2_NM from L2",
                                "select L3_ID, L2_ID, L3_NM from L3", "select L4_ID, L3_ID, L4_NM from L4",
                                "select HW_ID, L4_ID, HW_MC, HW_CS, HW_JG, HW_URL, HW_RQ from HW"};
        for (const char* sql : tables) {
            auto q = query("dump", QString::fromLatin1(sql));
            for (q->first(); !q->eof(); q->next()) {
                QStringList values;
                for (const auto& f : q->fields())
                    values << (q->isNull(f.name) ? QStringLiteral("<null>") : q->value(f.name).toString());
                rows << values.join('|');
            }
        }
        return rows;
    }

    std::optional<double> priceOf(int id)
    {
        auto q = query("p", QStringLiteral("select HW_JG from HW where HW_ID = %1").arg(id));
        return q->isNull("HW_JG") ? std::nullopt : std::optional<double>(q->asFloat("HW_JG"));
    }

    db::PriceListFile file(const QString& rows)
    {
        return db::readPriceList(
            (QStringLiteral("一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址\r\n") + rows).toUtf8());
    }

    int ddr5 = 0, kingston = 0, gskill = 0;
};

} // namespace

TEST_F(PriceListTest, ThePreviewCountsChangesNewItemsNewCategoriesAndRefusalsWithoutChangingAnything)
{
    const auto list = file(QStringLiteral("电脑,配件,内存,DDR5,金士顿 32GB,,849,\r\n"   // price down
                                          "电脑,配件,内存,ddr5,芝奇 32GB,,599,\r\n"      // had no price
                                          "电脑,配件,内存,DDR5,海盗船 16GB,,399,\r\n"    // new item
                                          "电脑,配件,显卡,NVIDIA,RTX 4070,12GB,4599,\r\n" // new L3, L4, item
                                          "电脑,配件,显卡,NVIDIA,RTX 4060,8GB,2399,\r\n"  // same new categories
                                          "电脑,配件,内存,DDR5,金士顿 32GB,,,\r\n"        // second 金士顿: new
                                          "电脑,配件,内存,DDR5,坏,,abc,\r\n"));
    const QStringList before = dump();
    const db::ImportPlan plan = db::planImport(connection, list);
    EXPECT_EQ(dump(), before);

    ASSERT_EQ(plan.priceChanges.size(), 2);
    EXPECT_EQ(plan.priceChanges[0].itemId, kingston);
    EXPECT_EQ(plan.priceChanges[0].oldPrice, 899);
    EXPECT_EQ(plan.priceChanges[0].newPrice, 849);
    EXPECT_EQ(plan.priceChanges[1].itemId, gskill);
    EXPECT_FALSE(plan.priceChanges[1].oldPrice.has_value());
    EXPECT_EQ(plan.newItems.size(), 4);
    ASSERT_EQ(plan.newCategories.size(), 2);
    EXPECT_EQ(plan.newCategories[0].path, QStringList({"电脑", "配件", "显卡"}));
    EXPECT_EQ(plan.newCategories[1].level, 4);
    ASSERT_EQ(plan.refused.size(), 1);
    EXPECT_EQ(plan.refused[0].line, 8);
    EXPECT_EQ(plan.summary(), "价格变动 2 项，新产品 4 项，新分类 2 个，未变 0 项，拒绝 1 行");

    db::applyImport(connection, list, plan);
    EXPECT_EQ(priceOf(kingston), 849);
    EXPECT_EQ(priceOf(gskill), 599);
    auto cards = query("c", "select HW_MC, HW_CS, L4_NM, L3_NM from HW join L4 using (L4_ID) join L3 using (L3_ID) "
                            "where HW_MC like 'RTX%' order by HW_ID");
    EXPECT_EQ(cards->recordCount(), 2);
    EXPECT_EQ(cards->asString("HW_CS"), "12GB");
    EXPECT_EQ(cards->asString("L3_NM"), "显卡");
    EXPECT_EQ(query("n", "select count(*) as n from L4")->asInteger("n"), 2);

    // The same file again changes nothing: the second 金士顿 row now finds the new item.
    const QStringList afterFirst = dump();
    const db::ImportPlan again = db::planImport(connection, list);
    EXPECT_TRUE(again.changesNothing()) << again.summary().toStdString();
    EXPECT_EQ(again.unchanged, 6);
    db::applyImport(connection, list, again);
    EXPECT_EQ(dump(), afterFirst);
}

TEST_F(PriceListTest, AFailureInTheMiddleOfTheWritesLeavesTheCatalogueAsItWas)
{
    // The engine refuses one insert half-way, as a full disk or a locked file would.
#ifdef QMX_TEST_ON_SERVER
    connection.execute("create function refuse() returns trigger language plpgsql as $$ begin "
                       "if new.HW_MC = '第二个' then raise exception 'disk I/O error'; end if; return new; end $$");
    connection.execute("create trigger refuse before insert on HW for each row execute function refuse()");
#else
    connection.execute("create trigger refuse before insert on HW when new.HW_MC = '第二个' "
                       "begin select raise(abort, 'disk I/O error'); end");
#endif
    const auto list = file(QStringLiteral("电脑,配件,内存,DDR5,金士顿 32GB,,700,\r\n"
                                          "新,分,类,甲,第一个,,1,\r\n"
                                          "新,分,类,甲,第二个,,2,\r\n"
                                          "新,分,类,甲,第三个,,3,\r\n"));
    const QStringList before = dump();
    const db::ImportPlan plan = db::planImport(connection, list);
    EXPECT_EQ(plan.newItems.size(), 3);
    EXPECT_THROW(db::applyImport(connection, list, plan), db::DbError);
    EXPECT_EQ(dump(), before);
    EXPECT_EQ(priceOf(kingston), 899);
    // The connection is usable afterwards and not left inside a transaction.
#ifdef QMX_TEST_ON_SERVER
    connection.execute("drop trigger refuse on HW");
#else
    connection.execute("drop trigger refuse");
#endif
    db::applyImport(connection, list, plan);
    EXPECT_EQ(priceOf(kingston), 700);
}

TEST_F(PriceListTest, AnImportRefusesWhenTheCatalogueChangedAfterThePreviewAndStopsWhenAsked)
{
    const auto list = file(QStringLiteral("电脑,配件,内存,DDR5,金士顿 32GB,,700,\r\n"));
    const db::ImportPlan plan = db::planImport(connection, list);
    connection.execute(QStringLiteral("update HW set HW_JG = 650 where HW_ID = %1").arg(kingston));
    const QStringList before = dump();
    EXPECT_THROW(db::applyImport(connection, list, plan), db::DbError);
    EXPECT_EQ(dump(), before);

    // A change by another program (another connection) is noticed as well.
    const db::ImportPlan second = db::planImport(connection, list);
    {
        db::Connection other;
        other.setConnectionString(connection.connectionString());
        other.open();
        other.execute(QStringLiteral("update HW set HW_JG = 640 where HW_ID = %1").arg(kingston));
    }
    EXPECT_THROW(db::applyImport(connection, list, second), db::DbError);
    EXPECT_EQ(priceOf(kingston), 640);

    const db::ImportPlan fresh = db::planImport(connection, list);
    // Stopping through the progress rolls back too (it asks every 1024 steps).
    QString rows;
    for (int k = 0; k < 3000; ++k)
        rows += QStringLiteral("电脑,配件,内存,DDR5,条目 %1,,%1,\r\n").arg(k);
    const auto big = file(rows);
    const db::ImportPlan bigPlan = db::planImport(connection, big);
    const QStringList beforeStop = dump();
    EXPECT_THROW(db::applyImport(connection, big, bigPlan, [](qint64 done, qint64) { return done < 2000; }),
                 db::DbError);
    EXPECT_EQ(dump(), beforeStop);
    db::applyImport(connection, list, fresh);
    EXPECT_EQ(priceOf(kingston), 700);
}

TEST_F(PriceListTest, AnExportWritesPlainPricesAndGuardsFormulasAndReadsBackUnchanged)
{
    const int cards = addChain("电脑", "配件", "显卡", "=SUM(A1:A9)");
    addItem(cards, "=HYPERLINK(\"http://x.example\",\"点我\")", "+12V 供电", "100000");
    addItem(cards, "@cmd", "-负载", "1000000");
    addItem(cards, "'=已经带撇号", "'普通撇号", "1e-7");
    addItem(cards, "普通名称", "", "1299.5");
    const QByteArray bytes = db::priceListBytes(connection);
    const QString text = QString::fromUtf8(bytes);
    EXPECT_TRUE(text.contains(",100000,")) << text.toStdString();
    EXPECT_TRUE(text.contains(",1000000,"));
    EXPECT_TRUE(text.contains(",0.0000001,"));
    EXPECT_FALSE(text.contains("e+0"));
    // No field begins with a formula character.
    for (const QString& line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        for (const QString& field : line.split(QLatin1Char(','))) {
            const QString unquoted = field.startsWith('"') ? field.mid(1) : field;
            EXPECT_FALSE(!unquoted.isEmpty() && QStringLiteral("=+-@").contains(unquoted[0])) << line.toStdString();
        }
    EXPECT_TRUE(text.contains("'=SUM(A1:A9)"));
    EXPECT_TRUE(text.contains("''=已经带撇号"));
    EXPECT_TRUE(text.contains(",'普通撇号,")); // not a formula: as it is

    const auto list = db::readPriceList(bytes);
    EXPECT_TRUE(list.refused.isEmpty());
    QList<db::PriceListRow> rows;
    for (const auto& row : list.rows)
        if (row.path[3] == "=SUM(A1:A9)")
            rows << row;
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].name, "=HYPERLINK(\"http://x.example\",\"点我\")");
    EXPECT_EQ(rows[0].parameters, "+12V 供电");
    EXPECT_EQ(rows[0].price, 100000);
    EXPECT_EQ(rows[1].name, "@cmd");
    EXPECT_EQ(rows[1].parameters, "-负载");
    EXPECT_EQ(rows[1].price, 1000000);
    EXPECT_EQ(rows[2].name, "'=已经带撇号");
    EXPECT_EQ(rows[2].parameters, "'普通撇号");
    EXPECT_EQ(rows[2].price, 1e-7);
    const QStringList before = dump();
    const auto plan = db::planImport(connection, list);
    EXPECT_TRUE(plan.changesNothing()) << plan.summary().toStdString();
    EXPECT_EQ(dump(), before);
}

TEST_F(PriceListTest, AnExportReadsBackAsTheSameCatalogueAndItsImportChangesNothing)
{
    const int cards = addChain("电脑", "配件", "显卡", "Tom's \"特价\", 区");
    addItem(cards, "RTX 4070, 12GB", "第一行\n第二行", "4599.99");
    addItem(cards, "RTX 4070, 12GB", "同名第二个", "0.30000000000000004");
    connection.execute("update HW set HW_URL = 'https://example.cn/a,b' where HW_MC like 'RTX%'");
    const QString out = folder.file("价格表.csv");
    EXPECT_EQ(db::exportPriceList(connection, out), 4);

    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF\xE4\xB8\x80")); // the mark, then "一级分类"
    EXPECT_TRUE(bytes.contains("\"Tom's \"\"特价\"\", 区\"")) << bytes.toStdString();
    EXPECT_TRUE(bytes.contains("\r\n"));

    const auto list = db::readPriceList(bytes);
    EXPECT_TRUE(list.refused.isEmpty());
    ASSERT_EQ(list.rows.size(), 4);
    EXPECT_EQ(list.rows[2].path[3], "Tom's \"特价\", 区");
    EXPECT_EQ(list.rows[2].parameters, "第一行\n第二行");
    EXPECT_EQ(list.rows[3].price, 0.1 + 0.2);
    const QStringList before = dump();
    const auto plan = db::planImport(connection, list);
    EXPECT_TRUE(plan.changesNothing()) << plan.summary().toStdString();
    EXPECT_EQ(plan.unchanged, 4);

    // Only the chosen category and what lies below it.
    const QString part = folder.file("part.csv");
    EXPECT_EQ(db::exportPriceList(connection, part, {3, query("q", "select L3_ID from L3 where L3_NM = '显卡'")->asInteger("L3_ID")}), 2);
    EXPECT_EQ(db::readPriceListFile(part).rows.size(), 2);
    EXPECT_THROW(db::exportPriceList(connection, part, {2, 999}), db::DbError);
    EXPECT_EQ(dump(), before);
}
