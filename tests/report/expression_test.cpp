#include "expression_test_support.h"

#include "report/frx_resources.h"
#include "report/script/frx_expression.h"
#include "report/value/frx_value.h"

#include <gtest/gtest.h>

using report::CompileError;
using report::ScriptError;
using report::Value;
using report::ValueType;

namespace {

class ExpressionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = report::formatLocale();
        report::setFormatLocale(QLocale::c());
    }
    void TearDown() override { report::setFormatLocale(saved_); }

    Value eval(const QString& text) { return report::compileExpression(text, resolver).evaluate(); }
    QString text(const QString& expression) { return eval(expression).toString(); }

    // The message of a compile failure, or "<compiled>".
    QString compileError(const QString& expression)
    {
        try {
            report::compileExpression(expression, resolver);
        } catch (const CompileError& e) {
            return e.message();
        }
        return QStringLiteral("<compiled>");
    }

    // The message of a run-time failure, or "<ran>" (compiling must succeed).
    QString runError(const QString& expression)
    {
        const report::Expression e = report::compileExpression(expression, resolver);
        try {
            e.evaluate();
        } catch (const ScriptError& err) {
            return err.message();
        }
        return QStringLiteral("<ran>");
    }

    exprtest::TestResolver resolver;

private:
    QLocale saved_;
};

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

TEST_F(ExpressionTest, OperatorLevelsBindAsTheTableSays)
{
    EXPECT_TRUE(eval("2 + 3 * 4").sameAs(Value(14)));
    EXPECT_TRUE(eval("(2 + 3) * 4").sameAs(Value(20)));
    EXPECT_TRUE(eval("10 - 2 - 3").sameAs(Value(5)));        // left grouping
    EXPECT_TRUE(eval("100 div 10 div 5").sameAs(Value(2)));
    EXPECT_TRUE(eval("2 * 7 mod 4").sameAs(Value(2)));        // (2*7) mod 4
    EXPECT_TRUE(eval("1 + 2 = 3").sameAs(Value(true)));      // comparisons last
    EXPECT_TRUE(eval("1 < 2 = True").sameAs(Value(true)));   // (1 < 2) = True
    EXPECT_TRUE(eval("not 1 = 2").sameAs(Value(false)));     // (not 1) = 2: -2 = 2
    EXPECT_TRUE(eval("not (1 = 2)").sameAs(Value(true)));
    EXPECT_TRUE(eval("-2 * 3").sameAs(Value(-6)));
    EXPECT_TRUE(eval("2 * -3").sameAs(Value(-6)));
    EXPECT_TRUE(eval("- 2 + 5").sameAs(Value(3)));           // unary minus on the first term only
    EXPECT_TRUE(eval("1 or 2 and 4").sameAs(Value(1)));      // and binds tighter than or
    EXPECT_TRUE(eval("True or False and False").sameAs(Value(true)));
    EXPECT_TRUE(eval("3 shl 2 + 1").sameAs(Value(13)));
    EXPECT_TRUE(eval("1 + 3 shl 2").sameAs(Value(13)));      // 1 + (3 shl 2)
    EXPECT_TRUE(eval("6 xor 3 = 5").sameAs(Value(true)));
    EXPECT_TRUE(eval("1 = 1 = True").sameAs(Value(true)));   // comparisons chain from the left
}

TEST_F(ExpressionTest, DivisionAndVariantConversions)
{
    EXPECT_TRUE(eval("10 / 4").sameAs(Value(2.5)));
    EXPECT_TRUE(eval("10 / 5").sameAs(Value(2.0)));  // "/" is always floating
    EXPECT_TRUE(eval("10 div 4").sameAs(Value(2)));
    EXPECT_TRUE(eval("-7 mod 3").sameAs(Value(-1)));
    EXPECT_TRUE(eval("'a' + 'b'").sameAs(Value("ab")));
    EXPECT_TRUE(eval("'2' + 3").sameAs(Value(5.0)));
    EXPECT_TRUE(eval("'2' * '3'").sameAs(Value(6.0)));
    EXPECT_TRUE(eval("'10' > 9").sameAs(Value(true)));
    EXPECT_TRUE(eval("'10' > '9'").sameAs(Value(false)));
    EXPECT_TRUE(eval("2147483647 + 1").sameAs(Value(qint64(2147483648LL))));
    EXPECT_EQ(runError("'x' * 2"), q("Could not convert variant of type (String) into type (Double)"));
    EXPECT_EQ(runError("1 / 0"), q("Floating point division by zero"));
    EXPECT_EQ(runError("1 div 0"), q("Division by zero"));
    EXPECT_EQ(runError("1 mod 0"), q("Division by zero"));
}

TEST_F(ExpressionTest, NumbersWithExponentAndHexadecimal)
{
    EXPECT_TRUE(eval("1e3").sameAs(Value(1000.0)));
    EXPECT_TRUE(eval("1.5E-2").sameAs(Value(0.015)));
    EXPECT_TRUE(eval("2e+2").sameAs(Value(200.0)));
    EXPECT_TRUE(eval("0.5").sameAs(Value(0.5)));
    EXPECT_TRUE(eval("$FF").sameAs(Value(255)));
    EXPECT_TRUE(eval("$ff + 1").sameAs(Value(256)));
    EXPECT_TRUE(eval("$FFFFFFFF").sameAs(Value(-1)));
    EXPECT_TRUE(eval("2147483648").sameAs(Value(qint64(2147483648LL))));
    EXPECT_EQ(eval("99999999999999999999").type(), ValueType::Double);
    EXPECT_EQ(compileError("1."), q("Missing operator or semicolon"));
    EXPECT_EQ(compileError("1e"), q("Missing operator or semicolon"));
    EXPECT_EQ(compileError("$"), q("Invalid number"));
    EXPECT_EQ(compileError("$G"), q("Invalid number"));
}

TEST_F(ExpressionTest, StringsOfPiecesAndCharacterCodes)
{
    EXPECT_TRUE(eval("'it''s'").sameAs(Value("it's")));
    EXPECT_TRUE(eval("''").sameAs(Value("")));
    EXPECT_TRUE(eval("''''").sameAs(Value("'")));
    EXPECT_TRUE(eval("'a'#13#10'b'").sameAs(Value("a\r\nb")));
    EXPECT_TRUE(eval("#$41#66").sameAs(Value("AB")));
    EXPECT_TRUE(eval("#20013'国'").sameAs(Value(q("中国"))));
    EXPECT_TRUE(eval("'[x]' + ']'").sameAs(Value("[x]]")));
    EXPECT_EQ(compileError("'abc"), q("Unterminated string"));
    EXPECT_EQ(compileError("'a\nb'"), q("Unterminated string"));
    EXPECT_EQ(compileError("#"), q("Invalid character code"));
    EXPECT_EQ(compileError("\"abc\""), q("Expression expected"));
}

TEST_F(ExpressionTest, SetsAndIn)
{
    EXPECT_TRUE(eval("2 in [1, 2, 3]").sameAs(Value(true)));
    EXPECT_TRUE(eval("4 in [1, 2, 3]").sameAs(Value(false)));
    EXPECT_TRUE(eval("'b' in ['a'..'c']").sameAs(Value(true)));
    EXPECT_TRUE(eval("5 in [1..3, 7]").sameAs(Value(false)));
    EXPECT_TRUE(eval("7 in [1..3, 7]").sameAs(Value(true)));
    EXPECT_TRUE(eval("1 in []").sameAs(Value(false)));
    EXPECT_TRUE(eval("1 + 1 in [2]").sameAs(Value(true))); // "in" is a comparison
    const Value set = eval("[1, 'a', 2..4]");
    ASSERT_EQ(set.type(), ValueType::Array);
    EXPECT_EQ(set.arrayValue().size(), 5u);
    resolver.set("s", Value::fromArray({Value(3), Value(4)}));
    EXPECT_TRUE(eval("4 in s").sameAs(Value(true)));
    EXPECT_EQ(compileError("1 in [1,"), q("Expression expected"));
    EXPECT_EQ(compileError("1 in [1"), q("']' expected"));
}

TEST_F(ExpressionTest, KeywordsAndFunctionNamesIgnoreCase)
{
    EXPECT_TRUE(eval("7 DIV 2").sameAs(Value(3)));
    EXPECT_TRUE(eval("7 Mod 2").sameAs(Value(1)));
    EXPECT_TRUE(eval("TRUE AND false").sameAs(Value(false)));
    EXPECT_TRUE(eval("NOT true").sameAs(Value(false)));
    EXPECT_TRUE(eval("2 IN [2]").sameAs(Value(true)));
    EXPECT_EQ(runError("uppercase('a') + LENGTH('abc')"),
              q("Could not convert variant of type (String) into type (Double)"));
    EXPECT_TRUE(eval("uppercase('a') + IntToStr(LENGTH('abc'))").sameAs(Value("A3")));
    resolver.set("Amount", Value(5));
    EXPECT_TRUE(eval("AMOUNT + amount").sameAs(Value(10)));
}

TEST_F(ExpressionTest, ChineseNamesAreNames)
{
    resolver.set(q("金额"), Value(100));
    resolver.set(q("单价_2"), Value(2.5));
    resolver.references.insert(q("数据.\"数量\""), Value(3));
    EXPECT_TRUE(eval(q("金额 * 2")).sameAs(Value(200)));
    EXPECT_TRUE(eval(q("单价_2 * <数据.\"数量\">")).sameAs(Value(7.5)));
    EXPECT_EQ(compileError(q("金额 + 未知")), q("标识符未宣告:'未知'"));
}

TEST_F(ExpressionTest, ReferencesInAngleBrackets)
{
    resolver.references.insert(q("ds.\"A\""), Value(6));
    resolver.references.insert(q("Line#"), Value(1));
    resolver.references.insert(q("ds.\"A>B\""), Value(7));
    resolver.references.insert(q("x[<y>]"), Value(8));
    EXPECT_TRUE(eval("<ds.\"A\"> * 2").sameAs(Value(12)));
    EXPECT_TRUE(eval("<Line#> > 0").sameAs(Value(true)));
    EXPECT_TRUE(eval("1 < <Line#> + 1").sameAs(Value(true)));
    EXPECT_TRUE(eval("<ds.\"A>B\">").sameAs(Value(7))); // quotes protect ">"
    EXPECT_TRUE(eval("<x[<y>]>").sameAs(Value(8)));       // nesting with "<" and "["
    EXPECT_EQ(compileError("<Foo>"), q("标识符未宣告:'Foo'"));
    EXPECT_EQ(compileError("<Line#"), q("'>' expected"));
}

TEST_F(ExpressionTest, IifIsLazy)
{
    resolver.references.insert(q("Line#"), Value(1));
    const report::Expression e =
        report::compileExpression(q("IIF(<Line#> = 1, 'first', 1/0)"), resolver);
    EXPECT_TRUE(e.evaluate().sameAs(Value("first")));
    resolver.references[q("Line#")] = Value(2);
    EXPECT_THROW(e.evaluate(), ScriptError); // now the division runs
    EXPECT_TRUE(eval("iif(False, 1/0, 'b')").sameAs(Value("b")));
    // "Equals true" with the language's "=": 1 is not true (true is -1 as a number).
    EXPECT_TRUE(eval("IIF(1, 'yes', 'no')").sameAs(Value("no")));
    EXPECT_TRUE(eval("IIF(Null, 'yes', 'no')").sameAs(Value("no")));
    EXPECT_EQ(compileError("IIF(1, 2)"), q("Not enough actual parameters"));
}

TEST_F(ExpressionTest, FailuresOfConstantsWaitForRunTime)
{
    // Compiling folds constants but never turns a run-time failure into a compile failure.
    EXPECT_EQ(compileError("1/0"), q("<compiled>"));
    EXPECT_EQ(runError("StrToInt('x')"), q("'x' is not a valid integer value"));
    EXPECT_TRUE(report::compileExpression(u"2 * 3 + Length('ab')", resolver).isConstant());
    EXPECT_FALSE(report::compileExpression(u"Now", resolver).isConstant());
}

TEST_F(ExpressionTest, UnknownNamesFailToCompile)
{
    const QString undeclared = frxGet(QStringLiteral("SIdUndeclared"));
    EXPECT_EQ(undeclared, q("标识符未宣告:"));
    EXPECT_EQ(compileError("Foo"), undeclared + q("'Foo'"));
    EXPECT_EQ(compileError("1 + Foo(2)"), undeclared + q("'Foo'"));
    EXPECT_EQ(compileError("Memo1.Bar"), undeclared + q("'Bar'"));
    EXPECT_EQ(compileError("Memo1 is TNothing"), undeclared + q("'TNothing'"));
    // The first unknown name is reported, even with a syntax error after it.
    EXPECT_EQ(compileError("Foo + Bar +"), undeclared + q("'Foo'"));
    // A data reference without angle brackets is no expression.
    EXPECT_EQ(compileError("frxDBDataset1.\"DIY_ID\""), undeclared + q("'frxDBDataset1'"));
}

TEST_F(ExpressionTest, SyntaxErrors)
{
    EXPECT_EQ(compileError(""), q("Expression expected"));
    EXPECT_EQ(compileError("1 +"), q("Expression expected"));
    EXPECT_EQ(compileError("(1 + 2"), q("')' expected"));
    EXPECT_EQ(compileError("1 2"), q("Missing operator or semicolon"));
    EXPECT_EQ(compileError("Copy('a', 1)"), q("Not enough actual parameters"));
    EXPECT_EQ(compileError("Length('a', 1)"), q("Too many actual parameters"));
    EXPECT_EQ(compileError("Memo1."), q("Identifier expected"));
    EXPECT_EQ(compileError("1 {"), q("Unterminated comment"));
    try {
        report::compileExpression(u"1 + )", resolver);
        FAIL();
    } catch (const CompileError& e) {
        EXPECT_EQ(e.position(), 4);
    }
}

TEST_F(ExpressionTest, DesignatorsWithMembersIndexesAndCalls)
{
    EXPECT_TRUE(eval("Memo1.Text").sameAs(Value("Text of object")));
    EXPECT_TRUE(eval("memo1.TEXT + '!'").sameAs(Value("TEXT of object!")));
    EXPECT_TRUE(eval("Memo1 is TfrxMemoView").sameAs(Value(true)));
    EXPECT_TRUE(eval("'abc' is TfrxMemoView").sameAs(Value(false)));
    resolver.set("s", Value("abc"));
    EXPECT_TRUE(eval("s[2]").sameAs(Value("b")));
    EXPECT_EQ(runError("s[4]"), q("Range check error"));
    EXPECT_TRUE(eval("Copy(s, 2, 2)[1]").sameAs(Value("b")));
    EXPECT_TRUE(eval("Now() - Now < 1").sameAs(Value(true)));
}

TEST_F(ExpressionTest, MacroArgumentsArePassedAsTexts)
{
    // Unknown names inside a macro's arguments are the macro's business.
    EXPECT_TRUE(eval("SUM(<ds.\"A\"> * 2, MasterData1, 2)")
                    .sameAs(Value(q("SUM(<ds.\"A\"> * 2|MasterData1|2)"))));
    EXPECT_EQ(resolver.macroTexts, QStringList({q("<ds.\"A\"> * 2"), q("MasterData1"), q("2")}));
    EXPECT_TRUE(eval("count( )").sameAs(Value(q("COUNT()"))));
    EXPECT_TRUE(eval("SUM(IIF(a, 'x,y', (b)), Band1)").sameAs(Value(q("SUM(IIF(a, 'x,y', (b))|Band1)"))));
    // The syntax of the arguments is still checked.
    EXPECT_EQ(compileError("SUM(1 +)"), q("Expression expected"));
    EXPECT_EQ(compileError("SUM(1"), q("')' expected"));
}

TEST_F(ExpressionTest, CommentsAndBlanks)
{
    EXPECT_TRUE(eval("1 + {one} 2 (* two *) // three").sameAs(Value(3)));
    EXPECT_TRUE(eval("\t1\r\n+\r\n2 ").sameAs(Value(3)));
}

TEST_F(ExpressionTest, NullsPropagateThroughArithmetic)
{
    resolver.set("n", Value::null());
    EXPECT_TRUE(eval("n + 1").isNull());
    EXPECT_TRUE(eval("n = Null").sameAs(Value(true)));
    EXPECT_TRUE(eval("n = 0").sameAs(Value(false)));
    EXPECT_TRUE(eval("n < 0").sameAs(Value(true))); // null is smaller than anything
    EXPECT_TRUE(eval("VarIsNull(n)").sameAs(Value(true)));
    EXPECT_EQ(runError("IntToStr(n)"), q("Could not convert variant of type (Null) into type (Integer)"));
}

TEST_F(ExpressionTest, DateArithmetic)
{
    EXPECT_EQ(text("FormatDateTime('yyyy.mm.dd', EncodeDate(2024, 1, 31) + 1)"), q("2024.02.01"));
    EXPECT_TRUE(eval("EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 1)").sameAs(Value(29.0)));
    EXPECT_TRUE(eval("Date <= Now").sameAs(Value(true)));
    EXPECT_TRUE(eval("Trunc(Date) = Date").sameAs(Value(true)));
    EXPECT_TRUE(eval("Time < 1").sameAs(Value(true)));
}

} // namespace

namespace {

TEST_F(ExpressionTest, LimitsKeepTheStackAndMemorySafe)
{
    // Deep nesting and long chains are refused instead of overflowing the stack.
    EXPECT_EQ(compileError(QString(5000, u'(') + u'1' + QString(5000, u')')), q("Expression too complex"));
    EXPECT_EQ(compileError(QString(5000, u'-') + u'1'), q("Expression too complex"));
    QString chain = QStringLiteral("a");
    for (int i = 0; i < 6000; ++i)
        chain += QStringLiteral("+a");
    resolver.set("a", Value(1));
    EXPECT_EQ(compileError(chain), q("Expression too complex"));
    // A chain of a few hundred is an ordinary expression.
    EXPECT_TRUE(eval(chain.left(801)).sameAs(Value(401)));
    EXPECT_TRUE(eval(QString(100, u'(') + u'1' + QString(100, u')')).sameAs(Value(1)));
    // Sets are not spelled out beyond 65536 items.
    EXPECT_EQ(runError("[1..100000]"), q("Range check error"));
    EXPECT_EQ(runError("[1..40000, 1..40000]"), q("Range check error"));
    EXPECT_TRUE(eval("70000 in [1..100000]").sameAs(Value(true))); // "in" needs no spelling out
}

} // namespace
