// The search index over a real catalogue file: words, letter case, full-width forms, and an
// index that follows every write, its own connection's and another program's.
#include "db_fixture.h"
#include "db/catalogue_index.h"
#include "db/db_error.h"
#include "db/search_text.h"
#include "db/transaction.h"

namespace {

class CatalogueIndexTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        cards = addChain("电脑", "显示", "显卡", "NVIDIA");
        memory = addChain("电脑", "配件", "内存", "DDR5");
        rtx = add(cards, "RTX 4070 SUPER", "12GB GDDR6X 显存", "4599");
        kingston = add(memory, "金士顿 FURY 32GB", "频率６０００MHz", "899");
        orphan = add(999, "RTX 孤儿", "", "1"); // filed under no category
    }

    int add(int l4, const QString& name, const QString& parameters, const QString& price)
    {
        connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (%1, %2, %3, %4)")
                               .arg(l4)
                               .arg(db::statements::textLiteral(name), db::statements::textLiteral(parameters), price));
        return query("q", "select max(HW_ID) as M from HW")->asInteger("M");
    }

    QList<int> found(db::CatalogueIndex& index, const QString& typed)
    {
        QList<int> ids;
        for (const auto& hit : index.search(typed).hits)
            ids << hit.itemId;
        return ids;
    }

    int cards = 0, memory = 0, rtx = 0, kingston = 0, orphan = 0;
};

} // namespace

TEST(SearchText, FoldingIgnoresCaseWidthAndBlanks)
{
    EXPECT_EQ(db::foldForSearch(u"ＲＴＸ　４０７０ Ti"), "rtx4070ti");
    EXPECT_EQ(db::foldForSearch(u"金士顿ＦＵＲＹ"), "金士顿fury");
    EXPECT_EQ(db::searchWords(u" rtx　４０７０  RTX "), QStringList({"rtx", "4070"}));
    EXPECT_TRUE(db::searchWords(u" 　 ").isEmpty());
}

TEST_F(CatalogueIndexTest, EveryWordMustBeInTheNameOrParametersIgnoringCaseAndWidth)
{
    db::CatalogueIndex index(connection);
    EXPECT_EQ(found(index, "ＲＴＸ４０７０"), QList<int>{rtx});
    EXPECT_EQ(found(index, "rtx 4070"), QList<int>{rtx});
    EXPECT_EQ(found(index, "super 显存"), QList<int>{rtx}); // one word from each field
    EXPECT_EQ(found(index, "金士"), QList<int>{kingston});   // part of a word
    EXPECT_EQ(found(index, "6000mhz"), QList<int>{kingston}); // full-width digits in the item
    EXPECT_TRUE(found(index, "rtx 金士顿").isEmpty());       // not every word
    EXPECT_TRUE(found(index, "").isEmpty());
    EXPECT_TRUE(found(index, "superdisplay").isEmpty());
    // A word does not run from the name into the parameters.
    EXPECT_TRUE(found(index, "super12gb").isEmpty());

    const auto result = index.search("rtx");
    EXPECT_EQ(result.total, 1); // the item under no category is not found
    ASSERT_EQ(result.hits.size(), 1);
    EXPECT_EQ(result.hits[0].path, QStringList({"电脑", "显示", "显卡", "NVIDIA"}));
    EXPECT_EQ(result.hits[0].name, "RTX 4070 SUPER");
    EXPECT_EQ(result.hits[0].price, 4599);
    EXPECT_EQ(index.search("电脑", 1).hits.size(), 0); // category names are not searched
    EXPECT_EQ(index.search("g", 1).total, 2);
    EXPECT_EQ(index.search("g", 1).hits.size(), 1);
}

TEST_F(CatalogueIndexTest, TheIndexFollowsWritesOfItsConnectionAndOfOthers)
{
    db::CatalogueIndex index(connection);
    EXPECT_EQ(index.size(), 3);
    // Insert, rename, delete, re-price through the same connection.
    const int amd = add(cards, "RX 7800 XT", "16GB", "3999");
    EXPECT_EQ(found(index, "7800"), QList<int>{amd});
    connection.execute(QStringLiteral("update HW set HW_MC = 'RX 7900 GRE', HW_JG = 4199 where HW_ID = %1").arg(amd));
    EXPECT_TRUE(found(index, "7800").isEmpty());
    EXPECT_EQ(index.search("7900").hits.value(0).price, 4199);
    connection.execute(QStringLiteral("delete from HW where HW_ID = %1").arg(rtx));
    EXPECT_TRUE(found(index, "rtx").isEmpty());
    // A renamed category shows in the hits' paths.
    connection.execute(QStringLiteral("update L4 set L4_NM = 'AMD' where L4_ID = %1").arg(cards));
    EXPECT_EQ(index.search("7900").hits.value(0).path.value(3), "AMD");
    // A write that is rolled back leaves no trace.
    {
        db::Transaction t(connection);
        add(memory, "回滚的内存", "", "1");
        EXPECT_EQ(found(index, "回滚").size(), 1); // seen inside the transaction
    }
    EXPECT_TRUE(found(index, "回滚").isEmpty());

    // Another connection to the same file (another copy of the program).
    db::Connection other;
    other.setConnectionString(connection.connectionString());
    other.open();
    other.execute(QStringLiteral("insert into HW (L4_ID, HW_MC) values (%1, '另一个程序的内存')").arg(memory));
    EXPECT_EQ(found(index, "另一个").size(), 1);

    // Closed and opened again: the new handle is read afresh.
    connection.close();
    EXPECT_THROW(index.search("内存"), db::DbError);
    other.execute("delete from HW where HW_MC = '另一个程序的内存'");
    connection.open();
    EXPECT_TRUE(found(index, "另一个").isEmpty());
    add(memory, "重新打开后", "", "1");
    EXPECT_EQ(found(index, "重新打开").size(), 1);
}

TEST_F(CatalogueIndexTest, ManyChangedRowsAreReadAgainInOnePass)
{
    db::CatalogueIndex index(connection);
    EXPECT_EQ(index.size(), 3);
    connection.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 5000) "
                                      "INSERT INTO HW (L4_ID, HW_MC, HW_JG) SELECT %1, '批量 ' || i, i FROM n")
                           .arg(memory));
    EXPECT_EQ(index.search("批量").total, 5000);
    connection.execute("delete from HW where HW_MC like '批量%' and HW_JG > 10");
    EXPECT_EQ(index.search("批量").total, 10);
    EXPECT_EQ(index.size(), 13);
}
