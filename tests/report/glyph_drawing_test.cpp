// Runs of glyphs composed into one picture on raster canvases: they must look exactly as
// the painter's own glyph runs do, and other canvases must still get real text.
#include "report/layout/glyph_drawing.h"
#include "report/layout/glyph_fonts.h"
#include "report/layout/reference_device.h"

#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QCoreApplication>
#include <QPicture>

#include <functional>

using report::drawGlyphs;
using report::GlyphFonts;

namespace {

struct GlyphLine {
    const QRawFont* font = nullptr;
    QList<quint32> indexes;
    QList<QPointF> positions;
};

// A line of text from the Song face (Chinese) or a Latin face at fractional positions,
// as justified lines and scaled previews place them.
GlyphLine runOf(const QString& family, double pixels, const QString& text, QPointF start, double advance)
{
    GlyphLine r;
    r.font = GlyphFonts::of(family, pixels, false, false).glyph(text.constData(), 1).font;
    for (int i = 0; i < text.size(); ++i) {
        const auto g = GlyphFonts::of(family, pixels, false, false).glyph(text.constData() + i, 1);
        r.indexes.push_back(g.index);
        r.positions.push_back(start + QPointF(i * advance, 0));
    }
    return r;
}

QImage canvas(QColor fill = Qt::white)
{
    QImage image(420, 80, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QImage painted(QImage image, const std::function<void(QPainter&)>& draw)
{
    QPainter p(&image);
    draw(p);
    return image;
}

void painterRun(QPainter& p, const GlyphLine& r, const QColor& color)
{
    QGlyphRun run;
    run.setRawFont(*r.font);
    run.setGlyphIndexes(r.indexes);
    run.setPositions(r.positions);
    p.setPen(color);
    p.drawGlyphRun(QPointF(0, 0), run);
}

int largestDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}

int inkPixels(const QImage& image, QRgb background = qRgb(255, 255, 255))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF);
    return n;
}

const QString kChinese = QStringLiteral("电脑配置单主板处理器内存硬盘显卡机箱电源");
const QString kLatin = QStringLiteral("Quotation total 12,345.67 yuan");

} // namespace

TEST(GlyphDrawing, ComposedRunsEqualThePaintersOwnOnWhiteAtQuarterPixels)
{
    for (const GlyphLine& r : {runOf(QStringLiteral("宋体"), 13, kChinese, {3.1, 20.4}, 13.37),
                         runOf(QStringLiteral("宋体"), 16, kLatin, {2.6, 40.7}, 9.29),
                         runOf(QStringLiteral("Arial"), 11, kLatin, {4.98, 64.5}, 6.61)}) {
        ASSERT_FALSE(r.indexes.contains(0u));
        for (const QPointF move : {QPointF(0, 0), QPointF(5.3, 7.6), QPointF(-0.49, 0.5)}) {
            const QImage ours = painted(canvas(), [&](QPainter& p) {
                p.translate(move);
                drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions);
            });
            const QImage theirs = painted(canvas(), [&](QPainter& p) {
                p.translate(move);
                painterRun(p, r, Qt::black);
            });
            EXPECT_GT(inkPixels(ours), 200);
            // Where two glyphs' edges meet, rounding may differ by a level.
            EXPECT_LE(largestDifference(ours, theirs), 1) << "moved by " << move.x() << ", " << move.y();
        }
    }
}

TEST(GlyphDrawing, ColouredTextAndColouredGroundsBlendLikeThePainters)
{
    const GlyphLine r = runOf(QStringLiteral("宋体"), 13, kChinese, {3.1, 20.4}, 13.37);
    // Fully covered pixels take the colour exactly; edges stay within a level or two of the
    // painter's blending, on white and on a grey ground.
    const QImage red = painted(canvas(), [&](QPainter& p) { drawGlyphs(p, *r.font, Qt::red, r.indexes, r.positions); });
    int solid = 0;
    for (int y = 0; y < red.height(); ++y)
        for (int x = 0; x < red.width(); ++x) {
            solid += red.pixel(x, y) == qRgb(255, 0, 0);
            EXPECT_EQ(qRed(red.pixel(x, y)), 255) << x << "," << y; // no dark fringes
        }
    EXPECT_GT(solid, 20);
    EXPECT_LE(largestDifference(red, painted(canvas(), [&](QPainter& p) { painterRun(p, r, Qt::red); })), 2);
    const QImage silver = canvas(QColor(192, 192, 192));
    EXPECT_LE(largestDifference(painted(silver, [&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions); }),
                                painted(silver, [&](QPainter& p) { painterRun(p, r, Qt::black); })),
              2);
}

TEST(GlyphDrawing, ClipsOpacityAndOverlapsAreHonoured)
{
    const GlyphLine r = runOf(QStringLiteral("宋体"), 13, kChinese, {3.1, 20.4}, 13.37);
    // A clip through the middle of the line: nothing right of it changes.
    const QImage clipped = painted(canvas(), [&](QPainter& p) {
        p.setClipRect(QRect(0, 0, 100, 80));
        drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions);
    });
    EXPECT_EQ(inkPixels(clipped.copy(100, 0, 320, 80)), 0);
    EXPECT_EQ(largestDifference(clipped.copy(0, 0, 100, 80),
                                painted(canvas(), [&](QPainter& p) { painterRun(p, r, Qt::black); }).copy(0, 0, 100, 80)),
              0);

    // Half opacity leaves no pixel black.
    const QImage faint = painted(canvas(), [&](QPainter& p) {
        p.setOpacity(0.5);
        drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions);
    });
    int darkest = 255;
    for (int y = 0; y < faint.height(); ++y)
        for (int x = 0; x < faint.width(); ++x)
            darkest = std::min(darkest, qRed(faint.pixel(x, y)));
    EXPECT_GE(darkest, 126);
    EXPECT_LE(darkest, 129);

    // Two glyphs on one spot add up without wrapping round to light pixels.
    GlyphLine twice = r;
    twice.indexes += r.indexes;
    twice.positions += r.positions;
    const QImage once = painted(canvas(), [&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions); });
    const QImage both = painted(canvas(), [&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, twice.indexes, twice.positions); });
    for (int y = 0; y < once.height(); ++y)
        for (int x = 0; x < once.width(); ++x)
            ASSERT_LE(qRed(both.pixel(x, y)), qRed(once.pixel(x, y))) << x << "," << y;
}

TEST(GlyphDrawing, OtherCanvasesAndHugeGlyphsGetThePaintersGlyphRuns)
{
    const GlyphLine r = runOf(QStringLiteral("宋体"), 13, kChinese, {3.1, 20.4}, 13.37);
    // A recorded picture keeps the glyph run itself (PDF and printers take text the same way).
    const auto recorded = [&](const std::function<void(QPainter&)>& draw) {
        QPicture picture;
        {
            QPainter p(&picture);
            draw(p);
        }
        return painted(canvas(), [&](QPainter& p) { p.drawPicture(0, 0, picture); });
    };
    const QImage replayed = recorded([&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions); });
    EXPECT_GT(inkPixels(replayed), 200);
    EXPECT_EQ(largestDifference(replayed, recorded([&](QPainter& p) { painterRun(p, r, Qt::black); })), 0);
    // Turned text is the painter's too.
    const auto turned = [&](const std::function<void(QPainter&)>& draw) {
        return painted(canvas(), [&](QPainter& p) {
            p.translate(200, 0);
            p.rotate(10);
            draw(p);
        });
    };
    EXPECT_EQ(largestDifference(turned([&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions); }),
                                turned([&](QPainter& p) { painterRun(p, r, Qt::black); })),
              0);
    // A glyph larger than the kept masks.
    const GlyphLine big = runOf(QStringLiteral("宋体"), 300, QStringLiteral("电"), {20, 290}, 0);
    QImage large(360, 360, QImage::Format_RGB32);
    large.fill(Qt::white);
    const QImage ours = painted(large, [&](QPainter& p) { drawGlyphs(p, *big.font, Qt::black, big.indexes, big.positions); });
    EXPECT_GT(inkPixels(ours), 5000);
    EXPECT_EQ(largestDifference(ours, painted(large, [&](QPainter& p) { painterRun(p, big, Qt::black); })), 0);
}

// Fonts of many sizes (hostile text may name thousands) are not all kept: past a bound the
// kept fonts go when the event loop next runs, those handed out before stay usable until
// then, and drawing afterwards is as right as before.
TEST(GlyphDrawing, FontsOfManySizesAreNotAllKept)
{
    const quint64 before = GlyphFonts::retiredSets();
    const GlyphFonts& first = GlyphFonts::of(QStringLiteral("宋体"), 13, false, false);
    for (int size = 0; size < 300; ++size)
        GlyphFonts::of(QStringLiteral("宋体"), 20 + size * 0.5, false, false);
    const QChar dian(0x7535);
    EXPECT_NE(first.glyph(&dian, 1).index, 0u); // still usable before the event loop runs
    QCoreApplication::processEvents();
    EXPECT_GT(GlyphFonts::retiredSets(), before);

    const GlyphLine r = runOf(QStringLiteral("宋体"), 13, kChinese, {3.1, 20.4}, 13.37);
    EXPECT_EQ(largestDifference(painted(canvas(), [&](QPainter& p) { drawGlyphs(p, *r.font, Qt::black, r.indexes, r.positions); }),
                                painted(canvas(), [&](QPainter& p) { painterRun(p, r, Qt::black); })),
              0);
}

// Unknown family names (hostile text may name thousands) all fall to one installed font
// and share its kept fonts; names of different fonts keep their own.
TEST(GlyphDrawing, FamilyNamesThatResolveAlikeShareTheKeptFonts)
{
    using report::ReferenceDevice;
    ReferenceDevice& device = ReferenceDevice::instance();
    EXPECT_EQ(&device.table(QStringLiteral("No Such Font 1"), 100, false, false),
              &device.table(QStringLiteral("No Such Font 2"), 100, false, false));
    EXPECT_EQ(&GlyphFonts::of(QStringLiteral("No Such Font 3"), 13, false, false),
              &GlyphFonts::of(QStringLiteral("No Such Font 4"), 13, false, false));
    EXPECT_NE(&device.table(QStringLiteral("宋体"), 100, false, false),
              &device.table(QStringLiteral("No Such Font 1"), 100, false, false));
    EXPECT_NE(&device.table(QStringLiteral("宋体"), 100, false, false), &device.table(QStringLiteral("宋体"), 100, true, false));
}
