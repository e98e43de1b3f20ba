#include "platform/operator_text.h"
#include <charconv>
#include <cmath>
#include <string>

namespace platform {

namespace {

constexpr int significantDigits = 15;

} // namespace

QString formatGeneral(double value, const QLocale& locale)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0) // also -0
        return QStringLiteral("0");

    // to_chars ignores the C locale, which Qt sets from the environment.
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, value,
                                       std::chars_format::scientific, significantDigits - 1);
    const std::string_view scientific(text, std::size_t(written.ptr - text)); // -d.ddde+XX
    const bool negative = scientific.front() == '-';
    const std::size_t mark = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(negative ? 1 : 0, mark - (negative ? 1 : 0)))
        if (c != '.')
            digits += c;
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    int exponent = 0;
    std::from_chars(scientific.data() + mark + 1 + (scientific[mark + 1] == '+'),
                    scientific.data() + scientific.size(), exponent);

    const QString point = locale.decimalPoint();
    const QString all = QString::fromLatin1(digits.data(), qsizetype(digits.size()));
    QString out = negative ? QStringLiteral("-") : QString();
    if (exponent < -4 || exponent >= significantDigits) {
        out += all.left(1);
        if (all.size() > 1)
            out += point + all.mid(1);
        out += QLatin1Char('E') + QString::number(exponent);
    } else if (exponent < 0) {
        out += QLatin1Char('0') + point + QString(-exponent - 1, QLatin1Char('0')) + all;
    } else if (all.size() <= exponent + 1) {
        out += all + QString(exponent + 1 - all.size(), QLatin1Char('0'));
    } else {
        out += all.left(exponent + 1) + point + all.mid(exponent + 1);
    }
    return out;
}

std::optional<double> parseDecimal(const QString& text, const QLocale& locale)
{
    QString plain = text.trimmed();
    const QString point = locale.decimalPoint();
    if (point != QStringLiteral("."))
        plain.replace(point, QStringLiteral("."));
    if (plain.startsWith(QLatin1Char('+')) && !plain.startsWith(QStringLiteral("+-")))
        plain.remove(0, 1); // from_chars takes no leading '+'
    if (plain.isEmpty())
        return std::nullopt;
    std::string ascii;
    ascii.reserve(std::size_t(plain.size()));
    for (QChar c : plain) {
        const char16_t u = c.unicode();
        // Only the characters of a plain decimal number; this also keeps out "inf" and "nan".
        if (!((u >= '0' && u <= '9') || u == '.' || u == '-' || u == '+' || u == 'e' || u == 'E'))
            return std::nullopt;
        ascii += char(u);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value,
                                              std::chars_format::general);
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QString shortDate(const QDate& date, const QLocale& locale)
{
    return locale.toString(date, QLocale::ShortFormat);
}

QString shortDateTime(const QDateTime& dateTime, const QLocale& locale)
{
    return locale.toString(dateTime, QLocale::ShortFormat);
}

} // namespace platform
