#include "report/rich/rich_layout.h"

#include "report/layout/reference_device.h"

#include <algorithm>
#include <cmath>

namespace report::rich {

namespace {

using report::ReferenceDevice;
using report::WidthTable;

// Share of a font's height above the baseline: the ideographic em box of the Song face
// ends 0.12 em below it.
constexpr double kAscentShare = 0.88;

bool isWide(char16_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF)
           || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0xD800 && c <= 0xDBFF)
           || c == RichDocument::kObjectCharacter; // a picture wraps like a Chinese character
}

// Closing punctuation does not start a line, opening punctuation does not end one.
bool noBreakBefore(char16_t c)
{
    return QStringView(u"，。、；：！？）》」』】〕〉”’・…,.;:!?)]}%").contains(QChar(c));
}
bool noBreakAfter(char16_t c) { return QStringView(u"（《「『【〔〈“‘([{").contains(QChar(c)); }

bool canBreakBefore(const QString& text, int i)
{
    const char16_t prev = text[i - 1].unicode();
    const char16_t c = text[i].unicode();
    if (c == u' ' || (c >= 0xDC00 && c < 0xE000))
        return false;
    if (prev == u' ' || prev == u'\t')
        return true;
    return (isWide(prev) || isWide(c)) && !noBreakBefore(c) && !noBreakAfter(prev);
}

// Reference widths of every character, one width table per run.
std::vector<int> characterWidths(const RichDocument& doc)
{
    std::vector<int> widths(std::size_t(doc.length()), 0);
    const QString& text = doc.text();
    const CharFormat* format = nullptr;
    WidthTable* table = nullptr;
    for (int i = 0; i < doc.length(); ++i) {
        const CharFormat& f = doc.formatAt(i);
        if (&f != format) {
            format = &f;
            table = &ReferenceDevice::instance().table(f.face, referenceFontHeight(f.halfPoints), f.bold, f.italic);
        }
        if (f.picture) {
            widths[i] = twipsToReference(f.picture->width);
            continue;
        }
        const char16_t c = text[i].unicode();
        if (c == RichDocument::kParagraphBreak || c == RichDocument::kLineBreak || c == u'\t')
            continue;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < doc.length())
            widths[i] = table->widthOfPair(c, text[i + 1].unicode());
        else
            widths[i] = table->width(c);
    }
    return widths;
}

struct Paragraph {
    int start;
    int end; // its break, or the document's end
    const ParaFormat* format;
    const CharFormat* mark;
};

class Builder {
public:
    Builder(const RichDocument& doc, int width) : doc_(doc), width_(width)
    {
        out_.x.assign(std::size_t(doc.length()), 0);
        out_.width = characterWidths(doc);
    }

    RichLayout run()
    {
        int start = 0;
        for (int p = 0; p < doc_.paragraphCount(); ++p) {
            const int end = int(doc_.text().indexOf(QChar(RichDocument::kParagraphBreak), start));
            const int stop = end < 0 ? doc_.length() : end;
            const CharFormat& mark = stop < doc_.length() ? doc_.formatAt(stop) : doc_.endFormat();
            layOutParagraph({start, stop, &doc_.paragraph(p), &mark});
            start = stop + 1;
        }
        out_.height = y_;
        return std::move(out_);
    }

private:
    void layOutParagraph(const Paragraph& p);
    int breakLine(const Paragraph& p, int start, int avail, int left, bool* forced);
    int nextTabStop(const ParaFormat& f, int pos) const;
    void placeLine(const Paragraph& p, RichLine& line, int left, int avail, bool justify);
    void setLineHeight(const Paragraph& p, RichLine& line) const;

    const RichDocument& doc_;
    int width_;
    RichLayout out_;
    int y_ = 0;
};

void Builder::layOutParagraph(const Paragraph& p)
{
    const ParaFormat& f = *p.format;
    y_ += twipsToReference(f.spaceBefore);
    int i = p.start;
    bool first = true;
    do {
        const int left = twipsToReference(f.leftIndent + (first ? f.firstIndent : 0));
        const int avail = std::max(1, width_ - left - twipsToReference(f.rightIndent));
        bool forced = false;
        RichLine line;
        line.start = i;
        line.next = breakLine(p, i, avail, left, &forced);
        line.end = line.next;
        const QString& text = doc_.text();
        while (line.end > line.start && (text[line.end - 1] == u' ' || text[line.end - 1] == RichDocument::kLineBreak))
            --line.end;
        line.paragraphEnd = line.next >= p.end;
        setLineHeight(p, line);
        line.top = y_;
        y_ += line.height;
        placeLine(p, line, left, avail, f.align == ParaAlign::Justify && !line.paragraphEnd && !forced);
        if (line.paragraphEnd)
            y_ += twipsToReference(f.spaceAfter);
        line.bottomWithSpacing = y_;
        out_.lines.push_back(line);
        i = line.next;
        first = false;
    } while (i < p.end);
}

// Where a tab at `pos` (reference pixels from the left edge) moves the text: to the next
// stop the paragraph sets, else to the left indent when the first line hangs out before it
// (a bulleted list's text), else to the next of the document's default stops.
int Builder::nextTabStop(const ParaFormat& f, int pos) const
{
    for (const int stop : f.tabStops)
        if (twipsToReference(stop) > pos)
            return twipsToReference(stop);
    const int indent = twipsToReference(f.leftIndent);
    if (f.firstIndent < 0 && pos < indent)
        return indent;
    if (pos < 0)
        return 0;
    const int every = std::max(1, twipsToReference(doc_.defaultTab()));
    return pos + every - pos % every;
}

// The first character of the next line.
int Builder::breakLine(const Paragraph& p, int start, int avail, int left, bool* forced)
{
    const QString& text = doc_.text();
    int x = 0;
    int lastBreak = -1;
    for (int j = start; j < p.end; ++j) {
        const char16_t c = text[j].unicode();
        if (c == RichDocument::kLineBreak) {
            *forced = true;
            return j + 1;
        }
        if (j > start && canBreakBefore(text, j))
            lastBreak = j;
        int w = out_.width[j];
        if (c == u'\t') {
            w = nextTabStop(*p.format, left + x) - (left + x);
            out_.width[j] = w;
        }
        if (c != u' ' && x + w > avail && j > start)
            return lastBreak > start ? lastBreak : j;
        x += w;
    }
    return p.end;
}

void Builder::setLineHeight(const Paragraph& p, RichLine& line) const
{
    int height = 0;
    int picture = 0; // the tallest picture, standing on the baseline
    for (int i = line.start; i < line.next && i < p.end; ++i) {
        const CharFormat& f = doc_.formatAt(i);
        if (f.picture)
            picture = std::max(picture, twipsToReference(f.picture->height));
        else
            height = std::max(height, referenceFontHeight(f.halfPoints));
    }
    if (line.paragraphEnd || height == 0)
        height = std::max(height, referenceFontHeight(p.mark->halfPoints));
    line.height = height;
    line.baseline = int(std::lround(height * kAscentShare));
    if (picture > line.baseline) {
        line.height += picture - line.baseline;
        line.baseline = picture;
    }
    // Line spacing other than single adds (or takes) its room above the text.
    const ParaFormat& f = *p.format;
    if (f.lineSpacing == 0 || (f.lineMultiple && f.lineSpacing < 0))
        return;
    int spaced = 0;
    if (f.lineMultiple)
        spaced = int(std::lround(line.height * (f.lineSpacing / 240.0)));
    else if (f.lineSpacing > 0)
        spaced = std::max(line.height, twipsToReference(f.lineSpacing));
    else
        spaced = twipsToReference(-f.lineSpacing);
    spaced = std::max(1, spaced);
    line.baseline += spaced - line.height;
    line.height = spaced;
}

void Builder::placeLine(const Paragraph& p, RichLine& line, int left, int avail, bool justify)
{
    int content = 0;
    for (int i = line.start; i < line.end; ++i)
        content += out_.width[i];
    const int spare = std::max(0, avail - content);
    int x = left;
    if (p.format->align == ParaAlign::Right)
        x += spare;
    else if (p.format->align == ParaAlign::Center)
        x += spare / 2;

    // Justified lines share the spare width among the places a line may stretch: its spaces
    // and the gaps beside Chinese characters, so a mixed line does not open holes at its few
    // spaces. A line with neither (one long word) stretches between all its characters. The
    // first places get the odd pixels.
    const QString& text = doc_.text();
    const auto gapAfter = [&](int i) { return i + 1 < line.end && !text[i + 1].isLowSurrogate(); };
    const auto wide = [&](int i) { return isWide(text[i].unicode()) || text[i].isLowSurrogate(); };
    const auto stretches = [&](int i) {
        return text[i] == u' ' || (gapAfter(i) && (wide(i) || wide(i + 1)));
    };
    int gaps = 0;
    bool everyGap = false;
    if (justify && spare > 0) {
        for (int i = line.start; i < line.end; ++i)
            gaps += stretches(i) ? 1 : 0;
        everyGap = gaps == 0;
        for (int i = line.start; everyGap && i < line.end; ++i)
            gaps += gapAfter(i) ? 1 : 0;
    }
    int slot = 0;
    for (int i = line.start; i < line.next; ++i) {
        out_.x[i] = x;
        const bool takes = gaps > 0 && i < line.end && (everyGap ? gapAfter(i) : stretches(i));
        if (takes) {
            const int extra = spare / gaps + (slot < spare % gaps ? 1 : 0);
            out_.width[i] += extra;
            ++slot;
        }
        x += out_.width[i];
    }
}

} // namespace

int referenceFontHeight(int halfPoints) { return int(std::lround(halfPoints * 600.0 / 144.0)); }

int twipsToReference(int twips) { return int(std::lround(twips / kTwipsPerReference)); }

RichLayout layOutRich(const RichDocument& document, int width)
{
    return Builder(document, std::max(1, width)).run();
}

RichFit fitRich(const RichDocument& document, const RichLayout& layout, int height)
{
    RichFit fit;
    fit.firstUnfit = document.length();
    for (const RichLine& line : layout.lines) {
        if (line.top + line.height > height) {
            fit.firstUnfit = line.start;
            return fit;
        }
        fit.height = line.bottomWithSpacing;
        ++fit.keptLines;
    }
    return fit;
}

} // namespace report::rich
