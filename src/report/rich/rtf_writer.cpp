#include "report/rich/rtf_writer.h"

#include "report/rich/detail/rtf_charsets.h"

#include <QStringEncoder>

#include <algorithm>
#include <vector>

namespace report::rich {

namespace {

constexpr int kDocumentCodePage = 936;

// The fonts and colours a document uses, numbered as the tables write them.
struct Tables {
    std::vector<std::pair<QString, int>> fonts; // face, charset
    std::vector<QRgb> colors;                    // \cf N is colors[N - 1]

    int font(const CharFormat& f)
    {
        const std::pair<QString, int> key{f.face, f.charset};
        auto it = std::find(fonts.begin(), fonts.end(), key);
        if (it == fonts.end())
            it = fonts.insert(fonts.end(), key);
        return int(it - fonts.begin());
    }
    int color(QRgb c)
    {
        auto it = std::find(colors.begin(), colors.end(), c);
        if (it == colors.end())
            it = colors.insert(colors.end(), c);
        return int(it - colors.begin()) + 1;
    }
};

void appendNumber(QByteArray& out, const char* word, int value)
{
    out += '\\';
    out += word;
    out += QByteArray::number(value);
}

void appendUnicode(QByteArray& out, char16_t c)
{
    appendNumber(out, "u", c >= 0x8000 ? int(c) - 65536 : int(c));
    out += '?';
}

// A font name in its character set, as \'hh bytes; characters the set lacks as \u.
QByteArray fontName(const QString& name, int charset)
{
    QStringEncoder encoder(detail::charsetEncoding(charset, kDocumentCodePage));
    QByteArray out;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x80 && u != '\\' && u != '{' && u != '}' && u != ';') {
            out += char(u);
            continue;
        }
        const QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(QStringView(&c, 1))) : QByteArray();
        if (encoder.hasError() || bytes.isEmpty() || bytes == "?") {
            encoder.resetState();
            appendUnicode(out, u);
            continue;
        }
        for (const char b : bytes)
            out += "\\'" + QByteArray::number(uchar(b), 16).rightJustified(2, '0');
    }
    return out;
}

void appendCharFormat(QByteArray& out, const CharFormat& f, Tables& tables)
{
    out += "\\plain";
    appendNumber(out, "f", tables.font(f));
    appendNumber(out, "fs", f.halfPoints);
    if (f.bold)
        out += "\\b";
    if (f.italic)
        out += "\\i";
    if (f.underline)
        out += "\\ul";
    if (f.strike)
        out += "\\strike";
    if (!f.autoColor)
        appendNumber(out, "cf", tables.color(f.color));
    if (f.hasHighlight)
        appendNumber(out, "highlight", tables.color(f.highlight));
    out += ' ';
}

void appendParaFormat(QByteArray& out, const ParaFormat& p)
{
    out += "\\pard";
    static const char* const align[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
    out += align[int(p.align)];
    const std::pair<const char*, int> values[] = {{"li", p.leftIndent},  {"ri", p.rightIndent},
                                                  {"fi", p.firstIndent}, {"sb", p.spaceBefore},
                                                  {"sa", p.spaceAfter},  {"sl", p.lineSpacing}};
    for (const auto& [word, value] : values)
        if (value != 0)
            appendNumber(out, word, value);
    if (p.lineMultiple)
        out += "\\slmult1";
    for (const int stop : p.tabStops)
        appendNumber(out, "tx", stop);
    out += ' ';
}

void appendChar(QByteArray& out, char16_t c)
{
    switch (c) {
    case u'\\': out += "\\\\"; return;
    case u'{': out += "\\{"; return;
    case u'}': out += "\\}"; return;
    case u'\t': out += "\\tab "; return;
    case RichDocument::kLineBreak: out += "\\line "; return;
    default:
        if (c >= 0x20 && c < 0x80)
            out += char(c);
        else if (c >= 0x80)
            appendUnicode(out, c);
    }
}

// A picture group: its kind, the sizes it was read with and its bytes in hex lines.
void appendPicture(QByteArray& out, const RichPicture& p)
{
    out += "{\\pict";
    if (p.kind == RichPicture::Kind::Png)
        out += "\\pngblip";
    else if (p.kind == RichPicture::Kind::Jpeg)
        out += "\\jpegblip";
    else if (!p.kindWord.isEmpty())
        out += '\\' + p.kindWord;
    const std::pair<const char*, int> values[] = {{"picw", p.picw},           {"pich", p.pich},
                                                  {"picwgoal", p.goalWidth},  {"pichgoal", p.goalHeight},
                                                  {"picscalex", p.scaleX},    {"picscaley", p.scaleY}};
    for (const auto& [word, value] : values)
        if (value != 0)
            appendNumber(out, word, value);
    constexpr qsizetype kLine = 64; // bytes per line of hex
    for (qsizetype i = 0; i < p.data.size(); i += kLine)
        out += "\r\n" + p.data.sliced(i, std::min(kLine, p.data.size() - i)).toHex();
    out += '}';
}

QByteArray header(const Tables& tables, int defaultTab)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg" + QByteArray::number(kDocumentCodePage) + "\\deff0\\uc1";
    if (defaultTab != RichDocument::kDefaultTabTwips)
        out += "\\deftab" + QByteArray::number(defaultTab);
    out += "{\\fonttbl";
    for (std::size_t i = 0; i < tables.fonts.size(); ++i) {
        const auto& [face, charset] = tables.fonts[i];
        out += "{\\f" + QByteArray::number(qulonglong(i)) + "\\fnil\\fcharset" + QByteArray::number(charset) + ' '
               + fontName(face, charset) + ";}";
    }
    out += '}';
    if (!tables.colors.empty()) {
        out += "{\\colortbl ;";
        for (const QRgb c : tables.colors)
            out += "\\red" + QByteArray::number(qRed(c)) + "\\green" + QByteArray::number(qGreen(c)) + "\\blue"
                   + QByteArray::number(qBlue(c)) + ';';
        out += '}';
    }
    return out + "\r\n";
}

} // namespace

QByteArray writeRtf(const RichDocument& document, int from, int to)
{
    const int length = document.length();
    from = std::clamp(from, 0, length);
    to = to < 0 ? length : std::clamp(to, from, length);

    Tables tables;
    QByteArray body;
    int paragraph = int(std::count(document.text().cbegin(), document.text().cbegin() + from,
                                   QChar(RichDocument::kParagraphBreak)));
    appendParaFormat(body, document.paragraph(paragraph));
    const CharFormat* current = nullptr;
    for (int i = from; i < to; ++i) {
        const CharFormat& f = document.formatAt(i);
        if (!current || !(*current == f)) {
            appendCharFormat(body, f, tables);
            current = &f;
        }
        const char16_t c = document.text()[i].unicode();
        if (c == RichDocument::kParagraphBreak) {
            body += "\\par\r\n";
            appendParaFormat(body, document.paragraph(++paragraph));
            current = nullptr;
        } else if (f.picture) {
            appendPicture(body, *f.picture);
        } else {
            appendChar(body, c);
        }
    }
    // The last paragraph's mark, in the format that text typed at the end would take.
    appendCharFormat(body, to < length ? document.formatAt(to) : document.endFormat(), tables);
    body += "\\par\r\n}\r\n";
    return header(tables, document.defaultTab()) + body;
}

} // namespace report::rich
