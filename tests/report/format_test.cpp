#include "expression_test_support.h"

#include "report/format/frx_display_format.h"
#include "report/format/frx_format.h"
#include "report/script/frx_functions.h"

#include <gtest/gtest.h>

using report::DisplayFormat;
using report::DisplayKind;
using report::Value;

namespace {

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

class FormatTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = report::formatLocale();
        report::setFormatLocale(QLocale::c());
    }
    void TearDown() override { report::setFormatLocale(saved_); }

    static QString display(const Value& v, DisplayKind kind, const QString& format,
                           const QString& separator = QStringLiteral("."))
    {
        return report::formatDisplayValue(v, DisplayFormat{kind, format, separator});
    }
    static QString fn(const char* name, std::vector<Value> args)
    {
        return report::callBuiltinFunction(QString::fromLatin1(name), args).toString();
    }
    static QString fnError(const char* name, std::vector<Value> args)
    {
        try {
            report::callBuiltinFunction(QString::fromLatin1(name), args);
        } catch (const report::ScriptError& e) {
            return e.message();
        }
        return QStringLiteral("<no error>");
    }
    static Value date(int y, int m, int d, int h = 0, int n = 0, int s = 0)
    {
        return Value::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, n, s)));
    }

private:
    QLocale saved_;
};

TEST_F(FormatTest, DisplayFormatsOfEachKindWithTheirSeparators)
{
    EXPECT_EQ(display(Value::null(), DisplayKind::fkNumeric, "%2.2f"), QString());
    EXPECT_EQ(display(Value(0.1 + 0.2), DisplayKind::fkText, ""), q("0.3"));
    // "%2.2f" with "," on a system whose separator is ".".
    EXPECT_EQ(display(Value(3.14159), DisplayKind::fkNumeric, "%2.2f", ","), q("3,14"));
    EXPECT_EQ(display(Value(3.7), DisplayKind::fkNumeric, "%d"), q("4"));
    EXPECT_EQ(display(Value(1234.5), DisplayKind::fkNumeric, "#,##0.00"), q("1,234.50"));
    EXPECT_EQ(display(Value("12.5"), DisplayKind::fkNumeric, "%.1f"), q("12.5"));
    // Yes/No booleans.
    EXPECT_EQ(display(Value(true), DisplayKind::fkBoolean, "Yes,No"), q("Yes"));
    EXPECT_EQ(display(Value(false), DisplayKind::fkBoolean, "Yes,No"), q("No"));
    EXPECT_EQ(display(Value(0), DisplayKind::fkBoolean, "Yes,No"), q("No"));
    EXPECT_EQ(display(Value::null(), DisplayKind::fkBoolean, "Yes,No"), QString());
    EXPECT_EQ(display(Value(true), DisplayKind::fkBoolean, "Yes"), QString());
    EXPECT_EQ(display(Value(false), DisplayKind::fkBoolean, "Yes"), q("Yes"));
    // Dates.
    EXPECT_EQ(display(date(2024, 3, 5, 9, 7), DisplayKind::fkDateTime, "yyyy.mm.dd"), q("2024.03.05"));
    EXPECT_EQ(display(date(2024, 3, 5, 9, 7), DisplayKind::fkDateTime, "hh:mm"), q("09:07"));
    // Failures fall back to the plain conversion.
    EXPECT_EQ(display(Value("abc"), DisplayKind::fkNumeric, "%2.2f"), q("abc"));
    EXPECT_EQ(display(Value("abc"), DisplayKind::fkDateTime, "yyyy"), q("abc"));
    EXPECT_EQ(display(Value(5), DisplayKind::fkNumeric, "%q"), q("5"));
    EXPECT_EQ(display(Value("x"), DisplayKind::fkBoolean, "Y,N"), q("x"));
}

TEST_F(FormatTest, DecimalSeparatorFollowsTheSystem)
{
    report::setFormatLocale(QLocale(QLocale::German));
    EXPECT_EQ(display(Value(3.14159), DisplayKind::fkNumeric, "%2.2f", "."), q("3.14"));
    EXPECT_EQ(display(Value(3.14159), DisplayKind::fkNumeric, "%2.2f", ","), q("3,14"));
    EXPECT_EQ(display(Value(2.5), DisplayKind::fkText, ""), q("2,5"));
    // Only a one-character separator counts.
    EXPECT_EQ(display(Value(3.14159), DisplayKind::fkNumeric, "%2.2f", ".."), q("3,14"));
}

TEST_F(FormatTest, InlineFormatOfABracket)
{
    auto f = report::splitInlineFormat(q("<Page#> #n%2,2f"));
    EXPECT_EQ(f.expression, q("<Page#>"));
    ASSERT_TRUE(f.format);
    EXPECT_EQ(f.format->kind, DisplayKind::fkNumeric);
    EXPECT_EQ(f.format->decimalSeparator, q(","));
    EXPECT_EQ(f.format->formatStr, q("%2.2f"));
    f = report::splitInlineFormat(q("<Date> #dyyyy.mm.dd"));
    EXPECT_EQ(f.format->kind, DisplayKind::fkDateTime);
    EXPECT_EQ(f.format->formatStr, q("yyyy.mm.dd"));
    f = report::splitInlineFormat(q("a #BYes,No"));
    EXPECT_EQ(f.format->kind, DisplayKind::fkBoolean);
    EXPECT_EQ(f.format->formatStr, q("Yes,No")); // commas stay for booleans
    // A ")" in the format part: all of it is the expression.
    f = report::splitInlineFormat(q("IIF(a, 'x #y)', 'z')"));
    EXPECT_EQ(f.expression, q("IIF(a, 'x #y)', 'z')"));
    EXPECT_FALSE(f.format);
    f = report::splitInlineFormat(q("a#b"));
    EXPECT_FALSE(f.format);
    f = report::splitInlineFormat(q("x #"));
    EXPECT_EQ(f.format->kind, DisplayKind::fkText);
}

TEST_F(FormatTest, PrintfStyleFormat)
{
    auto format = [](const char* f, std::vector<Value> args) {
        return report::formatPrintf(QString::fromLatin1(f), args.data(), int(args.size()));
    };
    EXPECT_EQ(format("%2.2f", {Value(3.14159)}), q("3.14"));
    EXPECT_EQ(format("%.2f", {Value(0.125)}), q("0.13"));  // half away from zero
    EXPECT_EQ(format("%.2f", {Value(-0.125)}), q("-0.13"));
    EXPECT_EQ(format("%.0f", {Value(2.5)}), q("3"));
    EXPECT_EQ(format("%f", {Value(1)}), q("1.00"));
    EXPECT_EQ(format("%8.3f|", {Value(-1.5)}), q("  -1.500|"));
    EXPECT_EQ(format("%-6d|%6d", {Value(42), Value(-42)}), q("42    |   -42"));
    EXPECT_EQ(format("%.4d", {Value(-12)}), q("-0012"));
    EXPECT_EQ(format("%x %.4x", {Value(255), Value(-1)}), q("FF FFFFFFFF"));
    EXPECT_EQ(format("%s and %s", {Value("a"), Value("b")}), q("a and b"));
    EXPECT_EQ(format("%.2s", {Value("abc")}), q("ab"));
    EXPECT_EQ(format("%1:s %0:s %s", {Value("a"), Value("b")}), q("b a b"));
    EXPECT_EQ(format("%*d", {Value(5), Value(7)}), q("    7"));
    EXPECT_EQ(format("%e", {Value(1234.5)}), q("1.23450000000000E+003"));
    EXPECT_EQ(format("%.3e", {Value(-0.000123)}), q("-1.23E-004"));
    EXPECT_EQ(format("%g", {Value(0.5)}), q("0.5"));
    EXPECT_EQ(format("%n", {Value(1234567.891)}), q("1,234,567.89"));
    EXPECT_EQ(format("100%%", {}), q("100%"));
    EXPECT_THROW(format("%d", {Value("x")}), report::ScriptError);
    EXPECT_THROW(format("%d", {Value(2.5)}), report::ScriptError);
    EXPECT_THROW(format("%d %d", {Value(1)}), report::ScriptError);
    EXPECT_THROW(format("%", {Value(1)}), report::ScriptError);
}

TEST_F(FormatTest, PictureFormats)
{
    using report::formatFloatPicture;
    EXPECT_EQ(formatFloatPicture(u"#,##0.00", 1234567.5), q("1,234,567.50"));
    EXPECT_EQ(formatFloatPicture(u"0.###", 1.5), q("1.5"));
    EXPECT_EQ(formatFloatPicture(u"0.###", 2), q("2"));
    EXPECT_EQ(formatFloatPicture(u"000", 5), q("005"));
    EXPECT_EQ(formatFloatPicture(u"#", 0), QString());
    EXPECT_EQ(formatFloatPicture(u"0", 2.5), q("3"));
    EXPECT_EQ(formatFloatPicture(u"0.00", 0.125), q("0.13"));
    EXPECT_EQ(formatFloatPicture(u"0.00", -1.005), q("-1.00")); // 1.005 is 1.00499999...
    EXPECT_EQ(formatFloatPicture(u"0.00E+00", 1234.5), q("1.23E+03"));
    EXPECT_EQ(formatFloatPicture(u"0.0E-0", 0.00015), q("1.5E-4"));
    EXPECT_EQ(formatFloatPicture(u"0.00;(0.00);'zero'", -5), q("(5.00)"));
    EXPECT_EQ(formatFloatPicture(u"0.00;(0.00);'zero'", 0.001), q("zero"));
    EXPECT_EQ(formatFloatPicture(u"0.00;;'zero'", -5), q("-5.00"));
    EXPECT_EQ(formatFloatPicture(u"'¥'#,##0.00", 99.5), q("¥99.50"));
    EXPECT_EQ(formatFloatPicture(u"000-000", 123456), q("123-456"));
    EXPECT_EQ(formatFloatPicture(u"", 2.5), q("2.5"));
    EXPECT_EQ(formatFloatPicture(u"#,##0", -1234), q("-1,234"));
    EXPECT_EQ(formatFloatPicture(u"#.00", 0.5), q(".50"));
}

TEST_F(FormatTest, DateTimePatterns)
{
    using report::formatDateTimePattern;
    const double d = date(2024, 3, 5, 14, 7, 9).doubleValue();
    EXPECT_EQ(formatDateTimePattern(u"yyyy.mm.dd", d), q("2024.03.05"));
    EXPECT_EQ(formatDateTimePattern(u"YYYY-M-D", d), q("2024-3-5"));
    EXPECT_EQ(formatDateTimePattern(u"dd/mm/yy", d), q("05/03/24"));
    EXPECT_EQ(formatDateTimePattern(u"hh:mm", d), q("14:07"));
    EXPECT_EQ(formatDateTimePattern(u"hh:mm:ss", d), q("14:07:09"));
    EXPECT_EQ(formatDateTimePattern(u"h:nn am/pm", d), q("2:07 pm"));
    EXPECT_EQ(formatDateTimePattern(u"mmmm d, yyyy", d), q("March 5, 2024"));
    EXPECT_EQ(formatDateTimePattern(u"ddd mmm", d), q("Tue Mar"));
    EXPECT_EQ(formatDateTimePattern(u"'year' yyyy \"mm\"", d), q("year 2024 mm"));
    EXPECT_EQ(formatDateTimePattern(u"yyyy年m月d日", d), q("2024年3月5日"));
    EXPECT_EQ(formatDateTimePattern(u"zzz", d), q("000"));
    report::setFormatLocale(QLocale(QLocale::German));
    EXPECT_EQ(formatDateTimePattern(u"dd/mm/yy", d), q("05.03.24")); // "/" is the date separator
    EXPECT_EQ(formatDateTimePattern(u"mmmm", d), q("März"));
}

TEST_F(FormatTest, StringFunctions)
{
    EXPECT_EQ(fn("Copy", {Value("abcdef"), Value(2), Value(3)}), q("bcd"));
    EXPECT_EQ(fn("Copy", {Value("abc"), Value(0), Value(2)}), q("ab"));
    EXPECT_EQ(fn("Copy", {Value("abc"), Value(5), Value(1)}), QString());
    EXPECT_EQ(fn("Copy", {Value("abc"), Value(2), Value(100)}), q("bc"));
    EXPECT_EQ(fn("Pos", {Value("c"), Value("abc")}), q("3"));
    EXPECT_EQ(fn("Pos", {Value(""), Value("abc")}), q("0"));
    EXPECT_EQ(fn("Length", {Value(q("中文"))}), q("2"));
    EXPECT_EQ(fn("Length", {Value(12.5)}), q("4"));
    EXPECT_EQ(fn("Trim", {Value(" \t a b \r\n")}), q("a b"));
    EXPECT_EQ(fn("TrimLeft", {Value("  a ")}), q("a "));
    EXPECT_EQ(fn("UpperCase", {Value(q("abcé"))}), q("ABCÉ"));
    EXPECT_EQ(fn("LowerCase", {Value("ABC")}), q("abc"));
    EXPECT_EQ(fn("Chr", {Value(65)}), q("A"));
    EXPECT_EQ(fn("Chr", {Value(20013)}), q("中"));
    EXPECT_EQ(fn("Ord", {Value("A")}), q("65"));
    EXPECT_EQ(fn("Ord", {Value(true)}), q("1"));
    EXPECT_EQ(fn("CompareText", {Value("abc"), Value("ABC")}), q("0"));
}

TEST_F(FormatTest, ConversionFunctions)
{
    EXPECT_EQ(fn("IntToStr", {Value(42)}), q("42"));
    EXPECT_EQ(fn("IntToStr", {Value(2.5)}), q("2"));
    EXPECT_EQ(fn("StrToInt", {Value(" 42")}), q("42"));
    EXPECT_EQ(fn("StrToInt", {Value("$10")}), q("16"));
    EXPECT_EQ(fnError("StrToInt", {Value("4x")}), q("'4x' is not a valid integer value"));
    EXPECT_EQ(fnError("StrToInt", {Value("9999999999")}), q("'9999999999' is not a valid integer value"));
    EXPECT_EQ(fn("FloatToStr", {Value(0.5)}), q("0.5"));
    EXPECT_EQ(fn("StrToFloat", {Value("1.5")}), q("1.5"));
    EXPECT_EQ(fnError("StrToFloat", {Value("x")}), q("'x' is not a valid floating point value"));
    EXPECT_EQ(fn("IntToHex", {Value(255), Value(4)}), q("00FF"));
    EXPECT_EQ(fn("IntToHex", {Value(-1), Value(2)}), q("FFFFFFFF"));
    EXPECT_EQ(fn("Format", {Value("%d-%s"), Value::fromArray({Value(5), Value("x")})}), q("5-x"));
    EXPECT_EQ(fn("FormatFloat", {Value("0.00"), Value(2)}), q("2.00"));
    EXPECT_EQ(fn("FormatDateTime", {Value("yyyy"), date(2024, 1, 1)}), q("2024"));
    EXPECT_EQ(fn("DateToStr", {date(2024, 3, 5, 10, 0)}),
              QLocale::c().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
    EXPECT_EQ(fn("TimeToStr", {date(2024, 3, 5, 10, 4, 5)}), q("10:04:05"));
    EXPECT_EQ(fn("ValidInt", {Value("12")}), q("True"));
    EXPECT_EQ(fn("ValidFloat", {Value("1e")}), q("False"));
}

TEST_F(FormatTest, NumberFunctions)
{
    EXPECT_TRUE(report::callBuiltinFunction(u"Abs", {Value(-3)}).sameAs(Value(3)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Abs", {Value(-2.5)}).sameAs(Value(2.5)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Round", {Value(2.5)}).sameAs(Value(2))); // half to even
    EXPECT_TRUE(report::callBuiltinFunction(u"Round", {Value(3.5)}).sameAs(Value(4)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Round", {Value(-2.5)}).sameAs(Value(-2)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Trunc", {Value(-2.7)}).sameAs(Value(-2)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Int", {Value(2.7)}).sameAs(Value(2.0)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Frac", {Value(2.75)}).sameAs(Value(0.75)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Sqrt", {Value(16)}).sameAs(Value(4.0)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Max", {Value(1), Value(2.5)}).sameAs(Value(2.5)));
    EXPECT_TRUE(report::callBuiltinFunction(u"Min", {Value("b"), Value("a")}).sameAs(Value("a")));
    EXPECT_EQ(fnError("Sqrt", {Value(-1)}), q("Invalid floating point operation"));
    EXPECT_EQ(fnError("Round", {Value::null()}), q("Could not convert variant of type (Null) into type (Double)"));
    EXPECT_EQ(fnError("Round", {Value(1e300)}), q("Invalid floating point operation"));
}

} // namespace
