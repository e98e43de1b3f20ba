#include "report/value/frx_value.h"

#include "platform/hex_digit.h"
#include "platform/operator_text.h"

#include <array>
#include <cmath>
#include <limits>

namespace report {

namespace {

// 1899-12-30, day 0 of the platform's day numbers.
constexpr qint64 dayZeroJulian = 2415019;
constexpr double msecsPerDay = 86400000.0;

struct FormatState {
    // The process's default locale: the session's, or the one the program chose.
    QLocale locale;
    QChar decimal = firstChar(QLocale().decimalPoint());

    static QChar firstChar(const QString& s) { return s.isEmpty() ? QChar(u'.') : s.at(0); }
};

FormatState& formatState()
{
    static FormatState state;
    return state;
}

} // namespace

// ---- storage -------------------------------------------------------------------------

void Value::copyHeap(const Value& o) noexcept
{
    if (type_ == ValueType::String)
        new (&str_) QString(o.str_);
    else
        new (&arr_) std::shared_ptr<const ValueArray>(o.arr_);
}

void Value::moveHeap(Value&& o) noexcept
{
    if (type_ == ValueType::String)
        new (&str_) QString(std::move(o.str_));
    else
        new (&arr_) std::shared_ptr<const ValueArray>(std::move(o.arr_));
}

void Value::destroyHeap() noexcept
{
    if (type_ == ValueType::String)
        str_.~QString();
    else
        arr_.~shared_ptr<const ValueArray>();
}

Value Value::fromArray(ValueArray items)
{
    Value v;
    v.type_ = ValueType::Array;
    new (&v.arr_) std::shared_ptr<const ValueArray>(
        std::make_shared<const ValueArray>(std::move(items)));
    return v;
}

Value Value::fromDateTime(const QDateTime& dateTime)
{
    return fromDateTime(toDayNumber(dateTime));
}

Value Value::fromDate(const QDate& date)
{
    return fromDateTime(toDayNumber(date));
}

Value Value::fromTime(const QTime& time)
{
    return fromDateTime(toDayNumber(time));
}

// ---- names and failures ----------------------------------------------------------------

QString Value::typeName(ValueType type)
{
    switch (type) {
    case ValueType::Empty: return QStringLiteral("Empty");
    case ValueType::Null: return QStringLiteral("Null");
    case ValueType::Bool: return QStringLiteral("Boolean");
    case ValueType::Int32: return QStringLiteral("Integer");
    case ValueType::Int64: return QStringLiteral("Int64");
    case ValueType::Double: return QStringLiteral("Double");
    case ValueType::DateTime: return QStringLiteral("Date");
    case ValueType::Object: return QStringLiteral("Object");
    case ValueType::String: return QStringLiteral("String");
    case ValueType::Array: return QStringLiteral("Array");
    }
    return QStringLiteral("Unknown");
}

void Value::throwCannotConvert(const char* targetType) const
{
    throw ScriptError(QStringLiteral("Could not convert variant of type (%1) into type (%2)")
                          .arg(typeName(), QLatin1String(targetType)));
}

bool Value::sameAs(const Value& o) const
{
    if (type_ != o.type_)
        return false;
    switch (type_) {
    case ValueType::Empty:
    case ValueType::Null: return true;
    case ValueType::Bool: return bool_ == o.bool_;
    case ValueType::Int32: return i32_ == o.i32_;
    case ValueType::Int64: return i64_ == o.i64_;
    case ValueType::Double:
    case ValueType::DateTime:
        return dbl_ == o.dbl_ || (std::isnan(dbl_) && std::isnan(o.dbl_));
    case ValueType::Object: return obj_.object == o.obj_.object;
    case ValueType::String: return str_ == o.str_;
    case ValueType::Array: {
        const ValueArray& a = *arr_;
        const ValueArray& b = *o.arr_;
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!a[i].sameAs(b[i]))
                return false;
        return true;
    }
    }
    return false;
}

// ---- conversions ------------------------------------------------------------------------

double Value::toFloating(bool (*parseText)(QStringView, double*), const char* targetType) const
{
    switch (type_) {
    case ValueType::Empty: return 0;
    case ValueType::Bool: return bool_ ? -1 : 0;
    case ValueType::Int32: return i32_;
    case ValueType::Int64: return double(i64_);
    case ValueType::Double:
    case ValueType::DateTime: return dbl_;
    case ValueType::String: {
        double d;
        if (parseText(str_, &d))
            return d;
        break;
    }
    default: break;
    }
    throwCannotConvert(targetType);
}

double Value::toDouble() const
{
    return toFloating(parseNumber, "Double");
}

qint64 Value::toInt64() const
{
    switch (type_) {
    case ValueType::Empty: return 0;
    case ValueType::Bool: return bool_ ? -1 : 0;
    case ValueType::Int32: return i32_;
    case ValueType::Int64: return i64_;
    case ValueType::String: {
        qint64 i;
        if (parseInteger(str_, &i))
            return i;
        double d;
        if (parseNumber(str_, &d)) {
            d = std::nearbyint(d);
            if (d >= -9223372036854775808.0 && d < 9223372036854775808.0)
                return qint64(d);
        }
        break;
    }
    case ValueType::Double:
    case ValueType::DateTime: {
        const double d = std::nearbyint(dbl_); // half to even, as the platform rounds
        if (d >= -9223372036854775808.0 && d < 9223372036854775808.0)
            return qint64(d);
        break;
    }
    default: break;
    }
    throwCannotConvert("Int64");
}

qint32 Value::toInt32() const
{
    if (type_ == ValueType::Int32)
        return i32_;
    qint64 v;
    try {
        v = toInt64();
    } catch (const ScriptError&) {
        throwCannotConvert("Integer");
    }
    if (v < INT32_MIN || v > INT32_MAX)
        throwCannotConvert("Integer");
    return qint32(v);
}

bool Value::toBool() const
{
    switch (type_) {
    case ValueType::Empty: return false;
    case ValueType::Bool: return bool_;
    case ValueType::Int32: return i32_ != 0;
    case ValueType::Int64: return i64_ != 0;
    case ValueType::Double:
    case ValueType::DateTime: return dbl_ != 0;
    case ValueType::String: {
        const QString t = str_.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        double d;
        if (parseNumber(t, &d))
            return d != 0;
        break;
    }
    default: break;
    }
    throwCannotConvert("Boolean");
}

double Value::toDateTime() const
{
    return toFloating(parseDateTime, "Date");
}

QString Value::toString() const
{
    switch (type_) {
    case ValueType::Empty:
    case ValueType::Null: return QString();
    case ValueType::Bool: return bool_ ? QStringLiteral("True") : QStringLiteral("False");
    case ValueType::Int32: return QString::number(i32_);
    case ValueType::Int64: return QString::number(i64_);
    case ValueType::Double: return formatGeneralNumber(dbl_);
    case ValueType::DateTime: return formatDayNumber(dbl_);
    case ValueType::String: return str_;
    default: break;
    }
    throwCannotConvert("String");
}

Value Value::toNumeric() const
{
    switch (type_) {
    case ValueType::Int32:
    case ValueType::Int64:
    case ValueType::Double:
    case ValueType::DateTime: return *this;
    case ValueType::Empty: return Value(0);
    case ValueType::Bool: return Value(bool_ ? -1 : 0);
    case ValueType::String: return Value(toDouble());
    default: break;
    }
    throwCannotConvert("Double");
}

// ---- day numbers --------------------------------------------------------------------------

double toDayNumber(const QDate& date)
{
    return double(date.toJulianDay() - dayZeroJulian);
}

double toDayNumber(const QTime& time)
{
    return time.isValid() ? time.msecsSinceStartOfDay() / msecsPerDay : 0.0;
}

double toDayNumber(const QDateTime& dateTime)
{
    const double day = toDayNumber(dateTime.date());
    const double time = toDayNumber(dateTime.time());
    // Negative day numbers carry the time as a positive fraction away from zero.
    return day < 0 ? day - time : day + time;
}

QDate dayNumberToDate(double dayNumber)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 1e9)
        return QDate();
    return QDate::fromJulianDay(qint64(std::trunc(dayNumber)) + dayZeroJulian);
}

QTime dayNumberToTime(double dayNumber)
{
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 1e9)
        return QTime();
    const double fraction = std::fabs(dayNumber - std::trunc(dayNumber));
    qint64 ms = qint64(std::llround(fraction * msecsPerDay));
    if (ms >= qint64(msecsPerDay))
        ms = qint64(msecsPerDay) - 1;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

QDateTime dayNumberToDateTime(double dayNumber)
{
    // A local date and time takes a time-zone look-up to make, and a report converts the
    // same few day numbers (its run's date and time) again on every page: the last few are
    // kept.
    struct Converted {
        double dayNumber = std::numeric_limits<double>::quiet_NaN();
        QDateTime dateTime;
    };
    thread_local std::array<Converted, 4> recent;
    thread_local std::size_t next = 0;
    for (const Converted& c : recent)
        if (c.dayNumber == dayNumber)
            return c.dateTime;
    // Rounding to the millisecond may carry into the next day.
    if (!std::isfinite(dayNumber) || std::fabs(dayNumber) > 1e9)
        return QDateTime();
    const double whole = std::trunc(dayNumber);
    const double fraction = std::fabs(dayNumber - whole);
    qint64 ms = qint64(std::llround(fraction * msecsPerDay));
    QDate date = QDate::fromJulianDay(qint64(whole) + dayZeroJulian);
    if (ms >= qint64(msecsPerDay)) {
        ms -= qint64(msecsPerDay);
        date = date.addDays(dayNumber < 0 ? -1 : 1);
    }
    Converted& slot = recent[next];
    next = (next + 1) % recent.size();
    slot.dateTime = QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ms)));
    slot.dayNumber = dayNumber;
    return slot.dateTime;
}

// ---- locale -------------------------------------------------------------------------------

const QLocale& formatLocale()
{
    return formatState().locale;
}

void setFormatLocale(const QLocale& locale)
{
    formatState().locale = locale;
    formatState().decimal = FormatState::firstChar(locale.decimalPoint());
}

QChar formatDecimalSeparator()
{
    return formatState().decimal;
}

QString formatGeneralNumber(double value)
{
    const QChar point = formatDecimalSeparator();
    return platform::formatGeneral(value, QStringView(&point, 1));
}

QString formatDayNumber(double dayNumber)
{
    const QDateTime dt = dayNumberToDateTime(dayNumber);
    if (!dt.isValid())
        return formatGeneralNumber(dayNumber);
    const QLocale& locale = formatLocale();
    const bool hasDate = std::trunc(dayNumber) != 0;
    const bool hasTime = dt.time().msecsSinceStartOfDay() != 0;
    if (!hasDate && hasTime)
        return locale.toString(dt.time(), QLocale::ShortFormat);
    if (!hasTime)
        return locale.toString(dt.date(), QLocale::ShortFormat);
    return locale.toString(dt.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(dt.time(), QLocale::ShortFormat);
}

// ---- parsing ------------------------------------------------------------------------------

bool parseNumber(QStringView text, double* out)
{
    const auto parsed = platform::parseDecimal(text.toString(), formatLocale());
    if (!parsed)
        return false;
    *out = *parsed;
    return true;
}

bool parseInteger(QStringView text, qint64* out)
{
    text = text.trimmed();
    if (text.isEmpty())
        return false;
    qsizetype i = 0;
    bool negative = false;
    if (text[0] == u'-' || text[0] == u'+') {
        negative = text[0] == u'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    quint64 value = 0;
    const quint64 limit = base == 16 ? std::numeric_limits<quint64>::max()
                                     : quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    for (; i < text.size(); ++i) {
        const int digit = platform::hexDigitValue(text[i].unicode());
        if (digit < 0 || digit >= base)
            return false;
        if (value > (limit - quint64(digit)) / quint64(base))
            return false;
        value = value * quint64(base) + quint64(digit);
    }
    qint64 result;
    if (base == 16) {
        // Hexadecimal digits are a bit pattern: up to 8 digits a 32-bit integer ("$FFFFFFFF"
        // is -1), more a 64-bit one.
        result = value <= 0xFFFFFFFFull ? qint64(qint32(quint32(value))) : qint64(value);
    } else {
        result = negative ? qint64(0 - value) : qint64(value);
        negative = false;
    }
    *out = negative ? -result : result;
    return true;
}

bool parseDateTime(QStringView textView, double* out)
{
    const QString text = textView.trimmed().toString();
    if (text.isEmpty())
        return false;
    const QLocale& locale = formatLocale();
    QDateTime dt = locale.toDateTime(text, QLocale::ShortFormat);
    if (!dt.isValid())
        dt = QDateTime(locale.toDate(text, QLocale::ShortFormat), QTime(0, 0));
    if (!dt.isValid()) {
        const QTime t = locale.toTime(text, QLocale::ShortFormat);
        if (t.isValid()) {
            *out = toDayNumber(t);
            return true;
        }
    }
    if (!dt.isValid()) {
        const QTime t = locale.toTime(text, QLocale::LongFormat);
        if (t.isValid()) {
            *out = toDayNumber(t);
            return true;
        }
    }
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODate);
    if (!dt.isValid())
        dt = QDateTime(QDate::fromString(text, Qt::ISODate), QTime(0, 0));
    if (!dt.isValid()) {
        for (const char* f : {"yyyy/M/d H:mm:ss", "yyyy/M/d H:mm", "yyyy/M/d", "yyyy-M-d H:mm:ss",
                              "yyyy-M-d H:mm", "yyyy-M-d", "yyyy.M.d", "H:mm:ss", "H:mm"}) {
            const QString format = QString::fromLatin1(f);
            if (!format.contains(u'y')) {
                const QTime t = QTime::fromString(text, format);
                if (t.isValid()) {
                    *out = toDayNumber(t);
                    return true;
                }
                continue;
            }
            dt = QDateTime::fromString(text, format);
            if (dt.isValid())
                break;
        }
    }
    if (!dt.isValid())
        return false;
    *out = toDayNumber(dt);
    return true;
}

} // namespace report
