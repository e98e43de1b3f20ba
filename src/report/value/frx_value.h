#pragma once

// The report language's value: one variant with the semantics of the platform's variants
// (empty vs null, 32- and 64-bit integers, floating point, date-time, boolean, string,
// arrays built by set constructors, and opaque object references).
//
// Numbers, booleans, date-times and object references live inside the value (no heap);
// strings are Qt's implicitly shared strings, arrays a shared immutable vector.
//
// Date-times are kept as the platform's day numbers: days since 1899-12-30, the fraction
// being the time of day, so "date + 1" is the next day and "date2 - date1" a day count.

#include "platform/error.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <cstring>
#include <memory>
#include <vector>

namespace report {

// A failure while a value is converted or an operator or function runs: the message is the
// platform's run-time error text (for example a failed conversion or a division by zero).
class ScriptError : public platform::Error {
public:
    using platform::Error::Error;
};

// The order matters: everything before String is copied as plain bytes.
enum class ValueType : quint8 {
    Empty,    // unassigned: 0 in arithmetic, '' in text
    Null,     // the database null: propagates through arithmetic, prints as ''
    Bool,
    Int32,
    Int64,
    Double,
    DateTime, // day number, as a double
    Object,   // opaque reference to an engine object
    String,
    Array,    // the value of a set constructor ("[1, 2, 'a']")
};

class Value;
using ValueArray = std::vector<Value>;

// An engine object as the language sees it: the object and a descriptor of its type that
// the engine chooses (for example its class's property table). The language never looks
// inside; equality compares the object pointers.
struct ObjectRef {
    void* object = nullptr;
    const void* type = nullptr;
};

class Value {
public:
    Value() noexcept : type_(ValueType::Empty) { raw_ = {}; }
    Value(int v) noexcept : type_(ValueType::Int32) { raw_ = {}; i32_ = v; }
    Value(qint64 v) noexcept : type_(ValueType::Int64) { raw_ = {}; i64_ = v; }
    Value(long v) noexcept : Value(qint64(v)) {}
    Value(double v) noexcept : type_(ValueType::Double) { raw_ = {}; dbl_ = v; }
    Value(bool v) noexcept : type_(ValueType::Bool) { raw_ = {}; bool_ = v; }
    Value(const QString& s) noexcept : type_(ValueType::String) { new (&str_) QString(s); }
    Value(QString&& s) noexcept : type_(ValueType::String) { new (&str_) QString(std::move(s)); }
    // UTF-8 text; without this a literal would turn into a bool.
    Value(const char* utf8) : Value(QString::fromUtf8(utf8)) {}
    Value(ObjectRef ref) noexcept : type_(ValueType::Object) { obj_ = ref; }

    static Value null() noexcept { Value v; v.type_ = ValueType::Null; return v; }
    static Value empty() noexcept { return Value(); }
    static Value fromDateTime(double dayNumber) noexcept
    {
        Value v(dayNumber);
        v.type_ = ValueType::DateTime;
        return v;
    }
    static Value fromDateTime(const QDateTime& dateTime);
    static Value fromDate(const QDate& date);
    static Value fromTime(const QTime& time);
    static Value fromArray(ValueArray items);
    // Integers that fit in 32 bits become Int32, others Int64.
    static Value fromInteger(qint64 v) noexcept
    {
        return v >= INT32_MIN && v <= INT32_MAX ? Value(int(v)) : Value(v);
    }

    Value(const Value& o) noexcept : type_(o.type_)
    {
        if (type_ < ValueType::String)
            raw_ = o.raw_;
        else
            copyHeap(o);
    }
    Value(Value&& o) noexcept : type_(o.type_)
    {
        if (type_ < ValueType::String)
            raw_ = o.raw_;
        else
            moveHeap(std::move(o));
    }
    Value& operator=(const Value& o) noexcept
    {
        if (this != &o) {
            if (type_ >= ValueType::String)
                destroyHeap();
            type_ = o.type_;
            if (type_ < ValueType::String)
                raw_ = o.raw_;
            else
                copyHeap(o);
        }
        return *this;
    }
    Value& operator=(Value&& o) noexcept
    {
        if (this != &o) {
            if (type_ >= ValueType::String)
                destroyHeap();
            type_ = o.type_;
            if (type_ < ValueType::String)
                raw_ = o.raw_;
            else
                moveHeap(std::move(o));
        }
        return *this;
    }
    ~Value()
    {
        if (type_ >= ValueType::String)
            destroyHeap();
    }

    ValueType type() const noexcept { return type_; }
    bool isNull() const noexcept { return type_ == ValueType::Null; }
    bool isEmpty() const noexcept { return type_ == ValueType::Empty; }
    // Null or empty.
    bool isNullOrEmpty() const noexcept { return type_ <= ValueType::Null; }
    bool isString() const noexcept { return type_ == ValueType::String; }
    bool isInteger() const noexcept
    {
        return type_ == ValueType::Int32 || type_ == ValueType::Int64;
    }
    // Integer, floating point or date-time.
    bool isNumber() const noexcept
    {
        return type_ >= ValueType::Int32 && type_ <= ValueType::DateTime;
    }

    // The stored data, for the matching type only.
    qint32 int32Value() const noexcept { return i32_; }
    qint64 int64Value() const noexcept { return i64_; }
    double doubleValue() const noexcept { return dbl_; } // Double and DateTime
    bool boolValue() const noexcept { return bool_; }
    const QString& stringValue() const noexcept { return str_; }
    ObjectRef objectValue() const noexcept { return obj_; }
    const ValueArray& arrayValue() const noexcept { return *arr_; }

    // Conversions as the platform's variants do them; a failure raises ScriptError with the
    // platform's text ("Could not convert variant of type (String) into type (Double)").
    // Booleans are -1 (true) and 0 (false) as numbers; empty is 0 or ''.
    double toDouble() const;
    // Floating values are rounded half to even; out-of-range values fail.
    qint32 toInt32() const;
    qint64 toInt64() const;
    bool toBool() const;
    // The date-time day number.
    double toDateTime() const;
    // Plain text ("VarToStr"): null and empty give '', numbers the shortest general decimal
    // form with the current decimal separator, date-times the short date and time forms,
    // booleans "True"/"False". Arrays and objects do not convert.
    QString toString() const;

    // The numeric value an arithmetic operator uses: integers, doubles and date-times as
    // they are, strings converted to Double (failing as toDouble does), booleans -1/0,
    // empty 0. Null must be handled by the caller.
    Value toNumeric() const;

    // The platform's name of the type: "Empty", "Null", "Integer", "Int64", "Double",
    // "Date", "Boolean", "String", "Array", "Object".
    static QString typeName(ValueType type);
    QString typeName() const { return typeName(type_); }

    // The conversion failure of this value into the named type.
    [[noreturn]] void throwCannotConvert(const char* targetType) const;

    // Strict identity of type and content (for tests and caches; not the language's "=").
    bool sameAs(const Value& o) const;

private:
    // Doubles and dates read the numeric kinds alike; only their text form differs.
    double toFloating(bool (*parseText)(QStringView, double*), const char* targetType) const;

    struct Raw {
        quint64 a, b;
    };
    void copyHeap(const Value& o) noexcept;
    void moveHeap(Value&& o) noexcept;
    void destroyHeap() noexcept;

    union {
        Raw raw_;
        qint32 i32_;
        qint64 i64_;
        double dbl_;
        bool bool_;
        ObjectRef obj_;
        QString str_;
        std::shared_ptr<const ValueArray> arr_;
    };
    ValueType type_;
};

// Day numbers and Qt's dates. Day 0 is 1899-12-30 at midnight; for negative day numbers
// the fraction is still the time of day (-1.25 is 1899-12-29 06:00), as on the platform.
double toDayNumber(const QDate& date);
double toDayNumber(const QTime& time);
double toDayNumber(const QDateTime& dateTime);
QDate dayNumberToDate(double dayNumber);
QTime dayNumberToTime(double dayNumber);
QDateTime dayNumberToDateTime(double dayNumber);

// The locale the report language formats and parses with (the platform's global format
// settings): the system locale unless a test or the program sets another.
const QLocale& formatLocale();
void setFormatLocale(const QLocale& locale);
// The first character of the locale's decimal separator, cached.
QChar formatDecimalSeparator();

// Plain text of a double: the shortest general decimal form with at most 15 significant
// digits and the current decimal separator.
QString formatGeneralNumber(double value);
// Plain text of a day number: short date, short time, or both when both parts are set.
QString formatDayNumber(double dayNumber);

// Text to number as the variant conversions do it: blanks around the number allowed,
// the current decimal separator or '.'; nothing else.
bool parseNumber(QStringView text, double* out);
// Text to integer as StrToInt does it: optional sign, decimal digits or "$"/"0x" followed by
// hexadecimal digits, blanks around allowed; false on anything else or on overflow.
bool parseInteger(QStringView text, qint64* out);
// Text to date-time in the current locale's short date and time forms (or ISO 8601).
bool parseDateTime(QStringView text, double* out);

} // namespace report
