// Number <-> text has one rule per purpose: the operator's general form (the platform's,
// which the report language calls) and the number form of the XML text form. Each is fed
// the same hard cases.
#include "platform/operator_text.h"
#include "report/model/frx_persistent.h"
#include "report/model/property_table.h"
#include "report/value/frx_value.h"
#include "report/xml/xml_form.h"
#include "report/xml/xml_number.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

QString withComma(const char* text)
{
    return QString::fromLatin1(text).replace(u'.', u',');
}

TEST(NumberForms, EachRuleOnTheHardCases)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale savedReportLocale = report::formatLocale();
    const QLocale savedDefault;
    // A comma locale everywhere: only the operator's form follows it.
    QLocale::setDefault(german);
    report::setFormatLocale(german);

    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value;
        const char* general; // with '.'; the comma locale puts ',' in its place
        const char* xml;
    } cases[] = {
        {1e15, "1E15", "1e+15"},
        {999999999999999.9, "1E15", "1e+15"}, // rounding to 15 digits carries into the exponent
        {0.1 + 0.2, "0.3", "0.3"},
        {-0.0, "0", "0"},
        {1234.5, "1234.5", "1234.5"},
        {39728.7130210069, "39728.7130210069", "39728.7130210069"},
        {1.0 / 3, "0.333333333333333", "0.333333333333333"},
        {1e-5, "1E-5", "1e-05"},
        {-1.5e-7, "-1.5E-7", "-1.5e-07"},
        {123456789012345678.0, "1.23456789012346E17", "1.23456789012346e+17"},
        {nan, "NAN", "nan"},
        {-std::numeric_limits<double>::infinity(), "-INF", "-inf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.xml);
        EXPECT_EQ(platform::formatGeneral(c.value, QLocale::c()), QString::fromLatin1(c.general));
        EXPECT_EQ(platform::formatGeneral(c.value, german), withComma(c.general));
        EXPECT_EQ(report::formatGeneralNumber(c.value), withComma(c.general));

        EXPECT_EQ(report::floatToText(c.value), QString::fromLatin1(c.xml));
        EXPECT_EQ(report::ValueToXML(c.value), QByteArray(c.xml));
        std::string appended = "x=";
        report::appendFloatText(appended, c.value);
        EXPECT_EQ(appended, std::string("x=") + c.xml);

        // What was written reads back: the operator's form in its locale, the XML form with
        // either separator. No reader takes what is no number.
        const auto operatorRead = platform::parseDecimal(withComma(c.general), german);
        const auto xmlRead = report::readFloatText(QByteArrayView(c.xml));
        EXPECT_EQ(report::readFloatText(withComma(c.xml)), xmlRead);
        if (!std::isfinite(c.value)) {
            EXPECT_FALSE(operatorRead.has_value());
            EXPECT_FALSE(xmlRead.has_value());
            continue;
        }
        ASSERT_TRUE(operatorRead && xmlRead);
        EXPECT_NEAR(*operatorRead, c.value, std::abs(c.value) * 1e-14);
        EXPECT_NEAR(*xmlRead, c.value, std::abs(c.value) * 1e-14);
    }
    // The shortest fixed form is exact where 15 digits suffice.
    EXPECT_EQ(report::readFloatText(QByteArrayView("1234.5")), 1234.5);
    EXPECT_EQ(report::readFloatText(QByteArrayView("39728.7130210069")), 39728.7130210069);

    QLocale::setDefault(savedDefault);
    report::setFormatLocale(savedReportLocale);
}

TEST(NumberForms, XmlReadingTakesBlanksAndEitherSeparatorButNothingElse)
{
    const std::pair<const char*, double> good[] = {
        {"12,5", 12.5}, {"1 000,5", 1000.5}, {" -7.25 ", -7.25}, {"+4", 4}, {"2.5E+3", 2500}, {"-0", -0.0},
    };
    for (const auto& [text, value] : good)
        EXPECT_EQ(report::readFloatText(QByteArrayView(text)), value) << text;
    EXPECT_TRUE(std::signbit(*report::readFloatText(QByteArrayView("-0"))));
    for (const char* text : {"", "!13", "1e999", "nan", "inf", "12px", "1,2,3"})
        EXPECT_EQ(report::readFloatText(QByteArrayView(text)), std::nullopt) << text;

    EXPECT_EQ(report::readIntText(QByteArrayView("-13")), -13);
    EXPECT_EQ(report::readIntText(QByteArrayView(" 7 ")), 7);
    EXPECT_EQ(report::readIntText(QByteArrayView("$FF")), 255);
    EXPECT_EQ(report::readIntText(QByteArrayView("2147483647")), 2147483647);
    for (const char* text : {"", "!13", "1.5", "2147483648", "0x10", "- 1"})
        EXPECT_EQ(report::readIntText(QByteArrayView(text)), std::nullopt) << text;
    // The model's readers report a text that is no number by its value.
    EXPECT_THROW(report::textToInt(QByteArrayView("!13")), report::ReportError);
}

} // namespace
