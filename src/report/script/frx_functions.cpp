#include "report/script/frx_functions.h"

#include "report/format/frx_format.h"
#include "report/value/frx_value_ops.h"

#include <QHash>

#include <cmath>

namespace report {

namespace {

// ---- helpers --------------------------------------------------------------------------

[[noreturn]] void convertError(const QString& text, const char* what)
{
    throw ScriptError(QStringLiteral("'%1' is not a valid %2").arg(text, QLatin1String(what)));
}

[[noreturn]] void invalidFloat()
{
    throwInvalidFloatOperation();
}

// A number argument as a double; null and texts that are no numbers fail as conversions.
double real(const Value& v)
{
    if (v.isNull())
        v.throwCannotConvert("Double");
    return v.toDouble();
}

qint64 integer(const Value& v)
{
    if (v.isNull())
        v.throwCannotConvert("Integer");
    return v.toInt64();
}

Value fromReal(double d)
{
    if (std::isnan(d))
        invalidFloat();
    return Value(d);
}

// Result of Round and Trunc: 32 bits when it fits, else 64; beyond that an overflow.
Value integralResult(double d)
{
    if (!std::isfinite(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0)
        invalidFloat();
    return Value::fromInteger(qint64(d));
}

// Characters up to and including the blank, as the platform trims.
bool isTrimmed(QChar c)
{
    return c.unicode() <= u' ';
}

// ---- strings ------------------------------------------------------------------------------

Value fnLength(const Value* a, int)
{
    if (a[0].type() == ValueType::Array)
        return Value(int(a[0].arrayValue().size()));
    return Value(int(a[0].toString().size()));
}

Value fnCopy(const Value* a, int)
{
    const QString s = a[0].toString();
    qint64 index = integer(a[1]);
    qint64 count = integer(a[2]);
    if (index < 1)
        index = 1;
    if (index > s.size() || count <= 0)
        return Value(QString());
    count = std::min<qint64>(count, s.size() - index + 1);
    return Value(s.mid(qsizetype(index - 1), qsizetype(count)));
}

Value fnPos(const Value* a, int)
{
    const QString sub = a[0].toString();
    if (sub.isEmpty())
        return Value(0);
    return Value(int(a[1].toString().indexOf(sub) + 1));
}

Value fnTrim(const Value* a, int)
{
    const QString s = a[0].toString();
    qsizetype b = 0, e = s.size();
    while (b < e && isTrimmed(s[b]))
        ++b;
    while (e > b && isTrimmed(s[e - 1]))
        --e;
    return Value(s.mid(b, e - b));
}

Value fnTrimLeft(const Value* a, int)
{
    const QString s = a[0].toString();
    qsizetype b = 0;
    while (b < s.size() && isTrimmed(s[b]))
        ++b;
    return Value(s.mid(b));
}

Value fnTrimRight(const Value* a, int)
{
    const QString s = a[0].toString();
    qsizetype e = s.size();
    while (e > 0 && isTrimmed(s[e - 1]))
        --e;
    return Value(s.left(e));
}

Value fnUpperCase(const Value* a, int) { return Value(a[0].toString().toUpper()); }
Value fnLowerCase(const Value* a, int) { return Value(a[0].toString().toLower()); }

Value fnCompareText(const Value* a, int)
{
    const int c = a[0].toString().compare(a[1].toString(), Qt::CaseInsensitive);
    return Value(c < 0 ? -1 : c > 0 ? 1 : 0);
}

Value fnCompareStr(const Value* a, int)
{
    const int c = a[0].toString().compare(a[1].toString(), Qt::CaseSensitive);
    return Value(c < 0 ? -1 : c > 0 ? 1 : 0);
}

Value fnNameCase(const Value* a, int)
{
    QString s = a[0].toString().toLower();
    bool start = true;
    for (QChar& c : s) {
        if (start && c.isLetter())
            c = c.toUpper();
        start = !c.isLetterOrNumber();
    }
    return Value(s);
}

Value fnChr(const Value* a, int)
{
    const qint64 code = integer(a[0]);
    if (code < 0 || code > 0x10FFFF)
        throw ScriptError(QStringLiteral("Range check error"));
    const char32_t c = char32_t(code);
    return Value(QString::fromUcs4(&c, 1));
}

Value fnOrd(const Value* a, int)
{
    const Value& v = a[0];
    switch (v.type()) {
    case ValueType::Bool: return Value(v.boolValue() ? 1 : 0);
    case ValueType::Int32:
    case ValueType::Int64: return v;
    case ValueType::String: {
        const QString& s = v.stringValue();
        if (s.isEmpty())
            return Value(0);
        return Value(int(s.toUcs4().value(0)));
    }
    default: return Value::fromInteger(integer(v));
    }
}

// ---- conversions --------------------------------------------------------------------------

Value fnIntToStr(const Value* a, int) { return Value(QString::number(integer(a[0]))); }

Value fnStrToInt(const Value* a, int)
{
    const QString s = a[0].toString();
    qint64 v;
    if (!parseInteger(s, &v) || v < INT32_MIN || v > INT32_MAX)
        convertError(s, "integer value");
    return Value(int(v));
}

Value fnStrToIntDef(const Value* a, int)
{
    qint64 v;
    if (!parseInteger(a[0].toString(), &v) || v < INT32_MIN || v > INT32_MAX)
        return a[1];
    return Value(int(v));
}

Value fnFloatToStr(const Value* a, int) { return Value(formatGeneralNumber(real(a[0]))); }

Value fnStrToFloat(const Value* a, int)
{
    const QString s = a[0].toString();
    double d;
    if (!parseNumber(s, &d))
        convertError(s, "floating point value");
    return Value(d);
}

Value fnVarToStr(const Value* a, int) { return Value(a[0].toString()); }

Value fnIntToHex(const Value* a, int)
{
    const Value& v = a[0];
    const qint64 x = integer(v);
    const qint64 digits = integer(a[1]);
    QString s = (v.type() != ValueType::Int64 && x >= INT32_MIN && x <= INT32_MAX)
        ? QString::number(quint32(qint32(x)), 16)
        : QString::number(quint64(x), 16);
    s = s.toUpper();
    if (digits > s.size())
        s = QString(qsizetype(std::min<qint64>(digits, 64)) - s.size(), u'0') + s;
    return Value(s);
}

Value fnValidInt(const Value* a, int)
{
    qint64 v;
    return Value(parseInteger(a[0].toString(), &v) && v >= INT32_MIN && v <= INT32_MAX);
}

Value fnValidFloat(const Value* a, int)
{
    double d;
    return Value(parseNumber(a[0].toString(), &d));
}

Value fnValidDate(const Value* a, int)
{
    double d;
    return Value(parseDateTime(a[0].toString(), &d));
}

// ---- formatting ---------------------------------------------------------------------------

Value fnFormat(const Value* a, int)
{
    const QString f = a[0].toString();
    if (a[1].type() == ValueType::Array)
        return Value(formatPrintf(f, a[1].arrayValue()));
    if (a[1].isEmpty())
        return Value(formatPrintf(f, nullptr, 0));
    return Value(formatPrintf(f, &a[1], 1));
}

Value fnFormatFloat(const Value* a, int) { return Value(formatFloatPicture(a[0].toString(), real(a[1]))); }

Value fnFormatDateTime(const Value* a, int)
{
    return Value(formatDateTimePattern(a[0].toString(), a[1].toDateTime()));
}

double dateArg(const Value& v)
{
    if (v.isNull())
        v.throwCannotConvert("Date");
    return v.toDateTime();
}

Value fnDateToStr(const Value* a, int) { return Value(shortDateText(dateArg(a[0]))); }
Value fnTimeToStr(const Value* a, int) { return Value(longTimeText(dateArg(a[0]))); }

Value fnDateTimeToStr(const Value* a, int)
{
    return Value(formatDateTimePattern(u"c", dateArg(a[0])));
}

Value fnStrToDate(const Value* a, int)
{
    const QString s = a[0].toString();
    double d;
    if (!parseDateTime(s, &d))
        convertError(s, "date");
    return Value::fromDateTime(std::trunc(d));
}

Value fnStrToTime(const Value* a, int)
{
    const QString s = a[0].toString();
    double d;
    if (!parseDateTime(s, &d))
        convertError(s, "time");
    return Value::fromDateTime(std::fabs(d - std::trunc(d)));
}

Value fnStrToDateTime(const Value* a, int)
{
    const QString s = a[0].toString();
    double d;
    if (!parseDateTime(s, &d))
        convertError(s, "date and time");
    return Value::fromDateTime(d);
}

// ---- numbers ------------------------------------------------------------------------------

Value fnAbs(const Value* a, int)
{
    const Value& v = a[0];
    if (v.type() == ValueType::Int32)
        return v.int32Value() == INT32_MIN ? Value(-qint64(INT32_MIN)) : Value(std::abs(v.int32Value()));
    if (v.type() == ValueType::Int64 && v.int64Value() != INT64_MIN)
        return Value(v.int64Value() < 0 ? -v.int64Value() : v.int64Value());
    return Value(std::fabs(real(v)));
}

// Round: half to even, as the platform's Round does.
Value fnRound(const Value* a, int) { return integralResult(std::nearbyint(real(a[0]))); }
Value fnTrunc(const Value* a, int) { return integralResult(std::trunc(real(a[0]))); }
Value fnInt(const Value* a, int) { return Value(std::trunc(real(a[0]))); }

Value fnFrac(const Value* a, int)
{
    const double d = real(a[0]);
    return Value(d - std::trunc(d));
}

Value fnSqrt(const Value* a, int)
{
    const double d = real(a[0]);
    if (d < 0)
        invalidFloat();
    return Value(std::sqrt(d));
}

Value fnSqr(const Value* a, int) { return opMul(a[0].toNumeric(), a[0].toNumeric()); }
Value fnSin(const Value* a, int) { return fromReal(std::sin(real(a[0]))); }
Value fnCos(const Value* a, int) { return fromReal(std::cos(real(a[0]))); }
Value fnTan(const Value* a, int) { return fromReal(std::tan(real(a[0]))); }
Value fnArcTan(const Value* a, int) { return fromReal(std::atan(real(a[0]))); }
Value fnExp(const Value* a, int) { return fromReal(std::exp(real(a[0]))); }

Value fnLn(const Value* a, int)
{
    const double d = real(a[0]);
    if (d <= 0)
        invalidFloat();
    return Value(std::log(d));
}

Value fnPower(const Value* a, int) { return fromReal(std::pow(real(a[0]), real(a[1]))); }
Value fnPi(const Value*, int) { return Value(M_PI); }

// Max and Min compare with the language's ordering: Max(a, b) is a when a > b, else b.
Value fnMax(const Value* a, int) { return compareValues(a[0], a[1]) == 1 ? a[0] : a[1]; }
Value fnMin(const Value* a, int) { return compareValues(a[0], a[1]) == -1 ? a[0] : a[1]; }

// ---- dates --------------------------------------------------------------------------------

Value fnNow(const Value*, int) { return Value::fromDateTime(QDateTime::currentDateTime()); }
Value fnDate(const Value*, int) { return Value::fromDate(QDate::currentDate()); }
Value fnTime(const Value*, int) { return Value::fromTime(QTime::currentTime()); }

Value fnEncodeDate(const Value* a, int)
{
    const QDate d(int(integer(a[0])), int(integer(a[1])), int(integer(a[2])));
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    return Value::fromDate(d);
}

Value fnEncodeTime(const Value* a, int)
{
    const qint64 h = integer(a[0]), m = integer(a[1]), s = integer(a[2]), ms = integer(a[3]);
    if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        throw ScriptError(QStringLiteral("Invalid argument to time encode"));
    return Value::fromTime(QTime(int(h), int(m), int(s), int(ms)));
}

QDate dateOf(const Value& v)
{
    const QDate d = dayNumberToDate(dateArg(v));
    if (!d.isValid())
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    return d;
}

// 1 for Sunday to 7 for Saturday.
Value fnDayOfWeek(const Value* a, int) { return Value(dateOf(a[0]).dayOfWeek() % 7 + 1); }
Value fnYearOf(const Value* a, int) { return Value(dateOf(a[0]).year()); }
Value fnMonthOf(const Value* a, int) { return Value(dateOf(a[0]).month()); }
Value fnDayOf(const Value* a, int) { return Value(dateOf(a[0]).day()); }

Value fnIsLeapYear(const Value* a, int) { return Value(QDate::isLeapYear(int(integer(a[0])))); }

Value fnDaysInMonth(const Value* a, int)
{
    const QDate d(int(integer(a[0])), int(integer(a[1])), 1);
    if (!d.isValid())
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    return Value(d.daysInMonth());
}

Value fnIncMonth(const Value* a, int)
{
    const double day = dateArg(a[0]);
    const QDateTime dt = dayNumberToDateTime(day);
    if (!dt.isValid())
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    const qint64 months = integer(a[1]);
    if (months < -120000 || months > 120000)
        throw ScriptError(QStringLiteral("Invalid argument to date encode"));
    return Value::fromDateTime(QDateTime(dt.date().addMonths(int(months)), dt.time()));
}

// ---- constants and variants ---------------------------------------------------------------

Value fnTrue(const Value*, int) { return Value(true); }
Value fnFalse(const Value*, int) { return Value(false); }
Value fnNull(const Value*, int) { return Value::null(); }
Value fnUnassigned(const Value*, int) { return Value(); }
Value fnVarIsNull(const Value* a, int) { return Value(a[0].isNull()); }

const BuiltinFunction library[] = {
    // strings
    {"Length", 1, 1, true, fnLength},
    {"Copy", 3, 3, true, fnCopy},
    {"Pos", 2, 2, true, fnPos},
    {"Trim", 1, 1, true, fnTrim},
    {"TrimLeft", 1, 1, true, fnTrimLeft},
    {"TrimRight", 1, 1, true, fnTrimRight},
    {"UpperCase", 1, 1, true, fnUpperCase},
    {"LowerCase", 1, 1, true, fnLowerCase},
    {"AnsiUpperCase", 1, 1, true, fnUpperCase},
    {"AnsiLowerCase", 1, 1, true, fnLowerCase},
    {"CompareText", 2, 2, true, fnCompareText},
    {"CompareStr", 2, 2, true, fnCompareStr},
    {"NameCase", 1, 1, true, fnNameCase},
    {"Chr", 1, 1, true, fnChr},
    {"Ord", 1, 1, true, fnOrd},
    // conversions
    {"IntToStr", 1, 1, true, fnIntToStr},
    {"StrToInt", 1, 1, true, fnStrToInt},
    {"StrToIntDef", 2, 2, true, fnStrToIntDef},
    {"FloatToStr", 1, 1, true, fnFloatToStr},
    {"StrToFloat", 1, 1, true, fnStrToFloat},
    {"VarToStr", 1, 1, true, fnVarToStr},
    {"IntToHex", 2, 2, true, fnIntToHex},
    {"ValidInt", 1, 1, true, fnValidInt},
    {"ValidFloat", 1, 1, true, fnValidFloat},
    {"ValidDate", 1, 1, true, fnValidDate},
    // formatting
    {"Format", 2, 2, true, fnFormat},
    {"FormatFloat", 2, 2, true, fnFormatFloat},
    {"FormatDateTime", 2, 2, true, fnFormatDateTime},
    {"DateToStr", 1, 1, true, fnDateToStr},
    {"TimeToStr", 1, 1, true, fnTimeToStr},
    {"DateTimeToStr", 1, 1, true, fnDateTimeToStr},
    {"StrToDate", 1, 1, true, fnStrToDate},
    {"StrToTime", 1, 1, true, fnStrToTime},
    {"StrToDateTime", 1, 1, true, fnStrToDateTime},
    // numbers
    {"Abs", 1, 1, true, fnAbs},
    {"Round", 1, 1, true, fnRound},
    {"Trunc", 1, 1, true, fnTrunc},
    {"Int", 1, 1, true, fnInt},
    {"Frac", 1, 1, true, fnFrac},
    {"Sqrt", 1, 1, true, fnSqrt},
    {"Sqr", 1, 1, true, fnSqr},
    {"Sin", 1, 1, true, fnSin},
    {"Cos", 1, 1, true, fnCos},
    {"Tan", 1, 1, true, fnTan},
    {"ArcTan", 1, 1, true, fnArcTan},
    {"Exp", 1, 1, true, fnExp},
    {"Ln", 1, 1, true, fnLn},
    {"Power", 2, 2, true, fnPower},
    {"Pi", 0, 0, true, fnPi},
    {"Max", 2, 2, true, fnMax},
    {"Min", 2, 2, true, fnMin},
    // dates
    {"Now", 0, 0, false, fnNow},
    {"Date", 0, 0, false, fnDate},
    {"Time", 0, 0, false, fnTime},
    {"EncodeDate", 3, 3, true, fnEncodeDate},
    {"EncodeTime", 4, 4, true, fnEncodeTime},
    {"DayOfWeek", 1, 1, true, fnDayOfWeek},
    {"YearOf", 1, 1, true, fnYearOf},
    {"MonthOf", 1, 1, true, fnMonthOf},
    {"DayOf", 1, 1, true, fnDayOf},
    {"IsLeapYear", 1, 1, true, fnIsLeapYear},
    {"DaysInMonth", 2, 2, true, fnDaysInMonth},
    {"IncMonth", 2, 2, true, fnIncMonth},
    // constants and variants
    {"True", 0, 0, true, fnTrue},
    {"False", 0, 0, true, fnFalse},
    {"Null", 0, 0, true, fnNull},
    {"nil", 0, 0, true, fnNull},
    {"Unassigned", 0, 0, true, fnUnassigned},
    {"VarIsNull", 1, 1, true, fnVarIsNull},
};

const QHash<QString, const BuiltinFunction*>& table()
{
    static const QHash<QString, const BuiltinFunction*> byName = [] {
        QHash<QString, const BuiltinFunction*> h;
        for (const BuiltinFunction& f : library)
            h.insert(QString::fromLatin1(f.name).toLower(), &f);
        return h;
    }();
    return byName;
}

} // namespace

const BuiltinFunction* findBuiltinFunction(QStringView name)
{
    if (name.size() > 16)
        return nullptr;
    return table().value(name.toString().toLower(), nullptr);
}

Value callBuiltinFunction(QStringView name, const std::vector<Value>& args)
{
    const BuiltinFunction* f = findBuiltinFunction(name);
    if (!f)
        throw ScriptError(QStringLiteral("Unknown function %1").arg(name.toString()));
    if (int(args.size()) < f->minArgs || int(args.size()) > f->maxArgs)
        throw ScriptError(QStringLiteral("Wrong number of arguments for %1").arg(name.toString()));
    return f->fn(args.data(), int(args.size()));
}

} // namespace report
