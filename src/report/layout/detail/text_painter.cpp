// Drawing a laid-out text on a screen or printer canvas. Line breaks come from the reference
// layout; device fonts only decide glyph shapes, and with Wysiwyg every line keeps its
// reference width scaled to the device.
#include "report/layout/glyph_drawing.h"
#include "report/layout/glyph_fonts.h"
#include "report/layout/detail/layout_state.h"
#include "report/layout/detail/pixel_spread.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

namespace report::detail {

namespace {

bool isJustifiableSpace(char16_t c) { return c == u' ' || c == 0x00A0; }

// Device fonts of one drawing, by style and pixel height.
class DeviceFonts {
public:
    DeviceFonts(const QString& family, QPaintDevice* device) : family_(family), device_(device) {}

    struct Entry {
        QFont font;
        QFontMetricsF metrics;
        const GlyphFonts* glyphs;
        // Rounded advances of the font's characters, kept for the process: a font of a
        // pixel size measures alike on every device.
        WidthTable* widths;
    };

    const Entry& get(unsigned char style, int pixels)
    {
        const int key = pixels << 2 | (style & (fsBold | fsItalic));
        auto it = fonts_.find(key);
        if (it == fonts_.end()) {
            QFont f = ReferenceDevice::makeFont(family_, pixels, style & fsBold, style & fsItalic);
            QFontMetricsF m = device_ ? QFontMetricsF(f, device_) : QFontMetricsF(f);
            const bool bold = style & fsBold, italic = style & fsItalic;
            const GlyphFonts* glyphs = &GlyphFonts::of(family_, pixels, bold, italic);
            WidthTable* widths = &ReferenceDevice::instance().table(family_, pixels, bold, italic);
            it = fonts_.emplace(key, Entry{f, m, glyphs, widths}).first;
        }
        return it->second;
    }

private:
    QString family_;
    QPaintDevice* device_;
    std::map<int, Entry> fonts_;
};

// One character of an output line as it is drawn.
struct Glyph {
    char16_t c;
    TfrxHTMLTag tag;
    int width = 0; // device pixels
};

// The glyphs of one raw font and colour within a line, drawn as one run.
struct GlyphBatch {
    const QRawFont* font;
    QRgb color;
    QList<quint32> indexes;
    QList<QPointF> positions;
};

struct Rule {
    QRectF rect;
    QColor color;
};

// The characters of a line at their positions, as runs of glyphs per font and colour;
// underline and strike-out rules are drawn over them, per character so that a rule runs on
// through pixels added for justification.
void drawLine(QPainter& canvas, DeviceFonts& fonts, const std::vector<Glyph>& glyphs, const std::vector<int>& pixels,
              double x, double y, double scaleY)
{
    std::vector<GlyphBatch> batches;
    std::vector<Rule> rules;
    for (size_t g = 0; g < glyphs.size(); ++g) {
        const Glyph& gl = glyphs[g];
        const auto& f = fonts.get(gl.tag.Style, pixels[g]);
        const QColor color(gl.tag.Color);
        double baseline = y + f.metrics.ascent();
        if (gl.tag.AddY)
            baseline += std::lround(gl.tag.Size * scaleY);
        if (!isJustifiableSpace(gl.c) && !QChar::isLowSurrogate(gl.c) && gl.c > 0x20) {
            const QChar pair[2] = {QChar(gl.c), QChar(g + 1 < glyphs.size() ? glyphs[g + 1].c : u' ')};
            const int count = QChar::isHighSurrogate(gl.c) && g + 1 < glyphs.size() ? 2 : 1;
            const GlyphRef ref = f.glyphs->glyph(pair, count);
            if (ref.index == 0) {
                drawCharacterAlone(canvas, f.font, color, QPointF(x, baseline), pair, count);
            } else {
                auto batch = std::find_if(batches.begin(), batches.end(), [&](const GlyphBatch& b) {
                    return b.font == ref.font && b.color == color.rgba();
                });
                if (batch == batches.end())
                    batch = batches.insert(batches.end(), GlyphBatch{ref.font, color.rgba(), {}, {}});
                batch->indexes.push_back(ref.index);
                batch->positions.push_back(QPointF(x, baseline));
            }
        }
        const double rule = std::max(1.0, std::round(f.metrics.lineWidth()));
        if (gl.tag.Style & fsUnderline)
            rules.push_back({QRectF(x, std::round(baseline + f.metrics.underlinePos()), gl.width, rule), color});
        if (gl.tag.Style & fsStrikeOut)
            rules.push_back({QRectF(x, std::round(baseline - f.metrics.strikeOutPos()), gl.width, rule), color});
        x += gl.width;
    }
    for (const GlyphBatch& b : batches)
        drawGlyphs(canvas, *b.font, QColor::fromRgba(b.color), b.indexes, b.positions);
    for (const Rule& r : rules)
        canvas.fillRect(r.rect, r.color);
}

struct Frame {
    QTransform toDevice; // local frame: x along the lines, y across them, origin at the block corner
    double length = 0;   // line length, device pixels
    double depth = 0;    // room across the lines, device pixels
};

// Device pixel heights of point sizes: printers and PDF writers (paged devices) at their
// resolution and print scale, other canvases at the drawing's scale.
struct DeviceScale {
    bool printer;
    int dpi;
    double printScale;
    double scaleY;
    int pixels(int points) const
    {
        const double px = printer ? dpi * points * printScale / 72.0 : points * scaleY * 96.0 / 72.0;
        return std::max(1, int(std::lround(px)));
    }
};

// A line placed in the block's frame: its characters with device widths and its start.
struct PlacedLine {
    const OutputLine* line;
    std::vector<Glyph> glyphs;
    std::vector<int> pixels; // device pixel height of each character
    double x = 0;
    int width = 0;
    bool slanted = false; // italic, raised or lowered, or of another size than the text's
    double condense = 1;  // across, for a number narrowed to fit its area
};

// Device widths, character by character as the reference layout measured them.
int measureGlyphs(PlacedLine& p, DeviceFonts& fonts, int spacing)
{
    int width = 0;
    auto& glyphs = p.glyphs;
    for (size_t g = 0; g < glyphs.size(); ++g) {
        Glyph& gl = glyphs[g];
        if (QChar::isLowSurrogate(gl.c) && g > 0 && QChar::isHighSurrogate(glyphs[g - 1].c))
            continue;
        const auto& f = fonts.get(gl.tag.Style, p.pixels[g]);
        int advance;
        if (QChar::isHighSurrogate(gl.c) && g + 1 < glyphs.size() && QChar::isLowSurrogate(glyphs[g + 1].c))
            advance = f.widths->widthOfPair(gl.c, glyphs[g + 1].c);
        else
            advance = f.widths->width(gl.c);
        gl.width = advance + spacing;
        width += gl.width;
    }
    return width;
}

// The horizontal start of a line, with justification spread over its spaces.
void alignLine(PlacedLine& p, const LayoutState& s, TextHAlign hAlign, double length, bool boldOrItalic)
{
    const bool indented = p.line->paragraphStart && (hAlign == TextHAlign::haLeft || hAlign == TextHAlign::haBlock);
    p.x = indented ? std::lround(s.paragraphGap * s.scaleX) : 0;
    switch (hAlign) {
    case TextHAlign::haLeft:
        break;
    case TextHAlign::haRight:
        p.x = length - p.width - (boldOrItalic ? 1 : 0);
        break;
    case TextHAlign::haCenter:
        p.x = (length - p.width) / 2;
        break;
    case TextHAlign::haBlock: {
        int spaces = 0;
        for (const Glyph& gl : p.glyphs)
            spaces += isJustifiableSpace(gl.c) ? 1 : 0;
        if (!p.line->paragraphEnd && spaces > 0) {
            const int free = int(std::floor(length - p.x - p.width));
            if (free > 0) {
                int each = free / spaces, rest = free % spaces;
                for (Glyph& gl : p.glyphs) {
                    if (!isJustifiableSpace(gl.c))
                        continue;
                    gl.width += each + (rest > 0 ? 1 : 0);
                    rest = std::max(0, rest - 1);
                }
                p.width += free;
            }
        } else if (s.rtlReading) {
            p.x = length - p.width;
        }
        break;
    }
    }
}

PlacedLine placeLine(LayoutState& s, const OutputLine& line, DeviceFonts& fonts, const DeviceScale& scale,
                     TextHAlign hAlign, double length)
{
    PlacedLine p{&line, {}, {}};
    for (int k = line.start; k < line.start + line.length; ++k)
        p.glyphs.push_back({s.chars[k], s.tagAt(k)});
    if (line.hyphen)
        p.glyphs.push_back({u'-', p.glyphs.back().tag});
    bool boldOrItalic = false;
    const int basePixels = scale.pixels(s.pointSize);
    for (const Glyph& gl : p.glyphs) {
        p.pixels.push_back(scale.pixels(gl.tag.Size));
        boldOrItalic |= (gl.tag.Style & (fsBold | fsItalic)) != 0;
        p.slanted |= (gl.tag.Style & fsItalic) != 0 || gl.tag.AddY || p.pixels.back() != basePixels;
    }
    const int ownWidth = measureGlyphs(p, fonts, int(std::lround(s.charSpacing * s.scaleX)));
    p.width = ownWidth;
    if (s.wysiwyg) {
        p.width = int(std::lround(double(s.referenceWidth(line)) / kReferencePerUnit * s.scaleX));
        std::vector<int> extra(p.glyphs.size(), 0);
        spreadPixels(extra.data(), int(p.glyphs.size()), p.width - ownWidth);
        for (size_t g = 0; g < p.glyphs.size(); ++g)
            p.glyphs[g].width += extra[g];
    }
    // A number wider than its area is printed whole, narrowed to fit (up to a limit past
    // which it would be hard to read, and then wider than the area).
    if (line.number && s.rotation == 0 && !s.rtlReading && length > 0 && p.width > length) {
        constexpr double kNarrowest = 0.6;
        p.condense = std::max(kNarrowest, length / p.width);
        p.width = int(std::floor(p.width * p.condense));
    }
    alignLine(p, s, hAlign, length, boldOrItalic);
    return p;
}

// The frame the block is drawn in: its device transform and its room along and across.
Frame frameOf(const LayoutState& s, double blockHeight)
{
    const QRectF r = s.deviceRect;
    Frame frame;
    if (s.rotation % 90 == 0) {
        // The corner the first line starts from: at 90 degrees lines run upwards from the
        // bottom-left, at 180 leftwards from the bottom-right, at 270 downwards from the top-right.
        const QPointF corners[] = {r.topLeft(), r.bottomLeft(), r.bottomRight(), r.topRight()};
        const int quarter = s.rotation / 90;
        frame.toDevice.translate(corners[quarter].x(), corners[quarter].y());
        frame.toDevice.rotate(-s.rotation);
        const bool alongHeight = quarter % 2 == 1;
        frame.length = alongHeight ? r.height() : r.width();
        frame.depth = alongHeight ? r.width() : r.height();
    } else {
        // The longest line length with which the rotated block still fits, centred.
        const double a = s.rotation * std::numbers::pi / 180.0;
        const double c = std::abs(std::cos(a)), sn = std::abs(std::sin(a));
        const double byWidth = (r.width() - blockHeight * sn) / c;
        const double byHeight = (r.height() - blockHeight * c) / sn;
        frame.length = std::max(0.0, std::min(byWidth, byHeight));
        frame.depth = blockHeight;
        frame.toDevice.translate(r.center().x(), r.center().y());
        frame.toDevice.rotate(-s.rotation);
        frame.toDevice.translate(-frame.length / 2, -frame.depth / 2);
    }
    return frame;
}

// Whether clipping to the frame could cut anything: upright text of one size whose lines
// and whose last line's descent stay inside needs no clip (what a glyph's edge smoothing
// reaches past its advance stays within the object's gap). Clipping costs a PDF writer a
// graphics state for every text.
bool mayLeaveFrame(const std::vector<PlacedLine>& lines, const Frame& frame, double top, double step,
                   const QFontMetricsF& base)
{
    if (lines.empty())
        return false;
    const double bottom = top + double(lines.size() - 1) * step + base.ascent() + base.descent();
    if (top < 0 || bottom > frame.depth)
        return true;
    for (const PlacedLine& p : lines)
        if (p.slanted || p.x < 0 || p.x + p.width > frame.length)
            return true;
    return false;
}

// The area the text is clipped to: its device rectangle, widened across to take in upright
// numbers that are wider than it, which are printed whole.
QRectF clipRect(const LayoutState& s, const std::vector<PlacedLine>& lines)
{
    QRectF rect = s.deviceRect;
    if (s.rotation != 0)
        return rect;
    for (const PlacedLine& p : lines) {
        if (!p.line->number)
            continue;
        rect.setLeft(std::min(rect.left(), s.deviceRect.left() + p.x));
        rect.setRight(std::max(rect.right(), s.deviceRect.left() + p.x + p.width + 1));
    }
    return rect;
}

void drawRightToLeft(QPainter& canvas, LayoutState& s, const PlacedLine& p, const DeviceFonts::Entry& base, double y,
                     double pitch)
{
    // Right-to-left reading needs the whole line shaped at once.
    canvas.setFont(base.font);
    canvas.setPen(QColor(p.glyphs.front().tag.Color));
    QTextOption option(Qt::AlignRight | Qt::AlignTop);
    option.setTextDirection(Qt::RightToLeft);
    option.setWrapMode(QTextOption::NoWrap);
    canvas.drawText(QRectF(p.x, y, std::max(p.width, 1), pitch), s.lineText(*p.line), option);
}

} // namespace

void paintLayout(LayoutState& s, QPainter* canvas, TextHAlign hAlign, TextVAlign vAlign,
                 const std::function<void(const QString&, const QRectF&)>& onLine)
{
    QPaintDevice* device = canvas->device();
    const bool printer = dynamic_cast<QPagedPaintDevice*>(device) != nullptr;
    const DeviceScale scale{printer, printer ? device->logicalDpiY() : 96, s.printScale, s.scaleY};
    DeviceFonts fonts(s.family, device);

    const int lineCount = int(s.lines.size());
    const int baseHeight = scale.pixels(s.pointSize);
    const double pitch = baseHeight + s.lineSpacing * s.scaleY;
    double step = pitch;
    double blockHeight = lineCount * pitch;
    if (s.wysiwyg) {
        // The block keeps the reference height; the difference goes into the gaps.
        blockHeight = lineCount * s.lineHeight() * s.scaleY;
        if (lineCount > 1)
            step = pitch + (blockHeight - lineCount * pitch) / (lineCount - 1);
    }
    const Frame frame = frameOf(s, blockHeight);
    double top = 0;
    if (vAlign == TextVAlign::vaBottom)
        top = frame.depth - blockHeight;
    else if (vAlign == TextVAlign::vaCenter)
        // Lines that do not all fit start at the top and are cut at the bottom: centring
        // them would cut off the first line, which holds what the text is about.
        top = lineCount > 1 && blockHeight > frame.depth ? 0 : (frame.depth - blockHeight) / 2;

    std::vector<PlacedLine> lines;
    lines.reserve(std::size_t(lineCount));
    for (const OutputLine& line : s.lines)
        lines.push_back(placeLine(s, line, fonts, scale, hAlign, frame.length));

    const DeviceFonts::Entry& base = fonts.get(s.baseStyle, baseHeight);
    const bool clip = s.clipped && mayLeaveFrame(lines, frame, top, step, base.metrics);
    // Upright text that needs no clip is drawn without a saved state: the origin moves
    // instead of the canvas, the font is put back and the pen stays with the text's colour
    // (the next text mostly has it too, which costs a PDF writer no new graphics state).
    const bool plain = !clip && s.rotation == 0 && !s.rtlReading;
    const QPointF origin = plain ? s.deviceRect.topLeft() : QPointF();
    const QFont font = canvas->font();
    if (!plain) {
        canvas->save();
        if (clip)
            canvas->setClipRect(clipRect(s, lines), Qt::IntersectClip);
        canvas->setTransform(frame.toDevice, true);
    }
    double y = top;
    for (const PlacedLine& p : lines) {
        if (onLine)
            onLine(s.lineText(*p.line),
                   canvas->transform().mapRect(QRectF(origin.x() + p.x, origin.y() + y, p.width, pitch)));
        if (s.rtlReading) {
            drawRightToLeft(*canvas, s, p, base, y, pitch);
        } else if (p.condense != 1) {
            canvas->save();
            canvas->translate(origin.x() + p.x, 0);
            canvas->scale(p.condense, 1);
            drawLine(*canvas, fonts, p.glyphs, p.pixels, 0, origin.y() + y, s.scaleY);
            canvas->restore();
        } else {
            drawLine(*canvas, fonts, p.glyphs, p.pixels, origin.x() + p.x, origin.y() + y, s.scaleY);
        }
        y += step;
    }
    if (!plain)
        canvas->restore();
    else if (canvas->font() != font)
        canvas->setFont(font);
}

} // namespace report::detail
