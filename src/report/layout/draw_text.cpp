#include "report/layout/draw_text.h"

#include "report/layout/detail/layout_state.h"
#include "report/layout/detail/line_breaker.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace report {

using report::kReferencePerUnit;

namespace {

int refPixels(double units) { return int(std::lround(units * kReferencePerUnit)); }

// From 90 to 179 and from 270 to 359 degrees lines run along the area's height.
bool linesAlongHeight(int rotation)
{
    return (rotation >= 90 && rotation < 180) || (rotation >= 270 && rotation < 360);
}

} // namespace

namespace detail {

TfrxHTMLTag LayoutState::tagAt(int charIndex) const
{
    if (htmlTags)
        return tags[charIndex];
    TfrxHTMLTag t;
    t.Size = pointSize;
    t.Style = baseStyle;
    t.Color = color;
    t.Default = true;
    // Without tags the characters are the text itself, paragraph by paragraph.
    auto p = std::upper_bound(paragraphs.begin(), paragraphs.end(), charIndex,
                              [](int index, const Paragraph& para) { return index < para.charStart; });
    if (p != paragraphs.begin()) {
        --p;
        t.Position = p->sourceStart + (charIndex - p->charStart);
    }
    return t;
}

int LayoutState::sourcePosition(const OutputLine& line) const
{
    if (htmlTags)
        return tags[line.start].Position;
    const Paragraph& p = paragraphs[line.paragraph];
    return p.sourceStart + (line.start - p.charStart);
}

long long LayoutState::referenceWidth(const OutputLine& line)
{
    long long w = 0;
    for (int k = line.start; k < line.start + line.length; ++k)
        w += charWidths[k];
    if (line.hyphen) {
        const TfrxHTMLTag t = tagAt(line.start + line.length - 1);
        int hw = tableFor(t.Style).width(u'-') + refPixels(charSpacing);
        if (htmlTags && t.Small)
            hw = int(std::lround(hw / 1.5));
        w += hw;
    }
    return w;
}

QString LayoutState::lineText(const OutputLine& line) const
{
    QString text(reinterpret_cast<const QChar*>(chars.data() + line.start), line.length);
    if (line.hyphen)
        text += QLatin1Char('-');
    return text;
}

} // namespace detail

TfrxDrawText::TfrxDrawText() : d_(std::make_unique<detail::LayoutState>())
{
    // Arial 10 points until a text object sets its own font. Fonts are only touched when
    // text is laid out, so a report can be made before the application object.
    d_->family = QStringLiteral("Arial");
    d_->chars.reserve(32768);
    d_->charWidths.reserve(32768);
}

TfrxDrawText::~TfrxDrawText() = default;

TfrxDrawText& TfrxDrawText::global()
{
    // Never destroyed: it holds fonts, which must not outlive the application object.
    static TfrxDrawText* instance = new TfrxDrawText;
    return *instance;
}

void TfrxDrawText::Lock()
{
    // Another user can only be an earlier caller on this thread, interrupted by an event;
    // let events run until it lets go.
    while (d_->busy)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    d_->busy = true;
}

bool TfrxDrawText::TryLock()
{
    if (d_->busy)
        return false;
    d_->busy = true;
    return true;
}

void TfrxDrawText::Unlock() { d_->busy = false; }

bool TfrxDrawText::IsBusy() const { return d_->busy; }

void TfrxDrawText::SetFont(const QFont& font, const QColor& color)
{
    detail::LayoutState& s = *d_;
    int points = font.pointSize();
    if (points <= 0)
        points = int(std::lround(font.pixelSize() * 72.0 / 96.0));
    points = std::max(1, points);
    unsigned char style = 0;
    if (font.bold())
        style |= fsBold;
    if (font.italic())
        style |= fsItalic;
    if (font.underline())
        style |= fsUnderline;
    if (font.strikeOut())
        style |= fsStrikeOut;
    s.baseStyle = style;
    s.color = color.rgb() & 0xFFFFFF;
    const QString family = font.family();
    if (family == s.family && points == s.pointSize)
        return;
    s.family = family;
    s.pointSize = points;
    s.fontHeight = int(std::lround(points * double(report::kReferenceDpi) / 72.0));
    s.widths[0] = nullptr; // fetched again at the next layout
}

void TfrxDrawText::SetOptions(bool wordWrap, bool htmlTags, int rotation, bool wysiwyg, bool clipped, bool wordBreak,
                              bool rtlReading)
{
    detail::LayoutState& s = *d_;
    s.wordWrap = wordWrap;
    s.htmlTags = htmlTags;
    s.rotation = ((rotation % 360) + 360) % 360;
    s.wysiwyg = wysiwyg;
    s.clipped = clipped;
    s.wordBreak = wordBreak;
    s.rtlReading = rtlReading;
}

void TfrxDrawText::SetGaps(double paragraphGap, double charSpacing, double lineSpacing)
{
    d_->paragraphGap = paragraphGap;
    d_->charSpacing = charSpacing;
    d_->lineSpacing = lineSpacing;
}

void TfrxDrawText::SetDimensions(double scaleX, double scaleY, double printScale, const QRectF& deviceRect,
                                 const QRectF& layoutRect)
{
    d_->scaleX = scaleX;
    d_->scaleY = scaleY;
    d_->printScale = printScale;
    d_->deviceRect = deviceRect;
    d_->layoutRect = layoutRect;
}

void TfrxDrawText::SetText(const QString& text)
{
    detail::LayoutState& s = *d_;
    s.ensureWidthTables();
    s.source = text;
    s.chars.clear();
    s.charWidths.clear();
    s.tags.clear();
    s.paragraphs.clear();
    s.lines.clear();

    const double areaWidth = linesAlongHeight(s.rotation) ? s.layoutRect.height() : s.layoutRect.width();
    detail::BreakSettings settings;
    settings.wordWrap = s.wordWrap;
    settings.wordBreak = s.wordBreak;
    settings.firstWidth = refPixels(areaWidth - s.paragraphGap);
    settings.laterWidth = refPixels(areaWidth);
    const int spacing = refPixels(s.charSpacing);
    HtmlTagParser parser(s.pointSize, s.baseStyle, s.color);
    std::vector<detail::BreakLine> broken;

    const QChar* src = text.constData();
    // As in a list of lines: an empty text has none, and a break at the end starts none.
    int n = text.size();
    if (n > 0 && src[n - 1] == u'\n')
        --n;
    if (n > 0 && src[n - 1] == u'\r')
        --n;
    if (text.isEmpty())
        return;
    int pos = 0;
    for (;;) {
        int end = pos;
        while (end < n && src[end] != u'\r' && src[end] != u'\n')
            ++end;

        const int charStart = int(s.chars.size());
        if (s.htmlTags) {
            parser.parseParagraph(QStringView(text).mid(pos, end - pos), pos, s.chars, s.tags);
        } else {
            s.chars.insert(s.chars.end(), reinterpret_cast<const char16_t*>(src + pos),
                           reinterpret_cast<const char16_t*>(src + end));
        }
        // An empty paragraph, or one of tags only, still takes a line.
        if (int(s.chars.size()) == charStart) {
            s.chars.push_back(u' ');
            if (s.htmlTags) {
                TfrxHTMLTag t = parser.current(pos);
                t.Default = !s.tags.empty() && s.tags.back().sameStyle(t);
                s.tags.push_back(t);
            }
        }
        const int count = int(s.chars.size()) - charStart;
        s.charWidths.resize(s.chars.size());
        for (int k = charStart; k < charStart + count; ++k) {
            const char16_t c = s.chars[k];
            if (QChar::isLowSurrogate(c) && k > charStart && QChar::isHighSurrogate(s.chars[k - 1])) {
                s.charWidths[k] = 0;
                continue;
            }
            const unsigned char style = s.htmlTags ? s.tags[k].Style : s.baseStyle;
            report::WidthTable& table = s.tableFor(style);
            int w = (QChar::isHighSurrogate(c) && k + 1 < charStart + count && QChar::isLowSurrogate(s.chars[k + 1]))
                        ? table.widthOfPair(c, s.chars[k + 1])
                        : table.width(c);
            w += spacing;
            if (s.htmlTags && s.tags[k].Small)
                w = int(std::lround(w / 1.5));
            s.charWidths[k] = w;
        }

        broken.clear();
        detail::breakParagraph(s.chars.data() + charStart, s.charWidths.data() + charStart, count, settings, broken);
        const int paragraph = int(s.paragraphs.size());
        s.paragraphs.push_back({charStart, pos});
        for (size_t b = 0; b < broken.size(); ++b) {
            detail::OutputLine line;
            line.start = charStart + broken[b].start;
            line.length = broken[b].length;
            line.paragraph = paragraph;
            line.hyphen = broken[b].hyphen;
            line.number = broken[b].number;
            line.paragraphStart = b == 0;
            line.paragraphEnd = b + 1 == broken.size();
            s.lines.push_back(line);
        }

        if (end >= n)
            break;
        pos = end + ((src[end] == u'\r' && end + 1 < n && src[end + 1] == u'\n') ? 2 : 1);
    }
}

namespace detail {

void LayoutState::ensureWidthTables()
{
    if (widths[0])
        return;
    auto& device = ReferenceDevice::instance();
    for (int i = 0; i < 4; ++i)
        widths[i] = &device.table(family, fontHeight, i & 1, i & 2);
}

} // namespace detail

int TfrxDrawText::LineCount() const { return int(d_->lines.size()); }

QString TfrxDrawText::Line(int index) const { return d_->lineText(d_->lines.at(index)); }

bool TfrxDrawText::IsParagraphStart(int index) const { return d_->lines.at(index).paragraphStart; }

bool TfrxDrawText::IsParagraphEnd(int index) const { return d_->lines.at(index).paragraphEnd; }

TfrxHTMLTags TfrxDrawText::LineTags(int index) const
{
    const detail::OutputLine& line = d_->lines.at(index);
    TfrxHTMLTags tags;
    tags.reserve(line.length + 1);
    for (int k = line.start; k < line.start + line.length; ++k)
        tags.push_back(d_->tagAt(k));
    if (line.hyphen) {
        TfrxHTMLTag t = tags.back();
        t.Default = true;
        tags.push_back(t);
    }
    return tags;
}

TfrxHTMLTagsList TfrxDrawText::HTMLTags() const
{
    TfrxHTMLTagsList list;
    list.reserve(d_->lines.size());
    for (int i = 0; i < LineCount(); ++i)
        list.push_back(LineTags(i));
    return list;
}

QString TfrxDrawText::WholeText() const { return d_->source; }

int TfrxDrawText::FontHeight() const { return d_->fontHeight; }

double TfrxDrawText::LineHeight() const { return d_->lineHeight(); }

double TfrxDrawText::TextHeight() const { return LineCount() * LineHeight(); }

double TfrxDrawText::TextWidth() const
{
    detail::LayoutState& s = *d_;
    s.ensureWidthTables();
    report::WidthTable& base = s.tableFor(s.baseStyle);
    double widest = 0;
    for (const detail::OutputLine& line : s.lines) {
        long long w = 0;
        const int end = line.start + line.length;
        for (int k = line.start; k < end; ++k) {
            const char16_t c = s.chars[k];
            if (QChar::isHighSurrogate(c) && k + 1 < end && QChar::isLowSurrogate(s.chars[k + 1]))
                w += base.widthOfPair(c, s.chars[++k]);
            else
                w += base.width(c);
        }
        const int length = line.length + (line.hyphen ? 1 : 0);
        if (line.hyphen)
            w += base.width(u'-');
        double total = double(w) + length * s.charSpacing * kReferencePerUnit;
        if (line.paragraphStart)
            total += s.paragraphGap * kReferencePerUnit;
        widest = std::max(widest, total);
    }
    return widest / kReferencePerUnit;
}

TfrxTextSplit TfrxDrawText::Split(double height) const
{
    const detail::LayoutState& s = *d_;
    TfrxTextSplit split;
    const double lineHeight = s.lineHeight();
    const int total = LineCount();
    const int fit = lineHeight > 0 ? int(std::floor((height + 1) / lineHeight)) : total;
    split.KeptLines = std::clamp(fit, 0, total);
    split.FreeHeight = height + 1 - split.KeptLines * lineHeight;
    if (split.KeptLines < total) {
        const detail::OutputLine& first = s.lines[split.KeptLines];
        split.Cut = true;
        split.Remainder = s.source.mid(s.sourcePosition(first));
        split.CutStyle = s.tagAt(first.start);
    }
    return split;
}

void TfrxDrawText::DrawText(QPainter* canvas, TextHAlign hAlign, TextVAlign vAlign) const
{
    if (canvas && !d_->lines.empty())
        detail::paintLayout(*d_, canvas, hAlign, vAlign, OnLineDrawn);
}

} // namespace report
