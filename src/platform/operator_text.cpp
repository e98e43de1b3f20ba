#include "platform/operator_text.h"
#include <charconv>
#include <cmath>
#include <string>

namespace platform {

QString formatGeneral(double value, const QLocale& locale)
{
    return formatGeneral(value, QStringView(locale.decimalPoint()));
}

QString formatGeneral(double value, QStringView point)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    // Whole numbers below 10^15, the most common, are their integer digits (-0 is "0").
    if (value > -1e15 && value < 1e15 && value == double(qint64(value)))
        return QString::number(qint64(value));
    // "%.15g" gives the digits and the switch to the exponent form (below -4, at least 15);
    // only the exponent is written differently. to_chars ignores the C locale, which Qt
    // sets from the environment.
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15);
    QString out;
    out.reserve(written.ptr - text + point.size());
    for (const char* p = text; p < written.ptr; ++p) {
        if (*p == '.') {
            out += point;
        } else if (*p == 'e') {
            // "e+20" -> "E20", "e-07" -> "E-7"
            out += u'E';
            ++p;
            if (*p == '-')
                out += u'-';
            ++p;
            while (p + 1 < written.ptr && *p == '0')
                ++p;
            for (; p < written.ptr; ++p)
                out += QLatin1Char(*p);
            break;
        } else {
            out += QLatin1Char(*p);
        }
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

QString shortDate(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString shortDateTime(const QDateTime& dateTime)
{
    return dateTime.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QDateTime readShortDateTime(const QString& text)
{
    const QString t = text.simplified();
    for (const char* dateForm : {"yyyy-M-d", "yyyy/M/d"}) {
        const QString d = QLatin1String(dateForm);
        const QDate date = QDate::fromString(t, d);
        if (date.isValid())
            return QDateTime(date, QTime(0, 0));
        for (const char* timeForm : {" H:mm", " H:mm:ss"}) {
            const QDateTime dt = QDateTime::fromString(t, d + QLatin1String(timeForm));
            if (dt.isValid())
                return dt;
        }
    }
    return {};
}

} // namespace platform
