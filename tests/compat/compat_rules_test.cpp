// The rule table as the shop exchanges it with a spreadsheet.
#include "compat/compat_rules.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace compat;

TEST(RulesCsv, TheShippedTableSurvivesARoundTripWithItsQuotesAndCommas)
{
    const QList<Rule> rules = defaultRules();
    ASSERT_GT(rules.size(), 15);
    const QByteArray csv = rulesToCsv(rules);
    EXPECT_TRUE(csv.startsWith(QStringLiteral("部件,分类,事实,模式,取值\r\n").toUtf8()));
    const RulesRead read = rulesFromCsv(csv);
    EXPECT_TRUE(read.errors.isEmpty()) << read.errors.join(u'\n').toStdString();
    EXPECT_EQ(read.rules, rules);
}

TEST(RulesCsv, ASpreadsheetsGbkSemicolonFileIsReadAndBadLinesAreNamed)
{
    const QString text = QStringLiteral(
        "部件;分类;事实;模式;取值\r\n"
        "电源;电源|PSU;额定功率;\"额定(\\d+)W;\";\r\n"
        "机箱;机箱;尺寸;ATX;\r\n"
        ";主板;插槽;LGA\\d+;\r\n"
        "内存;内存;功耗;;5\r\n");
    QStringEncoder gbk("GB18030");
    const RulesRead read = rulesFromCsv(gbk.encode(text));
    ASSERT_EQ(read.rules.size(), 2);
    EXPECT_EQ(read.rules[0], (Rule{QStringLiteral("电源"), QStringLiteral("电源|PSU"), Fact::RatedPower,
                                   QStringLiteral("额定(\\d+)W;"), {}}));
    EXPECT_EQ(read.rules[1], (Rule{QStringLiteral("内存"), QStringLiteral("内存"), Fact::PowerDraw, {},
                                   QStringLiteral("5")}));
    ASSERT_EQ(read.errors.size(), 2);
    EXPECT_TRUE(read.errors[0].startsWith(QStringLiteral("第 3 行：事实“尺寸”")));
    EXPECT_EQ(read.errors[1], QStringLiteral("第 4 行：没有部件"));
}
