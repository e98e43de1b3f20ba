// The shop's compatibility rules kept in the catalogue file, and a quotation's parts read
// for the checks.
#include "db/compat_rule_store.h"
#include "db/quotation_parts.h"
#include "db_fixture.h"

TEST_F(CatalogueTest, CompatRulesAreTheProgramsUntilStoredThenExactlyWhatWasStored)
{
    EXPECT_FALSE(db::storedCompatRules(connection));
    EXPECT_EQ(db::compatRules(connection), compat::defaultRules());

    const QList<compat::Rule> rules{
        {QStringLiteral("CPU"), QStringLiteral("处理器|CPU"), compat::Fact::Socket,
         QStringLiteral("(?<![A-Z])(LGA\\s?\\d{4})'s \"x\""), {}},
        {QStringLiteral("主板"), QStringLiteral("主板"), compat::Fact::PowerDraw, {}, QStringLiteral("45")},
    };
    db::storeCompatRules(connection, rules);
    EXPECT_EQ(db::storedCompatRules(connection), rules);
    EXPECT_EQ(db::compatRules(connection), rules);

    // Storing none brings the program's own back.
    db::storeCompatRules(connection, {});
    EXPECT_FALSE(db::storedCompatRules(connection));
    EXPECT_EQ(db::compatRules(connection), compat::defaultRules());

    // A copy of the file carries them: a second connection reads what the first stored.
    db::storeCompatRules(connection, rules);
    db::Connection other;
    other.setConnectionString(address);
    other.open();
    EXPECT_EQ(db::compatRules(other), rules);
}

TEST_F(CatalogueTest, QuotationPartsCarryTheCategoryPathOrTheLinesOwnTextsOfADeletedItem)
{
    const int cpus = addChain(QStringLiteral("电脑配件"), QStringLiteral("处理器"), QStringLiteral("AMD"),
                              QStringLiteral("锐龙7000系列"));
    connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_CS) values (%1, 'AMD 锐龙7 7700', "
                                      "'默认TDP 65W；接口AM5')").arg(cpus));
    connection.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values "
                       "('Q''1', '测试', 1, '旧描述', 2, '处理器')");
    connection.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values "
                       "('Q''1', '测试', 42, 'RTX 5070 整卡功耗约250W', 1, '显卡')");
    const auto parts = db::quotationParts(connection, QStringLiteral("Q'1"));
    ASSERT_TRUE(parts);
    ASSERT_EQ(parts->size(), 2);
    EXPECT_EQ((*parts)[0].categoryPath, QStringLiteral("电脑配件 > 处理器 > AMD > 锐龙7000系列"));
    EXPECT_EQ((*parts)[0].name, QStringLiteral("AMD 锐龙7 7700"));
    EXPECT_EQ((*parts)[0].parameters, QStringLiteral("默认TDP 65W；接口AM5"));
    EXPECT_EQ((*parts)[0].quantity, 2);
    EXPECT_EQ((*parts)[1].categoryPath, QStringLiteral("显卡"));
    EXPECT_EQ((*parts)[1].name, QStringLiteral("RTX 5070 整卡功耗约250W"));
    EXPECT_TRUE((*parts)[1].parameters.isEmpty());
    EXPECT_FALSE(db::quotationParts(connection, QStringLiteral("Q1")));
}
