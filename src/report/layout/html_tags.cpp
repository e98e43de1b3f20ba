#include "report/layout/html_tags.h"

#include "platform/hex_digit.h"

#include <cmath>

namespace report {

namespace {

struct NamedColor {
    const char* name; // without "cl"
    QRgb rgb;
};

// The named colours and the system colours (classic desktop scheme).
constexpr NamedColor kNamedColors[] = {
    {"Black", 0x000000},
    {"Maroon", 0x800000},
    {"Green", 0x008000},
    {"Olive", 0x808000},
    {"Navy", 0x000080},
    {"Purple", 0x800080},
    {"Teal", 0x008080},
    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0},
    {"Red", 0xFF0000},
    {"Lime", 0x00FF00},
    {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},
    {"Fuchsia", 0xFF00FF},
    {"Aqua", 0x00FFFF},
    {"White", 0xFFFFFF},
    {"MoneyGreen", 0xC0DCC0},
    {"SkyBlue", 0xA6CAF0},
    {"Cream", 0xFFFBF0},
    {"MedGray", 0xA0A0A4},
    {"ScrollBar", 0xD4D0C8},
    {"Background", 0x3A6EA5},
    {"ActiveCaption", 0x0A246A},
    {"InactiveCaption", 0x808080},
    {"Menu", 0xD4D0C8},
    {"Window", 0xFFFFFF},
    {"WindowFrame", 0x000000},
    {"MenuText", 0x000000},
    {"WindowText", 0x000000},
    {"CaptionText", 0xFFFFFF},
    {"ActiveBorder", 0xD4D0C8},
    {"InactiveBorder", 0xD4D0C8},
    {"AppWorkSpace", 0x808080},
    {"Highlight", 0x0A246A},
    {"HighlightText", 0xFFFFFF},
    {"BtnFace", 0xD4D0C8},
    {"BtnShadow", 0x808080},
    {"GrayText", 0x808080},
    {"BtnText", 0x000000},
    {"InactiveCaptionText", 0xD4D0C8},
    {"BtnHighlight", 0xFFFFFF},
    {"3DDkShadow", 0x404040},
    {"3DLight", 0xD4D0C8},
    {"InfoText", 0x000000},
    {"InfoBk", 0xFFFFE1},
    {"HotLight", 0x000080},
    {"GradientActiveCaption", 0xA6CAF0},
    {"GradientInactiveCaption", 0xC0C0C0},
    {"MenuHighlight", 0x316AC5},
    {"MenuBar", 0xD4D0C8},
};

bool startsWithTag(QStringView text, int at, QLatin1StringView tag)
{
    return text.size() - at >= tag.size() && text.mid(at, tag.size()).compare(tag, Qt::CaseInsensitive) == 0;
}

// "#RRGGBB" at `at`; returns the characters used or 0.
int readHexColor(QStringView text, int at, QRgb* color)
{
    if (text.size() - at < 7 || text[at] != u'#')
        return 0;
    QRgb rgb = 0;
    for (int k = 1; k <= 6; ++k) {
        const int d = platform::hexDigitValue(text[at + k].unicode());
        if (d < 0)
            return 0;
        rgb = rgb << 4 | QRgb(d);
    }
    *color = rgb;
    return 7;
}

// The value of a font tag, from `at` up to (not including) the closing ">"; returns the
// position of that ">" or -1 when the value is not a colour.
int readColorValue(QStringView text, int at, QRgb* color)
{
    const int n = text.size();
    const bool quoted = at < n && text[at] == u'"';
    int j = quoted ? at + 1 : at;
    if (const int used = readHexColor(text, j, color)) {
        j += used;
    } else {
        const int nameStart = j;
        while (j < n && text[j] != u'>' && text[j] != u'"' && text[j] != u' ')
            ++j;
        if (!frxColorByName(text.mid(nameStart, j - nameStart), color))
            return -1;
    }
    if (quoted) {
        if (j >= n || text[j] != u'"')
            return -1;
        ++j;
    }
    return j < n && text[j] == u'>' ? j : -1;
}

} // namespace

bool frxColorByName(QStringView name, QRgb* color)
{
    for (const NamedColor& c : kNamedColors) {
        if (name.compare(QLatin1StringView(c.name), Qt::CaseInsensitive) == 0) {
            *color = c.rgb;
            return true;
        }
    }
    return false;
}

HtmlTagParser::HtmlTagParser(int baseSize, unsigned char baseStyle, QRgb baseColor)
    : baseSize_(baseSize), baseColor_(baseColor), size_(baseSize), style_(baseStyle), color_(baseColor)
{
}

TfrxHTMLTag HtmlTagParser::current(int position) const
{
    TfrxHTMLTag t;
    t.Position = position;
    t.Size = size_;
    t.AddY = addY_;
    t.Style = style_;
    t.Color = color_;
    t.Small = size_ != baseSize_;
    return t;
}

// Applies the tag at `at`; returns the characters it takes, 0 when nothing there is a tag.
int HtmlTagParser::applyTag(QStringView text, int at)
{
    struct StyleTag {
        QLatin1StringView text;
        unsigned char bit;
        bool on;
    };
    static constexpr StyleTag kStyleTags[] = {
        {QLatin1StringView("<b>"), fsBold, true},
        {QLatin1StringView("</b>"), fsBold, false},
        {QLatin1StringView("<i>"), fsItalic, true},
        {QLatin1StringView("</i>"), fsItalic, false},
        {QLatin1StringView("<u>"), fsUnderline, true},
        {QLatin1StringView("</u>"), fsUnderline, false},
        {QLatin1StringView("<strike>"), fsStrikeOut, true},
        {QLatin1StringView("</strike>"), fsStrikeOut, false},
    };
    for (const StyleTag& t : kStyleTags) {
        if (startsWithTag(text, at, t.text)) {
            style_ = t.on ? (style_ | t.bit) : (style_ & ~t.bit);
            return int(t.text.size());
        }
    }
    const int smallSize = int(std::lround(baseSize_ / 1.5));
    if (startsWithTag(text, at, QLatin1StringView("<sub>"))) {
        size_ = smallSize;
        addY_ = true;
        return 5;
    }
    if (startsWithTag(text, at, QLatin1StringView("<sup>"))) {
        size_ = smallSize;
        addY_ = false;
        return 5;
    }
    if (startsWithTag(text, at, QLatin1StringView("</sub>")) || startsWithTag(text, at, QLatin1StringView("</sup>"))) {
        size_ = baseSize_;
        addY_ = false;
        return 6;
    }
    if (startsWithTag(text, at, QLatin1StringView("</font>"))) {
        color_ = baseColor_;
        return 7;
    }
    constexpr QLatin1StringView kFontColor("<font color=");
    if (startsWithTag(text, at, kFontColor)) {
        int j = at + int(kFontColor.size());
        while (j < text.size() && text[j] == u' ')
            ++j;
        QRgb color = 0;
        const int close = readColorValue(text, j, &color);
        if (close < 0)
            return 0; // an unknown value keeps the tag as ordinary text
        color_ = color;
        return close + 1 - at;
    }
    // Any other "<xyz>" goes without effect.
    if (text.size() - at >= 5 && text[at + 4] == u'>')
        return 5;
    return 0;
}

void HtmlTagParser::parseParagraph(QStringView paragraph, int sourceOffset, std::vector<char16_t>& chars,
                                   std::vector<TfrxHTMLTag>& tags)
{
    const int n = paragraph.size();
    int i = 0;
    while (i < n) {
        if (paragraph[i] == u'<') {
            if (const int used = applyTag(paragraph, i)) {
                i += used;
                continue;
            }
        }
        TfrxHTMLTag t = current(sourceOffset + i);
        t.Default = !tags.empty() && tags.back().sameStyle(t);
        chars.push_back(paragraph[i].unicode());
        tags.push_back(t);
        ++i;
    }
}

QString htmlStyleRestoringTags(const TfrxHTMLTag& style, QRgb baseColor)
{
    QString tags;
    if (style.Style & fsBold)
        tags += QLatin1StringView("<b>");
    if (style.Style & fsItalic)
        tags += QLatin1StringView("<i>");
    if (style.Style & fsUnderline)
        tags += QLatin1StringView("<u>");
    if (style.Style & fsStrikeOut)
        tags += QLatin1StringView("<strike>");
    if (style.Small)
        tags += style.AddY ? QLatin1StringView("<sub>") : QLatin1StringView("<sup>");
    if ((style.Color & 0xFFFFFF) != (baseColor & 0xFFFFFF))
        tags += QStringLiteral("<font color=\"#%1\">")
                    .arg(QString::number(style.Color & 0xFFFFFF, 16).rightJustified(6, QLatin1Char('0')).toUpper());
    return tags;
}

} // namespace report
