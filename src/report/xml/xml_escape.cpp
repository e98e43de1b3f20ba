// Escaping of attribute values and the text of typed values.
#include "report/xml/xml_form.h"
#include "report/xml/xml_ascii.h"

#include "platform/operator_text.h"

#include <QDate>
#include <QDateTime>
#include <QVariant>

#include <array>
#include <cstring>

namespace report {

TfrxInvalidXMLException::TfrxInvalidXMLException()
    : platform::Error(QStringLiteral("Invalid file format"))
{
}

namespace {

constexpr std::array<bool, 256> makeSpecials()
{
    std::array<bool, 256> table{};
    for (unsigned char c : {'\r', '\n', '"', '&', '<', '>'})
        table[c] = true;
    return table;
}
constexpr std::array<bool, 256> specials = makeSpecials();

bool isQuotEntity(const char* p, const char* end)
{
    return end - p >= 6 && std::memcmp(p + 1, "quot;", 5) == 0;
}

} // namespace

QByteArray EscapeXML(QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    // First pass: the exact length of the result, or the plain copy when nothing needs it.
    qsizetype length = text.size();
    bool any = false;
    for (const char* q = p; q < end; ++q) {
        const unsigned char c = static_cast<unsigned char>(*q);
        if (!specials[c])
            continue;
        any = true;
        if (c == '&' && isQuotEntity(q, end)) {
            length -= 1; // six characters become the five of "&#34;"
            q += 5;
        } else {
            length += 4; // "&#NN;": every escaped code has two digits
        }
    }
    if (!any)
        return text.toByteArray();

    QByteArray out(length, Qt::Uninitialized);
    char* o = out.data();
    while (p < end) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (!specials[c]) {
            *o++ = char(c);
            ++p;
            continue;
        }
        unsigned code = c;
        if (c == '&' && isQuotEntity(p, end)) {
            code = '"';
            p += 6;
        } else {
            ++p;
        }
        *o++ = '&';
        *o++ = '#';
        *o++ = char('0' + code / 10);
        *o++ = char('0' + code % 10);
        *o++ = ';';
    }
    Q_ASSERT(o == out.data() + out.size());
    return out;
}

QByteArray UnescapeXML(QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    const char* amp = detail::findByte(p, text.size(), '&');
    if (!amp)
        return text.toByteArray();

    QByteArray out(text.size(), Qt::Uninitialized); // never longer than the input
    char* o = out.data();
    while (amp) {
        if (amp > p)
            std::memcpy(o, p, std::size_t(amp - p));
        o += amp - p;
        p = amp;
        // p points at '&'
        if (end - p >= 4 && p[1] == '#') {
            const char* d = p + 2;
            unsigned code = 0;
            while (d < end && *d >= '0' && *d <= '9' && code <= 255)
                code = code * 10 + unsigned(*d++ - '0');
            if (d > p + 2 && d < end && *d == ';' && code <= 255) {
                *o++ = char(code);
                p = d + 1;
            } else {
                *o++ = *p++;
            }
        } else if (isQuotEntity(p, end)) {
            *o++ = '"';
            p += 6;
        } else {
            *o++ = *p++;
        }
        amp = detail::findByte(p, end - p, '&');
    }
    if (end > p)
        std::memcpy(o, p, std::size_t(end - p));
    o += end - p;
    out.truncate(o - out.data());
    return out;
}

QByteArray ValueToXML(int value)
{
    return QByteArray::number(value);
}

QByteArray ValueToXML(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray ValueToXML(double value)
{
    return platform::formatGeneral(value).toUtf8();
}

QByteArray ValueToXML(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

QByteArray ValueToXML(const QDate& value)
{
    return platform::shortDate(value).toUtf8();
}

QByteArray ValueToXML(const QDateTime& value)
{
    return platform::shortDate(value.date()).toUtf8();
}

QByteArray ValueToXML(QByteArrayView value)
{
    return EscapeXML(value);
}

QByteArray ValueToXML(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::Int:
    case QMetaType::UChar:
        return ValueToXML(value.toInt());
    case QMetaType::Float:
    case QMetaType::Double:
        return ValueToXML(value.toDouble());
    case QMetaType::QDate:
        return ValueToXML(value.toDate());
    case QMetaType::QDateTime:
        return ValueToXML(value.toDateTime());
    case QMetaType::QByteArray:
        return EscapeXML(value.toByteArray());
    case QMetaType::QString:
        return EscapeXML(value.toString().toUtf8());
    case QMetaType::Bool:
        return ValueToXML(value.toBool());
    default:
        return {};
    }
}

} // namespace report
