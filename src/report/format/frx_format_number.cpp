// Format and FormatFloat with the platform's rules.

#include "report/format/detail/frx_decimal.h"
#include "report/format/frx_format.h"

#include <cmath>

namespace report {

using namespace detail;

namespace {

QString decimalPoint()
{
    return QString(formatDecimalSeparator());
}

QString groupSeparator()
{
    return formatLocale().groupSeparator();
}

QString latin(const std::string& s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// "-d.dddE+ddd" with `precision` significant digits and at least `expDigits` exponent
// digits; the sign of the exponent always ('+' or '-') unless `generalSign`, which writes
// only '-'.
QString scientific(double value, int precision, int expDigits, bool generalSign, bool trimZeros)
{
    DecimalDigits d = decimalDigits(value);
    roundSignificant(d, precision);
    std::string digits = d.digits;
    if (!trimZeros)
        digits.resize(std::size_t(std::max(precision, 1)), '0');
    QString out;
    if (d.negative && !d.isZero())
        out += u'-';
    out += QLatin1Char(digits[0]);
    if (digits.size() > 1)
        out += decimalPoint() + latin(digits.substr(1));
    const int e = d.isZero() ? 0 : d.exponent;
    out += u'E';
    if (e < 0)
        out += u'-';
    else if (!generalSign)
        out += u'+';
    QString exp = QString::number(std::abs(e));
    if (exp.size() < expDigits)
        exp = QString(expDigits - exp.size(), u'0') + exp;
    return out + exp;
}

QString fixed(double value, int decimals, bool grouped)
{
    DecimalDigits d = decimalDigits(value);
    roundDecimals(d, decimals);
    QString out;
    if (d.negative && !d.isZero())
        out += u'-';
    const std::string whole = integerPart(d);
    out += grouped ? groupDigits(whole, groupSeparator()) : latin(whole);
    if (decimals > 0)
        out += decimalPoint() + latin(fractionPart(d, decimals));
    return out;
}

// The general form: shortest, at most `precision` significant digits, scientific when the
// exponent is at least `precision` or below -5.
QString general(double value, int precision, int expDigits)
{
    DecimalDigits d = decimalDigits(value);
    roundSignificant(d, precision);
    if (d.isZero())
        return QStringLiteral("0");
    if (d.exponent >= precision || d.exponent < -5)
        return scientific(value, precision, expDigits, true, true);
    QString out;
    if (d.negative)
        out += u'-';
    out += latin(integerPart(d));
    const int decimals = int(d.digits.size()) - d.exponent - 1;
    if (decimals > 0)
        out += decimalPoint() + latin(fractionPart(d, decimals));
    return out;
}

[[noreturn]] void invalidFormat(QStringView format)
{
    throw ScriptError(QStringLiteral("Format '%1' invalid or incompatible with argument")
                          .arg(format.toString()));
}

bool isIntegral(const Value& v)
{
    switch (v.type()) {
    case ValueType::Int32:
    case ValueType::Int64:
        return true;
    case ValueType::Double:
        return std::isfinite(v.doubleValue()) && v.doubleValue() == std::trunc(v.doubleValue())
            && std::fabs(v.doubleValue()) < 9.2e18;
    default:
        return false;
    }
}

bool isFloating(const Value& v)
{
    return v.isNumber();
}

QString hexDigits(quint64 v)
{
    return QString::number(v, 16).toUpper();
}

} // namespace

// Widths and precisions beyond this are taken as this (the texts a report prints are far
// shorter; without a limit one short format could ask for gigabytes).
constexpr int maxWidth = 4096;

QString formatPrintf(QStringView format, const Value* args, int count)
{
    QString out;
    int next = 0;
    const qsizetype n = format.size();
    qsizetype i = 0;
    auto argument = [&](int index) -> const Value& {
        if (index < 0 || index >= count)
            throw ScriptError(QStringLiteral("No argument for format '%1'").arg(format.toString()));
        return args[index];
    };
    // A number in the specifier, or "*" taking the next argument; -1 when absent.
    auto number = [&]() -> int {
        if (i < n && format[i] == u'*') {
            ++i;
            const Value& v = argument(next++);
            if (!v.isInteger())
                invalidFormat(format);
            return int(std::clamp<qint64>(v.toInt64(), -maxWidth, maxWidth));
        }
        if (i >= n || !format[i].isDigit() || format[i].unicode() > u'9')
            return -1;
        int v = 0;
        while (i < n && format[i].unicode() >= u'0' && format[i].unicode() <= u'9') {
            v = std::min(v * 10 + (format[i].unicode() - u'0'), maxWidth);
            ++i;
        }
        return v;
    };
    while (i < n) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        ++i;
        if (i < n && format[i] == u'%') {
            out += u'%';
            ++i;
            continue;
        }
        // [index ":"] ["-"] [width] ["." precision] type
        int first = number();
        if (i < n && format[i] == u':') {
            ++i;
            next = first < 0 ? 0 : first;
            first = -1;
        }
        bool left = false;
        int width = first;
        if (width < 0) {
            if (i < n && format[i] == u'-') {
                left = true;
                ++i;
            }
            width = number();
        }
        int precision = -1;
        if (i < n && format[i] == u'.') {
            ++i;
            precision = number();
            if (precision < 0)
                precision = 0;
        }
        if (i >= n)
            invalidFormat(format);
        const char16_t type = QChar(format[i]).toLower().unicode();
        ++i;
        const Value& v = argument(next++);
        QString text;
        switch (type) {
        case u'd':
        case u'u': {
            if (!isIntegral(v))
                invalidFormat(format);
            qint64 x = v.toInt64();
            bool negative = false;
            QString digits;
            if (type == u'u' && x < 0)
                digits = QString::number(v.type() == ValueType::Int32 ? quint64(quint32(qint32(x))) : quint64(x));
            else {
                negative = x < 0;
                digits = QString::number(negative ? 0 - quint64(x) : quint64(x));
            }
            if (precision > digits.size())
                digits = QString(precision - digits.size(), u'0') + digits;
            text = negative ? u'-' + digits : digits;
            break;
        }
        case u'x': {
            if (!isIntegral(v))
                invalidFormat(format);
            const qint64 x = v.toInt64();
            QString digits = v.type() == ValueType::Int32 || (x >= INT32_MIN && x <= INT32_MAX && v.type() != ValueType::Int64)
                ? hexDigits(quint32(qint32(x)))
                : hexDigits(quint64(x));
            if (precision > digits.size())
                digits = QString(precision - digits.size(), u'0') + digits;
            text = digits;
            break;
        }
        case u'e':
            if (!isFloating(v))
                invalidFormat(format);
            text = scientific(v.toDouble(), precision < 0 ? 15 : std::clamp(precision, 1, 18), 3, false, false);
            break;
        case u'f':
            if (!isFloating(v))
                invalidFormat(format);
            text = fixed(v.toDouble(), precision < 0 ? 2 : std::min(precision, 18), false);
            break;
        case u'n':
            if (!isFloating(v))
                invalidFormat(format);
            text = fixed(v.toDouble(), precision < 0 ? 2 : std::min(precision, 18), true);
            break;
        case u'g':
            if (!isFloating(v))
                invalidFormat(format);
            text = general(v.toDouble(), precision < 0 ? 15 : std::clamp(precision, 1, 18), 3);
            break;
        case u'm': {
            if (!isFloating(v))
                invalidFormat(format);
            const QLocale& locale = formatLocale();
            const double x = v.toDouble();
            const int decimals = precision < 0 ? 2 : std::min(precision, 18);
            const QString amount = fixed(std::fabs(x), decimals, true);
            // The locale's currency pattern around our own digits.
            QString pattern = locale.toCurrencyString(x < 0 ? -1.0 : 1.0, locale.currencySymbol(), 0);
            text = pattern.replace(QLatin1String("1"), amount);
            break;
        }
        case u's':
            text = v.toString();
            if (precision >= 0 && precision < text.size())
                text.truncate(precision);
            break;
        case u'p':
            if (!isIntegral(v) && v.type() != ValueType::Object)
                invalidFormat(format);
            text = v.type() == ValueType::Object
                ? hexDigits(quintptr(v.objectValue().object)).rightJustified(8, u'0')
                : hexDigits(quint32(v.toInt64())).rightJustified(8, u'0');
            break;
        default:
            invalidFormat(format);
        }
        if (width > text.size())
            text = left ? text.leftJustified(width) : text.rightJustified(width);
        out += text;
    }
    return out;
}

// ---- FormatFloat ------------------------------------------------------------------------

namespace {

struct Section {
    QString text;
    int intPlaceholders = 0;
    int intZeros = 0;       // placeholders from the first '0' before the point
    int maxDecimals = 0;
    int minDecimals = 0;    // up to the last '0' after the point
    bool hasPoint = false;
    bool grouped = false;
    bool scientific = false;
    bool exponentPlus = false;
    int exponentDigits = 0;
};

// Splits at ';' outside quotes.
std::vector<QString> splitSections(QStringView format)
{
    std::vector<QString> out(1);
    QChar quote;
    for (QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u';') {
            out.emplace_back();
            continue;
        }
        out.back() += c;
    }
    return out;
}

Section analyse(const QString& text)
{
    Section s;
    s.text = text;
    bool afterPoint = false;
    bool seenZero = false;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                ++s.maxDecimals;
                if (c == u'0')
                    s.minDecimals = s.maxDecimals;
            } else {
                ++s.intPlaceholders;
                if (c == u'0')
                    seenZero = true;
                if (seenZero)
                    ++s.intZeros;
            }
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            s.hasPoint = true;
        } else if (c == u',' && !afterPoint) {
            s.grouped = true;
        } else if ((c == u'E' || c == u'e') && i + 1 < text.size()
                   && (text[i + 1] == u'+' || text[i + 1] == u'-') && !s.scientific) {
            s.scientific = true;
            s.exponentPlus = text[i + 1] == u'+';
            qsizetype j = i + 2;
            while (j < text.size() && text[j] == u'0') {
                ++s.exponentDigits;
                ++j;
            }
            i = j - 1;
        }
    }
    return s;
}

QString applySection(const Section& s, double value, bool writeSign)
{
    DecimalDigits d = decimalDigits(value);
    int exponent = 0;
    if (s.scientific) {
        const int intDigits = std::max(s.intPlaceholders, 1);
        roundSignificant(d, intDigits + s.maxDecimals);
        if (!d.isZero()) {
            exponent = d.exponent - (intDigits - 1);
            d.exponent = intDigits - 1;
        }
    } else {
        roundDecimals(d, s.maxDecimals);
    }
    std::string whole = integerPart(d);
    if (whole == "0")
        whole.clear();
    if (int(whole.size()) < s.intZeros)
        whole = std::string(std::size_t(s.intZeros - int(whole.size())), '0') + whole;
    std::string fraction = fractionPart(d, s.maxDecimals);
    while (int(fraction.size()) > s.minDecimals && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    if (writeSign && d.negative && !d.isZero())
        out += u'-';
    const int total = int(whole.size());
    int placeholder = 0; // integer placeholders met so far
    int nextDigit = 0;   // next digit of `whole` to write
    int decimalIndex = 0;
    bool afterPoint = false;
    bool exponentDone = false;
    const QString groupSep = groupSeparator();
    auto writeDigit = [&](int index) {
        out += QLatin1Char(whole[std::size_t(index)]);
        const int fromRight = total - 1 - index;
        if (s.grouped && fromRight > 0 && fromRight % 3 == 0)
            out += groupSep;
    };
    QChar quote;
    const QString& t = s.text;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                out += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
        } else if ((c == u'0' || c == u'#') && !afterPoint) {
            // The first placeholder also writes the digits that have no placeholder.
            const int slotsLeft = s.intPlaceholders - placeholder;
            if (placeholder == 0)
                while (total - nextDigit > slotsLeft)
                    writeDigit(nextDigit++);
            if (total - nextDigit == slotsLeft && nextDigit < total)
                writeDigit(nextDigit++);
            ++placeholder;
        } else if ((c == u'0' || c == u'#') && afterPoint) {
            if (decimalIndex < int(fraction.size()))
                out += QLatin1Char(fraction[std::size_t(decimalIndex)]);
            ++decimalIndex;
        } else if (c == u'.' && !afterPoint) {
            afterPoint = true;
            if (s.intPlaceholders == 0)
                while (nextDigit < total)
                    writeDigit(nextDigit++);
            if (!fraction.empty())
                out += decimalPoint();
        } else if (c == u',' && !afterPoint) {
            // grouping, written with the digits
        } else if ((c == u'E' || c == u'e') && s.scientific && !exponentDone && i + 1 < t.size()
                   && (t[i + 1] == u'+' || t[i + 1] == u'-')) {
            exponentDone = true;
            afterPoint = true; // the exponent ends the mantissa
            out += c;
            if (exponent < 0)
                out += u'-';
            else if (s.exponentPlus)
                out += u'+';
            QString e = QString::number(std::abs(exponent));
            if (e.size() < s.exponentDigits)
                e = QString(s.exponentDigits - e.size(), u'0') + e;
            out += e;
            qsizetype j = i + 2;
            while (j < t.size() && t[j] == u'0')
                ++j;
            i = j - 1;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

QString formatFloatPicture(QStringView format, double value)
{
    if (!std::isfinite(value))
        return formatGeneralNumber(value);
    if (format.isEmpty())
        return formatGeneralNumber(value);
    const std::vector<QString> texts = splitSections(format);
    const Section first = analyse(texts[0]);
    if (std::fabs(value) >= 1e18 && !first.scientific)
        return formatGeneralNumber(value);

    // Which section: the zero section when the value rounds to zero with the first section,
    // the negative section for negative values; an empty section falls back to the first.
    DecimalDigits rounded = decimalDigits(value);
    if (first.scientific)
        roundSignificant(rounded, std::max(first.intPlaceholders, 1) + first.maxDecimals);
    else
        roundDecimals(rounded, first.maxDecimals);
    if (rounded.isZero() && texts.size() >= 3 && !texts[2].isEmpty())
        return applySection(analyse(texts[2]), 0, false);
    if (value < 0 && texts.size() >= 2 && !texts[1].isEmpty())
        return applySection(analyse(texts[1]), std::fabs(value), false);
    return applySection(first, value, true);
}

} // namespace report
