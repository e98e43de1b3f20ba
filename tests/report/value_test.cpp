#include "report/value/frx_value.h"
#include "report/value/frx_value_ops.h"

#include <cmath>
#include <gtest/gtest.h>

#include <ostream>

namespace report {
[[maybe_unused]] static void PrintTo(const Value& v, std::ostream* out)
{
    *out << v.typeName().toStdString() << "(";
    try {
        *out << v.toString().toStdString();
    } catch (...) {
        *out << "?";
    }
    *out << ")";
}
} // namespace report

using report::Value;
using report::ValueType;

namespace {

// Runs with a known locale so texts do not depend on the machine.
class ValueTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = report::formatLocale();
        report::setFormatLocale(QLocale::c());
    }
    void TearDown() override { report::setFormatLocale(saved_); }

private:
    QLocale saved_;
};

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const report::ScriptError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

TEST_F(ValueTest, NumbersLiveInsideTheValue)
{
    static_assert(sizeof(Value) <= 32);
    EXPECT_EQ(Value(5).type(), ValueType::Int32);
    EXPECT_EQ(Value(qint64(5)).type(), ValueType::Int64);
    EXPECT_EQ(Value::fromInteger(qint64(1) << 40).type(), ValueType::Int64);
    EXPECT_EQ(Value::fromInteger(7).type(), ValueType::Int32);
    EXPECT_EQ(Value("x").type(), ValueType::String);
    EXPECT_EQ(Value(true).type(), ValueType::Bool);
    EXPECT_TRUE(Value().isEmpty());
    EXPECT_TRUE(Value::null().isNull());
}

TEST_F(ValueTest, CopiesAndMovesKeepStringsAndArrays)
{
    Value a(QStringLiteral("abc"));
    Value b = a;
    Value c = std::move(a);
    EXPECT_EQ(b.stringValue(), QStringLiteral("abc"));
    EXPECT_EQ(c.stringValue(), QStringLiteral("abc"));
    b = Value(3);
    EXPECT_EQ(b.int32Value(), 3);
    b = c;
    EXPECT_EQ(b.stringValue(), QStringLiteral("abc"));
    Value arr = Value::fromArray({Value(1), Value("x")});
    Value arr2 = arr;
    arr = Value(1.5);
    ASSERT_EQ(arr2.arrayValue().size(), 2u);
    EXPECT_EQ(arr2.arrayValue()[1].stringValue(), QStringLiteral("x"));
}

TEST_F(ValueTest, PlainTextForms)
{
    EXPECT_EQ(Value::null().toString(), QString());
    EXPECT_EQ(Value().toString(), QString());
    EXPECT_EQ(Value(42).toString(), QStringLiteral("42"));
    EXPECT_EQ(Value(0.1 + 0.2).toString(), QStringLiteral("0.3"));
    EXPECT_EQ(Value(1e20).toString(), QStringLiteral("1E20"));
    EXPECT_EQ(Value(2.5).toString(), QStringLiteral("2.5"));
    EXPECT_EQ(Value(true).toString(), QStringLiteral("True"));
    report::setFormatLocale(QLocale(QLocale::German));
    EXPECT_EQ(Value(2.5).toString(), QStringLiteral("2,5"));
}

TEST_F(ValueTest, DayNumbersMatchThePlatform)
{
    EXPECT_EQ(report::toDayNumber(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(report::toDayNumber(QDate(2024, 1, 1)), 45292.0);
    const Value v = Value::fromDateTime(QDateTime(QDate(2024, 1, 1), QTime(6, 0)));
    EXPECT_DOUBLE_EQ(v.doubleValue(), 45292.25);
    EXPECT_EQ(report::dayNumberToDateTime(45292.25), QDateTime(QDate(2024, 1, 1), QTime(6, 0)));
    // Before day 0 the fraction is still the time of day.
    EXPECT_EQ(report::dayNumberToDateTime(-1.25), QDateTime(QDate(1899, 12, 29), QTime(6, 0)));
    // Recent conversions are remembered: more day numbers than are kept, in turn, each
    // still give their own date and time, and a bad one stays invalid.
    for (int round = 0; round < 3; ++round)
        for (int day = 0; day < 7; ++day) {
            const double number = 45292.5 + day;
            EXPECT_EQ(report::dayNumberToDateTime(number), QDateTime(QDate(2024, 1, 1 + day), QTime(12, 0)))
                << number;
        }
    EXPECT_FALSE(report::dayNumberToDateTime(std::nan("")).isValid());
    EXPECT_FALSE(report::dayNumberToDateTime(std::nan("")).isValid());
    EXPECT_EQ(Value::fromTime(QTime(12, 0)).toString(), QLocale::c().toString(QTime(12, 0), QLocale::ShortFormat));
    EXPECT_EQ(Value::fromDate(QDate(2024, 3, 5)).toString(),
              QLocale::c().toString(QDate(2024, 3, 5), QLocale::ShortFormat));
}

TEST_F(ValueTest, ConversionsFollowTheVariantRules)
{
    EXPECT_EQ(Value(true).toInt32(), -1);
    EXPECT_EQ(Value(2.5).toInt32(), 2); // half to even
    EXPECT_EQ(Value(3.5).toInt32(), 4);
    EXPECT_EQ(Value(" 12.5 ").toDouble(), 12.5);
    EXPECT_EQ(Value("$FF").toInt32(), 255);
    EXPECT_EQ(Value("$FFFFFFFF").toInt32(), -1);
    EXPECT_TRUE(Value("TRUE").toBool());
    EXPECT_EQ(errorOf([] { (void)Value("abc").toDouble(); }),
              QStringLiteral("Could not convert variant of type (String) into type (Double)"));
    EXPECT_EQ(errorOf([] { (void)Value::null().toInt32(); }),
              QStringLiteral("Could not convert variant of type (Null) into type (Integer)"));
    EXPECT_EQ(errorOf([] { (void)Value(1e12).toInt32(); }),
              QStringLiteral("Could not convert variant of type (Double) into type (Integer)"));
}

TEST_F(ValueTest, ArithmeticPromotesAndConvertsStrings)
{
    using namespace report;
    EXPECT_TRUE(opAdd(Value(2), Value(3)).sameAs(Value(5)));
    EXPECT_TRUE(opAdd(Value("a"), Value("b")).sameAs(Value("ab")));
    EXPECT_TRUE(opAdd(Value("2"), Value(3)).sameAs(Value(5.0)));
    EXPECT_TRUE(opMul(Value(65536), Value(65536)).sameAs(Value(qint64(1) << 32)));
    EXPECT_TRUE(opAdd(Value(2), Value(0.5)).sameAs(Value(2.5)));
    EXPECT_TRUE(opAdd(Value::null(), Value(1)).isNull());
    EXPECT_TRUE(opAdd(Value(), Value(1)).sameAs(Value(1)));
    EXPECT_TRUE(opDivide(Value(1), Value(4)).sameAs(Value(0.25)));
    EXPECT_TRUE(opIntDiv(Value(7), Value(2)).sameAs(Value(3)));
    EXPECT_TRUE(opMod(Value(-7), Value(2)).sameAs(Value(-1)));
    EXPECT_EQ(errorOf([] { opAdd(Value("x"), Value(1)); }),
              QStringLiteral("Could not convert variant of type (String) into type (Double)"));
    EXPECT_EQ(errorOf([] { opDivide(Value(1), Value(0)); }),
              QStringLiteral("Floating point division by zero"));
    EXPECT_EQ(errorOf([] { opDivide(Value(0), Value(0)); }),
              QStringLiteral("Invalid floating point operation"));
    EXPECT_EQ(errorOf([] { opIntDiv(Value(1), Value(0)); }), QStringLiteral("Division by zero"));
    // Dates: plus a number is a date, minus a date a day count.
    const Value d = Value::fromDate(QDate(2024, 1, 31));
    EXPECT_EQ(opAdd(d, Value(1)).type(), ValueType::DateTime);
    EXPECT_EQ(dayNumberToDate(opAdd(d, Value(1)).doubleValue()), QDate(2024, 2, 1));
    EXPECT_TRUE(opSub(d, Value::fromDate(QDate(2024, 1, 1))).sameAs(Value(30.0)));
}

TEST_F(ValueTest, LogicalOnBooleansBitwiseOnIntegers)
{
    using namespace report;
    EXPECT_TRUE(opAnd(Value(true), Value(false)).sameAs(Value(false)));
    EXPECT_TRUE(opOr(Value(12), Value(3)).sameAs(Value(15)));
    EXPECT_TRUE(opXor(Value(true), Value(true)).sameAs(Value(false)));
    EXPECT_TRUE(opNot(Value(0)).sameAs(Value(-1)));
    EXPECT_TRUE(opNot(Value(true)).sameAs(Value(false)));
    EXPECT_TRUE(opShl(Value(1), Value(4)).sameAs(Value(16)));
    EXPECT_TRUE(opShr(Value(-1), Value(28)).sameAs(Value(15))); // 32-bit logical shift
    EXPECT_TRUE(opAnd(Value::null(), Value(true)).isNull());
}

TEST_F(ValueTest, ComparisonsWithNullsAndMixedTypes)
{
    using namespace report;
    EXPECT_TRUE(valuesEqual(Value::null(), Value::null()));
    EXPECT_FALSE(valuesEqual(Value::null(), Value(0)));
    EXPECT_FALSE(valuesEqual(Value::null(), Value("")));
    EXPECT_EQ(compareValues(Value::null(), Value(-5)), -1);
    EXPECT_TRUE(valuesEqual(Value("10"), Value(10)));
    EXPECT_TRUE(valuesEqual(Value(), Value("")));
    EXPECT_TRUE(valuesEqual(Value(2), Value(2.0)));
    EXPECT_FALSE(valuesEqual(Value("a"), Value("A")));
    EXPECT_EQ(compareValues(Value("10"), Value("9")), -1); // texts compare as texts
    EXPECT_EQ(compareValues(Value("10"), Value(9)), 1);    // a text against a number as a number
    EXPECT_TRUE(valuesEqual(Value(true), Value("True")));
    EXPECT_TRUE(valueInSet(Value(2), Value::fromArray({Value(1), Value(2)})));
    EXPECT_FALSE(valueInSet(Value(3), Value::fromArray({Value(1), Value(2)})));
}

} // namespace
