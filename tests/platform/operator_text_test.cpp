#include "platform/operator_text.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

// Expected texts are written with '.'; the system's separator replaces it.
QString withSystemPoint(const char* text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
}

TEST(NumberText, GeneralFormWithSystemSeparator)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0"},
        {-0.0, "0"},
        {1234.5, "1234.5"},
        {0.1 + 0.2, "0.3"},
        {-2.5, "-2.5"},
        {100, "100"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {0.0001, "0.0001"},
        {1e-5, "1E-5"},
        {-1.5e-7, "-1.5E-7"},
        {1e14, "100000000000000"},
        {999999999999999, "999999999999999"},
        {999999999999999.9, "1E15"}, // rounding to 15 digits carries into the exponent
        {1e15, "1E15"},
        {1e20, "1E20"},
        {123456789012345678.0, "1.23456789012346E17"},
        {1234567.891, "1234567.891"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(platform::formatGeneral(value), withSystemPoint(expected)) << expected;
}

TEST(NumberText, LocaleChoosesTheSeparator)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(platform::formatGeneral(1234.5, german), QStringLiteral("1234,5"));
    EXPECT_EQ(platform::formatGeneral(1.5e-7, german), QStringLiteral("1,5E-7"));
    EXPECT_EQ(platform::parseDecimal(QStringLiteral("12,25"), german), 12.25);
    EXPECT_EQ(platform::parseDecimal(QStringLiteral("12.25"), german), 12.25);
    EXPECT_EQ(platform::parseDecimal(QStringLiteral("1.000,5"), german), std::nullopt);
}

TEST(NumberText, ParseAcceptsOnlyPlainDecimals)
{
    const std::pair<const char*, double> good[] = {
        {"12.5", 12.5}, {" 7 ", 7}, {"-3", -3}, {"+4.25", 4.25}, {".5", 0.5},
        {"1E3", 1000}, {"2.5e-2", 0.025}, {"1e+2", 100}, {"0", 0},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(platform::parseDecimal(QString::fromLatin1(text)), value) << text;
    for (const char* text : {"", "  ", "abc", "1.2.3", "12a", "1e", "+-5", "--5", "inf", "nan",
                             "1e999", "1,234.5", "0x10", "+"})
        EXPECT_EQ(platform::parseDecimal(QString::fromLatin1(text)), std::nullopt) << text;
    EXPECT_EQ(platform::parseDecimal(QStringLiteral("１２")), std::nullopt); // full-width digits
}

TEST(NumberText, FormattedTextParsesBack)
{
    for (double value : {3999.0, 0.1 + 0.2, 1.0 / 7, -12345.678, 6.02214076e23, 1.6e-19, 1e15 + 1}) {
        const auto parsed = platform::parseDecimal(platform::formatGeneral(value));
        ASSERT_TRUE(parsed.has_value()) << value;
        EXPECT_NEAR(*parsed, value, std::abs(value) * 1e-14) << value;
    }
}

} // namespace
