#include "report/layout/glyph_drawing.h"

#include "report/layout/glyph_fonts.h"

#include <QColor>
#include <QGlyphRun>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <vector>

namespace report {

namespace {

// Horizontal positions are kept to a quarter pixel, as the raster engine keeps them;
// vertical ones are rounded to whole pixels.
constexpr int kSubpixels = 4;
// Larger glyphs (headlines on a 300 dpi picture) are few and go through the painter.
constexpr int kLargestMask = 256;
// The masks kept; past this the store starts again (a page's glyphs refill it at once).
constexpr qsizetype kStoreBytes = 16 << 20;

struct Mask {
    QImage coverage; // Format_Alpha8; null for a glyph without ink
    QPoint offset;   // of its top-left pixel from the glyph's spot
    bool drawable = true; // false: a huge or colour glyph, for the painter
};

// Where a glyph at device (x, y) lands, found as the raster engine finds it: the position
// is cut to 1/64 pixel (towards zero); x goes down to its quarter pixel with 1/64 to
// spare, y to the nearest whole pixel.
struct Spot {
    int column;
    int subpixel;
    int row;
};
Spot spotOf(double x, double y)
{
    const auto sixtyFourths = [](double v) { return qint64(v * 64); };
    const qint64 fx = sixtyFourths(x);
    Spot s{int(fx >> 6), int(fx & 63), int((sixtyFourths(y) + 32) >> 6)};
    if (s.subpixel != 0)
        s.subpixel = (s.subpixel + 1) * kSubpixels >> 6;
    if (s.subpixel == kSubpixels) {
        ++s.column;
        s.subpixel = 0;
    }
    return s;
}

// The mask is what the painter itself draws of the glyph, in black on white at the
// quarter pixel: its shape, placement and edge blending (which some fonts have
// gamma-corrected) are then the painter's own.
Mask makeMask(const QRawFont& font, quint32 glyph, int subpixel)
{
    Mask m;
    const QRectF box = font.boundingRect(glyph);
    if (box.width() > kLargestMask || box.height() > kLargestMask) {
        m.drawable = false;
        return m;
    }
    constexpr int kMargin = 3;
    const QPoint origin(kMargin - int(std::floor(box.left())), kMargin - int(std::floor(box.top())));
    QImage scratch(int(std::ceil(box.width())) + 2 * kMargin + 2, int(std::ceil(box.height())) + 2 * kMargin + 2,
                   QImage::Format_RGB32);
    scratch.fill(Qt::white);
    {
        QPainter painter(&scratch);
        QGlyphRun run;
        run.setRawFont(font);
        run.setGlyphIndexes({glyph});
        run.setPositions({QPointF(origin.x() + double(subpixel) / kSubpixels, origin.y())});
        painter.setPen(Qt::black);
        painter.drawGlyphRun(QPointF(0, 0), run);
    }
    int left = scratch.width(), right = -1, top = scratch.height(), bottom = -1;
    for (int y = 0; y < scratch.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width(); ++x) {
            const QRgb p = line[x];
            if (qRed(p) != qGreen(p) || qGreen(p) != qBlue(p)) {
                m.drawable = false; // a colour glyph
                return m;
            }
            if (qRed(p) != 255) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0)
        return m;
    if (left == 0 || top == 0 || right == scratch.width() - 1 || bottom == scratch.height() - 1) {
        m.drawable = false; // ink beyond its bounding box may be cut: the painter draws it
        return m;
    }
    const QRect ink(QPoint(left, top), QPoint(right, bottom));
    QImage coverage(ink.size(), QImage::Format_Alpha8);
    for (int y = 0; y < ink.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(scratch.constScanLine(ink.top() + y)) + ink.left();
        uchar* dst = coverage.scanLine(y);
        for (int x = 0; x < ink.width(); ++x)
            dst[x] = uchar(255 - qRed(src[x]));
    }
    m.coverage = std::move(coverage);
    m.offset = ink.topLeft() - origin;
    return m;
}

class MaskStore {
public:
    // Drops every mask when the store is over its size or fonts it was kept for are gone
    // (their addresses may come again); only between drawings, since the masks of one
    // drawing are held by address.
    void trim()
    {
        if (bytes_ > kStoreBytes || fontsGone_ != GlyphFonts::retiredSets()) {
            masks_.clear();
            bytes_ = 0;
            fontsGone_ = GlyphFonts::retiredSets();
        }
    }

    const Mask& get(const QRawFont& font, quint32 glyph, int subpixel)
    {
        const Key key{&font, quint64(glyph) * kSubpixels + quint64(subpixel)};
        auto it = masks_.find(key);
        if (it == masks_.end()) {
            it = masks_.emplace(key, makeMask(font, glyph, subpixel)).first;
            bytes_ += it->second.coverage.sizeInBytes() + qsizetype(sizeof(Mask) + sizeof(Key));
        }
        return it->second;
    }

private:
    struct Key {
        const QRawFont* font;
        quint64 glyph;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        std::size_t operator()(const Key& k) const
        {
            return std::hash<const void*>()(k.font) ^ std::hash<quint64>()(k.glyph * 0x9E3779B97F4A7C15ull);
        }
    };
    std::unordered_map<Key, Mask, KeyHash> masks_;
    qsizetype bytes_ = 0;
    quint64 fontsGone_ = 0;
};

MaskStore& maskStore()
{
    static MaskStore store; // drawing happens on the GUI thread only
    return store;
}

// The fast path takes canvases whose blending of a picture equals that of text: raster
// ones, untransformed but for a move, blending over, with antialiased text on whole pixel
// rows, in an opaque colour.
bool composable(const QPainter& canvas, const QColor& color)
{
    const QPaintEngine* engine = canvas.paintEngine();
    return engine && engine->type() == QPaintEngine::Raster && canvas.deviceTransform().type() <= QTransform::TxTranslate
           && canvas.compositionMode() == QPainter::CompositionMode_SourceOver
           && canvas.testRenderHint(QPainter::TextAntialiasing)
           && !canvas.testRenderHint(QPainter::VerticalSubpixelPositioning) && color.alpha() == 255;
}

void drawThroughPainter(QPainter& canvas, const QRawFont& font, const QColor& color, const QList<quint32>& indexes,
                        const QList<QPointF>& positions)
{
    if (indexes.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(indexes);
    run.setPositions(positions);
    canvas.setPen(color);
    canvas.drawGlyphRun(QPointF(0, 0), run);
}

struct Placed {
    const Mask* mask;
    QPoint at; // device pixel of the mask's top-left corner
};

// Composes placed masks into one picture of their bounding box and blends it in.
class Composer {
public:
    Composer(QPainter& canvas, QRgb color, QPointF shift) : canvas_(canvas), shift_(shift)
    {
        for (int a = 0; a < 256; ++a)
            colors_[a] = qPremultiply(qRgba(qRed(color), qGreen(color), qBlue(color), a));
    }

    // A new glyph far from the others (another line) first sends those, so that the
    // picture stays about as large as the ink it carries.
    void add(const Placed& p)
    {
        const QRect rect(p.at, p.mask->coverage.size());
        const QRect joined = box_.isNull() ? rect : box_.united(rect);
        const qint64 ink = ink_ + qint64(rect.width()) * rect.height();
        if (!box_.isNull() && qint64(joined.width()) * joined.height() > 3 * ink + 4096) {
            flush();
            add(p);
            return;
        }
        box_ = joined;
        ink_ = ink;
        placed_.push_back(p);
    }

    void flush()
    {
        if (placed_.empty())
            return;
        QImage picture(box_.size(), QImage::Format_ARGB32_Premultiplied);
        picture.fill(0);
        uchar* bits = picture.bits();
        const qsizetype stride = picture.bytesPerLine();
        for (const Placed& p : placed_) {
            const QImage& mask = p.mask->coverage;
            const int left = p.at.x() - box_.left();
            const int top = p.at.y() - box_.top();
            const int width = mask.width();
            const int height = mask.height();
            const qsizetype maskStride = mask.bytesPerLine();
            const uchar* maskBits = mask.constBits();
            for (int y = 0; y < height; ++y) {
                const uchar* src = maskBits + y * maskStride;
                auto* dst = reinterpret_cast<QRgb*>(bits + (top + y) * stride) + left;
                for (int x = 0; x < width; ++x) {
                    // A glyph over another covers its share of what the first left
                    // uncovered, as drawing one after the other would.
                    const uint under = qAlpha(dst[x]);
                    dst[x] = colors_[under + (((255 - under) * src[x] + 127) * 257 >> 16)];
                }
            }
        }
        // The picture's corner is a whole device pixel; the move in the painter is undone.
        canvas_.drawImage(QPointF(box_.left() - shift_.x(), box_.top() - shift_.y()), picture);
        placed_.clear();
        box_ = QRect();
        ink_ = 0;
    }

private:
    QPainter& canvas_;
    QPointF shift_;
    std::array<QRgb, 256> colors_{};
    std::vector<Placed> placed_;
    QRect box_;
    qint64 ink_ = 0;
};

} // namespace

void drawGlyphs(QPainter& canvas, const QRawFont& font, const QColor& color, const QList<quint32>& indexes,
                const QList<QPointF>& positions)
{
    if (!composable(canvas, color)) {
        drawThroughPainter(canvas, font, color, indexes, positions);
        return;
    }
    MaskStore& store = maskStore();
    store.trim();
    const QPointF shift(canvas.deviceTransform().dx(), canvas.deviceTransform().dy());
    Composer composer(canvas, color.rgb(), shift);
    QList<quint32> leftIndexes;
    QList<QPointF> leftPositions;
    const qsizetype count = std::min(indexes.size(), positions.size());
    for (qsizetype i = 0; i < count; ++i) {
        const Spot spot = spotOf(positions[i].x() + shift.x(), positions[i].y() + shift.y());
        const Mask& mask = store.get(font, indexes[i], spot.subpixel);
        if (!mask.drawable) {
            leftIndexes.push_back(indexes[i]);
            leftPositions.push_back(positions[i]);
        } else if (!mask.coverage.isNull()) {
            composer.add({&mask, QPoint(spot.column, spot.row) + mask.offset});
        }
    }
    composer.flush();
    drawThroughPainter(canvas, font, color, leftIndexes, leftPositions);
}

void drawCharacterAlone(QPainter& canvas, const QFont& font, const QColor& color, QPointF at, const QChar* chars,
                        int count)
{
    canvas.setFont(font);
    canvas.setPen(color);
    canvas.drawText(at, QString(chars, count));
}

} // namespace report
