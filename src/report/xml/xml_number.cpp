#include "report/xml/xml_number.h"

#include <QByteArray>
#include <QLocale>
#include <charconv>
#include <cmath>

namespace report {

void appendIntText(std::string& out, int value)
{
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, size_t(end - buffer));
}

namespace {

// The shortest fixed form, when it needs at most 15 significant digits; false otherwise.
bool appendFixed(std::string& out, double value)
{
    const double magnitude = std::abs(value);
    if (!(magnitude >= 1e-4 && magnitude < 1e15))
        return false;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc())
        return false;
    int digits = 0;
    bool leading = true;
    for (const char* c = buffer; c < end; ++c) {
        if (*c < '0' || *c > '9')
            continue;
        if (*c != '0')
            leading = false;
        if (!leading)
            ++digits;
    }
    if (digits > 15)
        return false;
    out.append(buffer, size_t(end - buffer));
    return true;
}

} // namespace

void appendFloatText(std::string& out, double value)
{
    // Whole numbers, the most common, need no search for the shortest form (-0 included).
    if (value == std::trunc(value) && std::abs(value) < 1e9) {
        appendIntText(out, int(value));
        return;
    }
    if (appendFixed(out, value))
        return;
    // Qt's general form, whose rounding of exact halves the files written so far carry.
    QByteArray text = QString::number(value, 'g', 15).toLatin1();
    if (!text.contains('e') && text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    out.append(text.constData(), size_t(text.size()));
}

QString floatToText(double value)
{
    std::string text;
    appendFloatText(text, value);
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

namespace {

// Plain digits, sign, exponent, point or comma, blanks ignored, at most 63 of them; false
// for anything else, which the general reading takes.
template <class Char>
bool readPlainFloat(const Char* text, qsizetype size, double& value)
{
    char buffer[64];
    qsizetype n = 0;
    if (size >= qsizetype(sizeof buffer))
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = text[i];
        if (c == ' ')
            continue;
        if (c == ',' || c == '.')
            buffer[n++] = '.';
        else if ((c >= '0' && c <= '9') || c == '-' || c == 'e' || c == 'E' || c == '+')
            buffer[n++] = char(c);
        else
            return false;
    }
    if (n == 0)
        return false;
    const char* first = buffer[0] == '+' ? buffer + 1 : buffer;
    const auto [end, ec] = std::from_chars(first, buffer + n, value);
    return ec == std::errc() && end == buffer + n && std::isfinite(value);
}

} // namespace

std::optional<double> readFloatText(QStringView text)
{
    double value = 0;
    if (readPlainFloat(text.utf16(), text.size(), value))
        return value;
    QString clean;
    clean.reserve(text.size());
    for (QChar c : text) {
        if (c == u',')
            clean.append(u'.');
        else if (c != u' ')
            clean.append(c);
    }
    bool ok = false;
    value = QLocale::c().toDouble(clean, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> readFloatText(QByteArrayView latin1)
{
    double value = 0;
    if (readPlainFloat(latin1.data(), latin1.size(), value))
        return value;
    return readFloatText(QString::fromLatin1(latin1));
}

std::optional<int> readIntText(QByteArrayView latin1)
{
    // Most values are a few plain digits: no conversion to text for those.
    const qsizetype sign = !latin1.isEmpty() && latin1[0] == '-' ? 1 : 0;
    const qsizetype digits = latin1.size() - sign;
    if (digits > 0 && digits <= 9) {
        int value = 0;
        bool plain = true;
        for (qsizetype i = sign; plain && i < latin1.size(); ++i) {
            const char c = latin1[i];
            plain = c >= '0' && c <= '9';
            value = value * 10 + (c - '0');
        }
        if (plain)
            return sign ? -value : value;
    }
    return readIntText(QString::fromLatin1(latin1));
}

std::optional<int> readIntText(QStringView text)
{
    const QStringView t = text.trimmed();
    bool ok = false;
    int value = 0;
    if (t.startsWith(u'$'))
        value = int(t.mid(1).toUInt(&ok, 16));
    else
        value = t.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace report
