// Escaping of attribute values and the text of typed values.
#include "report/xml/xml_form.h"
#include "report/xml/xml_ascii.h"
#include "report/xml/xml_number.h"

#include "platform/operator_text.h"

#include <QDate>
#include <QDateTime>
#include <QVariant>

#include <array>
#include <cstring>
#include <string>

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

namespace {

// Length of the escaped form of the bytes, or -1 when they need no escaping.
qsizetype escapedLength(QByteArrayView text)
{
    const char* const end = text.data() + text.size();
    qsizetype length = text.size();
    bool any = false;
    for (const char* q = text.data(); q < end; ++q) {
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
    return any ? length : -1;
}

// Writes the escaped form at o, which has room for escapedLength bytes; returns its end.
char* writeEscaped(char* o, QByteArrayView text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
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
    return o;
}

// UTF-8 of text into out (replacing its contents); false for a lone surrogate, which is
// left to Qt's own conversion.
bool toUtf8(QStringView text, std::string& out)
{
    out.resize(size_t(text.size()) * 3);
    char* o = out.data();
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char32_t c = *p++;
        if (c < 0x80) {
            *o++ = char(c);
        } else if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c < 0xD800 || c > 0xDFFF) {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        } else if (c <= 0xDBFF && p < end && *p >= 0xDC00 && *p <= 0xDFFF) {
            const char32_t code = 0x10000 + ((c - 0xD800) << 10) + (*p++ - 0xDC00);
            *o++ = char(0xF0 | (code >> 18));
            *o++ = char(0x80 | ((code >> 12) & 0x3F));
            *o++ = char(0x80 | ((code >> 6) & 0x3F));
            *o++ = char(0x80 | (code & 0x3F));
        } else {
            return false;
        }
    }
    out.resize(size_t(o - out.data()));
    return true;
}

} // namespace

QByteArray EscapeXML(QByteArrayView text)
{
    const qsizetype length = escapedLength(text);
    if (length < 0)
        return text.toByteArray();
    QByteArray out(length, Qt::Uninitialized);
    [[maybe_unused]] const char* const end = writeEscaped(out.data(), text);
    Q_ASSERT(end == out.data() + out.size());
    return out;
}

void appendEscapedXML(std::string& out, QByteArrayView text)
{
    const qsizetype length = escapedLength(text);
    if (length < 0) {
        out.append(text.data(), size_t(text.size()));
        return;
    }
    const size_t at = out.size();
    out.resize(at + size_t(length));
    writeEscaped(out.data() + at, text);
}

void appendEscapedXML(std::string& out, QStringView text)
{
    // Mostly ASCII without specials: copied as it is read.
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const size_t at = out.size();
    out.resize(at + size_t(text.size()));
    char* o = out.data() + at;
    while (p < end && *p < 0x80 && !specials[*p])
        *o++ = char(*p++);
    out.resize(size_t(o - out.data()));
    if (p == end)
        return;
    // The rest, through UTF-8 in a buffer kept for the next call. A "&quot;" is never cut
    // in two, since its first byte is one that stops the copy.
    thread_local std::string utf8;
    const QStringView rest(p, end - p);
    if (toUtf8(rest, utf8))
        appendEscapedXML(out, QByteArrayView(utf8.data(), qsizetype(utf8.size())));
    else
        appendEscapedXML(out, QByteArrayView(rest.toUtf8()));
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
    // The number form every reader of the XML form takes, not the locale's.
    std::string text;
    appendFloatText(text, value);
    return QByteArray(text.data(), qsizetype(text.size()));
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
