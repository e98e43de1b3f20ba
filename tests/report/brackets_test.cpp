#include "report/script/frx_brackets.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <ostream>

static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using report::Delimiters;

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// Expands with each expression shown as {expression}, recording the expressions.
QString expand(const QString& text, const QString& delimiters = q("[,]"), QStringList* seen = nullptr)
{
    return report::expandBrackets(text, report::parseDelimiters(delimiters), [&](const QString& e) {
        if (seen)
            seen->append(e);
        return u'{' + e + u'}';
    });
}

TEST(BracketsTest, DelimitersSplitAtTheFirstComma)
{
    Delimiters d = report::parseDelimiters(q("<%,%>"));
    EXPECT_EQ(d.open, q("<%"));
    EXPECT_EQ(d.close, q("%>"));
    d = report::parseDelimiters(q("[,]"));
    EXPECT_EQ(d.open, q("["));
    EXPECT_EQ(d.close, q("]"));
    d = report::parseDelimiters(q("(,),x"));
    EXPECT_EQ(d.close, q("),x"));
}

TEST(BracketsTest, NestingAndQuotes)
{
    QStringList seen;
    EXPECT_EQ(expand(q("[[a]]"), q("[,]"), &seen), q("{[a]}"));
    EXPECT_EQ(seen, QStringList({q("[a]")}));
    EXPECT_EQ(expand(q("['x]y']")), q("{'x]y'}"));
    EXPECT_EQ(expand(q("[\"a]b\"]")), q("{\"a]b\"}"));
    EXPECT_EQ(expand(q("[IIF(<Line#> > 1, '[x]', '')]")), q("{IIF(<Line#> > 1, '[x]', '')}"));
    // An apostrophe inside double quotes is no quote, and the other way round.
    EXPECT_EQ(expand(q("[\"it's]\"] x")), q("{\"it's]\"} x"));
    EXPECT_EQ(expand(q("['say \"]' + 'a'] y")), q("{'say \"]' + 'a'} y"));
}

TEST(BracketsTest, SeveralBracketsAndLiteralText)
{
    QStringList seen;
    EXPECT_EQ(expand(q("a[1]b[2]c"), q("[,]"), &seen), q("a{1}b{2}c"));
    EXPECT_EQ(seen, QStringList({q("1"), q("2")}));
    EXPECT_EQ(expand(q("[Page#]   /   [TotalPages#]  ")), q("{Page#}   /   {TotalPages#}  "));
    EXPECT_EQ(expand(q("no brackets")), q("no brackets"));
    EXPECT_EQ(expand(q("[]")), q("{}"));
    EXPECT_EQ(expand(q("中文[金额]元")), q("中文{金额}元"));
    // A stray closing bracket is text.
    EXPECT_EQ(expand(q("a] [b]")), q("a] {b}"));
}

TEST(BracketsTest, InsertedTextIsNotScannedAgain)
{
    const QString out = report::expandBrackets(q("[a][b]"), Delimiters{}, [](const QString& e) {
        return e == q("a") ? q("[b]") : q("B");
    });
    EXPECT_EQ(out, q("[b]B"));
}

TEST(BracketsTest, UnclosedBracketStaysAsWritten)
{
    EXPECT_EQ(expand(q("abc [x")), q("abc [x"));
    EXPECT_EQ(expand(q("[a] and [b")), q("{a} and [b"));
    EXPECT_EQ(expand(q("['x]")), q("['x]"));
    EXPECT_EQ(expand(q("[")), q("["));
}

TEST(BracketsTest, OtherDelimiters)
{
    EXPECT_EQ(expand(q("<%Page#%> [Page#]"), q("<%,%>")), q("{Page#} [Page#]"));
    EXPECT_EQ(expand(q("<%<%a%>%>"), q("<%,%>")), q("{<%a%>}"));
    EXPECT_EQ(expand(q("<%%>"), q("<%,%>")), q("{}"));
    // "<%>": the closing delimiter overlaps the opening one, as on the platform.
    EXPECT_EQ(expand(q("<%>x"), q("<%,%>")), q("{}x"));
    // Empty delimiters find nothing.
    EXPECT_EQ(expand(q("[a]"), q("[")), q("[a]"));
    EXPECT_EQ(expand(q("[a]"), q("")), q("[a]"));
}

TEST(BracketsTest, MatchReportsPositions)
{
    const report::BracketMatch m = report::matchBracket(u"ab[cd]ef", 0, Delimiters{});
    ASSERT_TRUE(m.found);
    EXPECT_EQ(m.begin, 2);
    EXPECT_EQ(m.end, 6);
    EXPECT_EQ(m.expression, q("cd"));
    EXPECT_FALSE(report::matchBracket(u"ab[cd]ef", 3, Delimiters{}).found);
}

} // namespace
