#include "db_fixture.h"
#include "db/db_error.h"

namespace st = db::statements;

TEST(Statements, ReadExactlyAsTheProgramIssuesThem)
{
    EXPECT_EQ(st::allL1(), QStringLiteral("select * from L1"));
    EXPECT_EQ(st::l2Of(7), QStringLiteral("select * from L2 where L1_ID=7"));
    EXPECT_EQ(st::l3Of(-3), QStringLiteral("select * from L3 where L2_ID=-3"));
    EXPECT_EQ(st::l4Of(12), QStringLiteral("select * from L4 where L3_ID=12"));
    EXPECT_EQ(st::l2UnderL1Named(QStringLiteral("电脑配件")),
              QStringLiteral("select * from L2 where L1_ID in(select L1_ID from L1 where L1_NM='电脑配件')"));
    EXPECT_EQ(st::l3UnderL2Named(QStringLiteral("CPU")),
              QStringLiteral("select * from L3 where L2_ID in(select L2_ID from L2 where L2_NM='CPU')"));
    EXPECT_EQ(st::l4UnderL3Named(QStringLiteral("AMD")),
              QStringLiteral("select * from L4 where L3_ID in(select L3_ID from L3 where L3_NM='AMD')"));
    EXPECT_EQ(st::itemsUnderL4Named(QStringLiteral("锐龙")),
              QStringLiteral("select * from HW where L4_ID in(select L4_ID from L4 where L4_NM='锐龙')"));
    EXPECT_EQ(st::linesOfNumber(QStringLiteral("2026-12-09")), QStringLiteral("SELECT * from DIY where DIY_ID='2026-12-09'"));
    EXPECT_EQ(st::linesOfName(QStringLiteral("配置单")), QStringLiteral("SELECT * from DIY where DIY_NM='配置单'"));
    EXPECT_EQ(st::distinctNumbers(), QStringLiteral("SELECT DIY_ID from DIY group by DIY_ID order by max(DIY_SYS_ID) desc"));
    EXPECT_EQ(st::distinctNames(), QStringLiteral("SELECT DIY_NM from DIY group by DIY_NM order by max(DIY_SYS_ID) desc"));
    EXPECT_EQ(st::deleteLinesOfNumber(QStringLiteral("A1")), QStringLiteral("delete * from DIY where DIY_ID='A1'"));
    EXPECT_EQ(st::deleteLinesOfName(QStringLiteral("x")), QStringLiteral("delete * from DIY where DIY_NM='x'"));
    EXPECT_EQ(st::linesOfName(QStringLiteral("O'Brien's")), QStringLiteral("SELECT * from DIY where DIY_NM='O''Brien''s'"));
}

TEST_F(CatalogueTest, TreeStatementsMatchEveryCategoryOfThatName)
{
    // Two level-2 categories of one name under different parents list the children of both.
    addChain(QStringLiteral("电脑配件"), QStringLiteral("内存"), QStringLiteral("DDR5"), QStringLiteral("金士顿"));
    addChain(QStringLiteral("笔记本配件"), QStringLiteral("内存"), QStringLiteral("DDR4"), QStringLiteral("威刚"));
    auto ds = query(QStringLiteral("ADOQueryL1_L4"), st::l3UnderL2Named(QStringLiteral("内存")));
    EXPECT_EQ(ds->recordCount(), 2);
    ds = query(QStringLiteral("ADOQueryL1_L4"), st::l2UnderL1Named(QStringLiteral("电脑配件")));
    ASSERT_EQ(ds->recordCount(), 1);
    EXPECT_EQ(ds->asString(QStringLiteral("L2_NM")), QStringLiteral("内存"));

    auto l1 = query(QStringLiteral("ADOQueryL1"), st::allL1());
    ASSERT_EQ(l1->recordCount(), 2);
    auto l2 = query(QStringLiteral("ADOQueryL2"), st::l2Of(l1->asInteger(QStringLiteral("L1_ID"))));
    auto l3 = query(QStringLiteral("ADOQueryL3"), st::l3Of(l2->asInteger(QStringLiteral("L2_ID"))));
    auto l4 = query(QStringLiteral("ADOQueryL4"), st::l4Of(l3->asInteger(QStringLiteral("L3_ID"))));
    EXPECT_EQ(l4->asString(QStringLiteral("L4_NM")), QStringLiteral("金士顿"));
}

TEST_F(CatalogueTest, NamesWithApostrophesSelectWhatTheyName)
{
    const int l4 = addChain(QStringLiteral("Tom's"), QStringLiteral("A'B"), QStringLiteral("'"), QStringLiteral("x' or '1'='1"));
    addChain(QStringLiteral("other"), QStringLiteral("other2"), QStringLiteral("other3"), QStringLiteral("other4"));
    connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC) values (%1, 'it''s')").arg(l4));
    connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC) values (%1, 'other')").arg(l4 + 1));

    EXPECT_EQ(query(QStringLiteral("q"), st::l2UnderL1Named(QStringLiteral("Tom's")))->recordCount(), 1);
    EXPECT_EQ(query(QStringLiteral("q"), st::l3UnderL2Named(QStringLiteral("A'B")))->recordCount(), 1);
    EXPECT_EQ(query(QStringLiteral("q"), st::l4UnderL3Named(QStringLiteral("'")))->recordCount(), 1);
    auto items = query(QStringLiteral("ADOQueryHW"), st::itemsUnderL4Named(QStringLiteral("x' or '1'='1")));
    ASSERT_EQ(items->recordCount(), 1);
    EXPECT_EQ(items->asString(QStringLiteral("HW_MC")), QStringLiteral("it's"));
}

TEST_F(CatalogueTest, DeletesRemoveExactlyTheLinesCarryingTheValue)
{
    addLine(QStringLiteral("2026/12/9"), QStringLiteral("配置单"), 100);
    addLine(QStringLiteral("2026/12/9"), QStringLiteral("配置单"), 200);
    addLine(QStringLiteral("A' or '1'='1"), QStringLiteral("王's 单"), 300);
    addLine(QStringLiteral("B"), QStringLiteral("王"), 400);
    addLine(QStringLiteral("b2"), QStringLiteral("Office"), 500);

    db::Dataset diy(QStringLiteral("ADOQueryDIY"), &connection);
    EXPECT_EQ(db::executeStatement(diy, st::deleteLinesOfNumber(QStringLiteral("A' or '1'='1"))), 1);
    EXPECT_FALSE(diy.active());
    EXPECT_EQ(db::executeStatement(diy, st::deleteLinesOfName(QStringLiteral("王"))), 1);
    // Numbers and names compare without regard to letter case, as they are typed.
    EXPECT_EQ(db::executeStatement(diy, st::deleteLinesOfName(QStringLiteral("OFFICE"))), 1);
    EXPECT_EQ(db::executeStatement(diy, st::deleteLinesOfNumber(QStringLiteral("nothing"))), 0);

    db::openStatement(diy, st::distinctNumbers());
    EXPECT_EQ(diy.recordCount(), 1);
    db::openStatement(diy, st::linesOfNumber(QStringLiteral("2026/12/9")));
    EXPECT_EQ(diy.recordCount(), 2);
    db::openStatement(diy, st::distinctNames());
    EXPECT_EQ(diy.recordCount(), 1);
}

TEST_F(CatalogueTest, RejectedStatementLeavesTheQueryClosedWithItsName)
{
    db::Dataset q(QStringLiteral("ADOQueryL1_L4"), &connection);
    try {
        db::openStatement(q, QStringLiteral("select * from NOPE"));
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("ADOQueryL1_L4: "))) << e.what();
    }
    EXPECT_FALSE(q.active());
    EXPECT_THROW(db::openStatement(q, QStringLiteral("delete from DIY")), db::DbError);
    EXPECT_FALSE(q.active());
}
