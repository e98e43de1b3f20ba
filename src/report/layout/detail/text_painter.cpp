// Drawing a laid-out text on a screen or printer canvas. Line breaks come from the reference
// layout; device fonts only decide glyph shapes, and with Wysiwyg every line keeps its
// reference width scaled to the device.
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
    };

    const Entry& get(unsigned char style, int pixels)
    {
        const int key = pixels << 2 | (style & (fsBold | fsItalic));
        auto it = fonts_.find(key);
        if (it == fonts_.end()) {
            QFont f = ReferenceDevice::makeFont(family_, pixels, style & fsBold, style & fsItalic);
            QFontMetricsF m = device_ ? QFontMetricsF(f, device_) : QFontMetricsF(f);
            it = fonts_.emplace(key, Entry{f, m}).first;
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

struct Frame {
    QTransform toDevice; // local frame: x along the lines, y across them, origin at the block corner
    double length = 0;   // line length, device pixels
    double depth = 0;    // room across the lines, device pixels
};

} // namespace

void paintLayout(LayoutState& s, QPainter* canvas, TextHAlign hAlign, TextVAlign vAlign,
                 const std::function<void(const QString&, const QRectF&)>& onLine)
{
    QPaintDevice* device = canvas->device();
    // Printers and PDF writers are paged devices.
    const bool printer = dynamic_cast<QPagedPaintDevice*>(device) != nullptr;
    const int dpi = printer ? device->logicalDpiY() : 96;
    auto devicePixels = [&](int points) {
        const double px = printer ? dpi * points * s.printScale / 72.0 : points * s.scaleY * 96.0 / 72.0;
        return std::max(1, int(std::lround(px)));
    };
    DeviceFonts fonts(s.family, device);

    const int lineCount = int(s.lines.size());
    const int baseHeight = devicePixels(s.pointSize);
    const double pitch = baseHeight + s.lineSpacing * s.scaleY;
    double step = pitch;
    double blockHeight = lineCount * pitch;
    if (s.wysiwyg) {
        // The block keeps the reference height; the difference goes into the gaps.
        blockHeight = lineCount * s.lineHeight() * s.scaleY;
        if (lineCount > 1)
            step = pitch + (blockHeight - lineCount * pitch) / (lineCount - 1);
    }

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

    canvas->save();
    if (s.clipped)
        canvas->setClipRect(r, Qt::IntersectClip);
    canvas->setTransform(frame.toDevice, true);

    double y = 0;
    if (vAlign == TextVAlign::vaBottom)
        y = frame.depth - blockHeight;
    else if (vAlign == TextVAlign::vaCenter)
        y = (frame.depth - blockHeight) / 2;

    const int spacing = int(std::lround(s.charSpacing * s.scaleX));
    const int indent = int(std::lround(s.paragraphGap * s.scaleX));
    std::vector<Glyph> glyphs;
    std::vector<int> extra;

    for (int i = 0; i < lineCount; ++i, y += step) {
        const OutputLine& line = s.lines[i];
        glyphs.clear();
        for (int k = line.start; k < line.start + line.length; ++k)
            glyphs.push_back({s.chars[k], s.tagAt(k)});
        if (line.hyphen)
            glyphs.push_back({u'-', glyphs.back().tag});

        // Device widths, character by character as the reference layout measured them.
        int ownWidth = 0;
        bool boldOrItalic = false;
        for (size_t g = 0; g < glyphs.size(); ++g) {
            Glyph& gl = glyphs[g];
            boldOrItalic |= (gl.tag.Style & (fsBold | fsItalic)) != 0;
            if (QChar::isLowSurrogate(gl.c) && g > 0 && QChar::isHighSurrogate(glyphs[g - 1].c))
                continue;
            const auto& f = fonts.get(gl.tag.Style, devicePixels(gl.tag.Size));
            double advance;
            if (QChar::isHighSurrogate(gl.c) && g + 1 < glyphs.size() && QChar::isLowSurrogate(glyphs[g + 1].c)) {
                const QChar pair[2] = {QChar(gl.c), QChar(glyphs[g + 1].c)};
                advance = f.metrics.horizontalAdvance(QString(pair, 2));
            } else {
                advance = f.metrics.horizontalAdvance(QChar(gl.c));
            }
            gl.width = int(std::lround(advance)) + spacing;
            ownWidth += gl.width;
        }
        int lineWidth = ownWidth;
        if (s.wysiwyg) {
            lineWidth = int(std::lround(double(s.referenceWidth(line)) / kReferencePerUnit * s.scaleX));
            extra.assign(glyphs.size(), 0);
            spreadPixels(extra.data(), int(glyphs.size()), lineWidth - ownWidth);
            for (size_t g = 0; g < glyphs.size(); ++g)
                glyphs[g].width += extra[g];
        }

        // Horizontal start.
        const bool indented = line.paragraphStart && (hAlign == TextHAlign::haLeft || hAlign == TextHAlign::haBlock);
        double x = indented ? indent : 0;
        bool justify = false;
        switch (hAlign) {
        case TextHAlign::haLeft:
            break;
        case TextHAlign::haRight:
            x = frame.length - lineWidth - (boldOrItalic ? 1 : 0);
            break;
        case TextHAlign::haCenter:
            x = (frame.length - lineWidth) / 2;
            break;
        case TextHAlign::haBlock: {
            int spaces = 0;
            for (const Glyph& gl : glyphs)
                spaces += isJustifiableSpace(gl.c) ? 1 : 0;
            justify = !line.paragraphEnd && spaces > 0;
            if (justify) {
                const int free = int(std::floor(frame.length - x - lineWidth));
                if (free > 0) {
                    int each = free / spaces, rest = free % spaces;
                    for (Glyph& gl : glyphs) {
                        if (!isJustifiableSpace(gl.c))
                            continue;
                        gl.width += each + (rest > 0 ? 1 : 0);
                        rest = std::max(0, rest - 1);
                    }
                    lineWidth += free;
                }
            } else if (s.rtlReading) {
                x = frame.length - lineWidth;
            }
            break;
        }
        }

        if (onLine)
            onLine(s.lineText(line), canvas->transform().mapRect(QRectF(x, y, lineWidth, pitch)));
        if (s.rtlReading) {
            // Right-to-left reading needs the whole line shaped at once.
            const auto& f = fonts.get(s.baseStyle, baseHeight);
            canvas->setFont(f.font);
            canvas->setPen(QColor(glyphs.front().tag.Color));
            QTextOption option(Qt::AlignRight | Qt::AlignTop);
            option.setTextDirection(Qt::RightToLeft);
            option.setWrapMode(QTextOption::NoWrap);
            canvas->drawText(QRectF(x, y, std::max(lineWidth, 1), pitch), s.lineText(line), option);
            continue;
        }

        for (size_t g = 0; g < glyphs.size(); ++g) {
            const Glyph& gl = glyphs[g];
            const auto& f = fonts.get(gl.tag.Style, devicePixels(gl.tag.Size));
            const QColor color(gl.tag.Color);
            double baseline = y + f.metrics.ascent();
            if (gl.tag.AddY)
                baseline += std::lround(gl.tag.Size * s.scaleY);
            if (!isJustifiableSpace(gl.c) && !QChar::isLowSurrogate(gl.c)) {
                canvas->setFont(f.font);
                canvas->setPen(color);
                if (QChar::isHighSurrogate(gl.c) && g + 1 < glyphs.size()) {
                    const QChar pair[2] = {QChar(gl.c), QChar(glyphs[g + 1].c)};
                    canvas->drawText(QPointF(x, baseline), QString(pair, 2));
                } else {
                    canvas->drawText(QPointF(x, baseline), QString(QChar(gl.c)));
                }
            }
            // Ruled per character, so the rule runs on through the added pixels.
            const double rule = std::max(1.0, std::round(f.metrics.lineWidth()));
            if (gl.tag.Style & fsUnderline)
                canvas->fillRect(QRectF(x, std::round(baseline + f.metrics.underlinePos()), gl.width, rule), color);
            if (gl.tag.Style & fsStrikeOut)
                canvas->fillRect(QRectF(x, std::round(baseline - f.metrics.strikeOutPos()), gl.width, rule), color);
            x += gl.width;
        }
    }
    canvas->restore();
}

} // namespace report::detail
