#include "report/rich/rich_paint.h"

#include "report/layout/glyph_drawing.h"
#include "report/layout/glyph_fonts.h"
#include "report/layout/reference_device.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace report::rich {

namespace {

// The glyphs of one raw font within a run.
struct GlyphBatch {
    const QRawFont* font;
    QList<quint32> indexes;
    QList<QPointF> positions;
};

bool isDrawn(char16_t c) { return c > 0x20 && !(c >= 0xDC00 && c < 0xE000) && c != 0x00A0; }

// Where reference points land on the device.
struct DeviceMap {
    QPointF origin;
    double sx, sy;
    QPointF at(double x, double y) const { return {origin.x() + x * sx, origin.y() + y * sy}; }
    QRectF rect(double left, double top, double width, double height) const
    {
        return {at(left, top), QSizeF(width * sx, height * sy)};
    }
};

void drawDecorations(QPainter& canvas, const CharFormat& f, const DeviceMap& map, double left, double right,
                     double baseline, int px, const QColor& color)
{
    if (!f.underline && !f.strike)
        return;
    const double thickness = std::max(1.0 / map.sy, px / 16.0);
    if (f.underline)
        canvas.fillRect(map.rect(left, baseline + px * 0.08, right - left, thickness), color);
    if (f.strike)
        canvas.fillRect(map.rect(left, baseline - px * 0.3, right - left, thickness), color);
}

// Pictures stand on the baseline at their shown size; one that does not decode leaves its
// box empty. Pictures are decoded for each drawing: a document keeps none.
void drawPictures(QPainter& canvas, const RichPicture& picture, const RichLayout& layout, const DeviceMap& map,
                  const RichLine& line, int start, int end)
{
    const QImage image = decodePicture(picture);
    if (image.isNull())
        return;
    const int width = twipsToReference(picture.width);
    const int height = twipsToReference(picture.height);
    const double top = line.top + line.baseline - height;
    for (int i = start; i < end; ++i)
        canvas.drawImage(map.rect(layout.x[i], top, width, height), image);
}

// Glyphs are drawn from fonts of the device size at positions of the reference layout:
// the device only decides their shapes, and the glyph cache of the canvas serves them.
void drawRun(QPainter& canvas, const RichDocument& doc, const RichLayout& layout, const DeviceMap& map,
             const RichLine& line, int start, int end)
{
    const CharFormat& f = doc.formatAt(start);
    if (f.picture) {
        drawPictures(canvas, *f.picture, layout, map, line, start, end);
        return;
    }
    const int px = referenceFontHeight(f.halfPoints);
    const double left = layout.x[start];
    const double right = layout.x[end - 1] + layout.width[end - 1];
    if (f.hasHighlight)
        canvas.fillRect(map.rect(left, line.top, right - left, line.height), QColor::fromRgb(f.highlight));

    const QColor color = f.autoColor ? QColor(Qt::black) : QColor::fromRgb(f.color);
    const report::GlyphFonts& fonts = report::GlyphFonts::of(f.face, px * map.sy, f.bold, f.italic);
    const double baseline = line.top + line.baseline;
    const QString& text = doc.text();
    std::vector<GlyphBatch> batches;
    std::optional<QFont> fallback;
    for (int i = start; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (!isDrawn(c))
            continue;
        const int count = (c >= 0xD800 && c < 0xDC00 && i + 1 < end) ? 2 : 1;
        const report::GlyphRef g = fonts.glyph(text.constData() + i, count);
        if (g.index == 0) {
            if (!fallback)
                fallback = report::ReferenceDevice::makeFont(f.face, std::max(1, int(std::lround(px * map.sy))),
                                                                     f.bold, f.italic);
            report::drawCharacterAlone(canvas, *fallback, color, map.at(layout.x[i], baseline),
                                               text.constData() + i, count);
            continue;
        }
        auto batch = std::find_if(batches.begin(), batches.end(), [&](const GlyphBatch& b) { return b.font == g.font; });
        if (batch == batches.end())
            batch = batches.insert(batches.end(), GlyphBatch{g.font, {}, {}});
        batch->indexes.push_back(g.index);
        batch->positions.push_back(map.at(layout.x[i], baseline));
    }
    for (const GlyphBatch& b : batches)
        report::drawGlyphs(canvas, *b.font, color, b.indexes, b.positions);
    drawDecorations(canvas, f, map, left, right, baseline, px, color);
}

// The line's text and where its characters stand, on the device.
void reportLine(const QPainter& canvas, const RichDocument& doc, const RichLayout& layout, const DeviceMap& map,
                const RichLine& line, const RichLineObserver& onLine)
{
    const bool empty = line.end <= line.start;
    const double left = empty ? 0 : layout.x[line.start];
    const double right = empty ? 0 : layout.x[line.end - 1] + layout.width[line.end - 1];
    const QRectF rect = map.rect(left, line.top, right - left, line.height);
    onLine(doc.text().sliced(line.start, line.end - line.start), canvas.transform().mapRect(rect));
}

} // namespace

void paintRich(QPainter& canvas, const RichDocument& document, const RichLayout& layout, QPointF origin,
               double scaleX, double scaleY, int maxHeight, const RichLineObserver& onLine)
{
    const DeviceMap map{origin, scaleX, scaleY};
    canvas.save();
    for (std::size_t l = 0; l < layout.lines.size(); ++l) {
        const RichLine& line = layout.lines[l];
        if (l > 0 && line.top + line.height > maxHeight)
            break;
        if (onLine)
            reportLine(canvas, document, layout, map, line, onLine);
        for (int i = line.start; i < line.end;) {
            const CharFormat* f = &document.formatAt(i);
            int runEnd = i + 1;
            while (runEnd < line.end && &document.formatAt(runEnd) == f)
                ++runEnd;
            drawRun(canvas, document, layout, map, line, i, runEnd);
            i = runEnd;
        }
    }
    canvas.restore();
}

} // namespace report::rich
