// Drawing laid-out text, checked by the pixels of rendered images.
#include "layout_fixture.h"

#include "report/layout/detail/pixel_spread.h"

#include <cmath>

using namespace layout_test;
using report::TextHAlign;
using report::TextVAlign;

namespace {

const QString kParagraph = QStringLiteral(
    "The quotation lists every part of the computer with its quantity, unit price and amount, "
    "and the total at the end of the last page.");

// Ink extents of each output line of a layout drawn at `scale` from the top of the image,
// read in the rows where the glyph bodies are (descenders reach into the next line).
std::vector<std::pair<int, int>> lineInk(const Layout& l, const QImage& image, double scale)
{
    std::vector<std::pair<int, int>> out;
    const double lh = l.engine.LineHeight() * scale;
    for (int i = 0; i < l.engine.LineCount(); ++i)
        out.push_back(inkColumns(image, int(std::ceil((i + 0.4) * lh)), int(std::floor((i + 0.85) * lh))));
    return out;
}

TEST(LayoutDrawing, BoldAndColouredRunsShowInThePixels)
{
    Settings s;
    s.html = true;
    s.points = 20;
    s.width = 400;
    auto ink = [&](const QString& text, auto&& accept) {
        Layout l(s, text);
        return countPixels(l.render(QSize(420, 60)), accept);
    };
    auto dark = [](QRgb c) { return isInk(c); };
    EXPECT_GT(ink(QStringLiteral("<b>IIIIHHHH</b>"), dark), ink(QStringLiteral("IIIIHHHH"), dark) * 13 / 10);

    auto exactly = [](QRgb rgb) { return [rgb](QRgb c) { return (c & 0xFFFFFF) == rgb; }; };
    auto grey = [](QRgb c) { return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100; };
    const QString red = QStringLiteral("<font color=\"#FF0000\">HHHH</font>");
    EXPECT_GT(ink(red, exactly(0xFF0000)), 100);
    EXPECT_EQ(ink(red, grey), 0);
    const QString purple = QStringLiteral("<font color=purple>HHHH</font>");
    EXPECT_GT(ink(purple, exactly(0x800080)), 100);
    // Text after the font tag is back in the object's colour.
    EXPECT_GT(ink(red + QStringLiteral("HHHH"), exactly(0x000000)), 100);
}

TEST(LayoutDrawing, JustifiedLinesEndFlushExceptTheLast)
{
    Settings s;
    s.width = 240;
    s.height = 200;
    Layout l(s, kParagraph);
    ASSERT_GE(l.engine.LineCount(), 3);
    const QImage block = l.render(QSize(300, 200), TextHAlign::haBlock);
    const auto lines = lineInk(l, block, 1.0);
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_GE(lines[i].second, 240 - 3) << "line " << i;
    EXPECT_LT(lines.back().second, 240 - 20);
    for (const auto& [left, right] : lines)
        EXPECT_LE(left, 4);

    // Left alignment leaves the same lines ragged.
    const auto ragged = lineInk(l, l.render(QSize(300, 200), TextHAlign::haLeft), 1.0);
    int flush = 0;
    for (size_t i = 0; i + 1 < ragged.size(); ++i)
        flush += ragged[i].second >= 240 - 3 ? 1 : 0;
    EXPECT_LT(flush, int(ragged.size()) - 1);
}

TEST(LayoutDrawing, RightAndCentreAlignment)
{
    Settings s;
    s.width = 240;
    s.height = 200;
    Layout l(s, kParagraph);
    for (const auto& [left, right] : lineInk(l, l.render(QSize(300, 200), TextHAlign::haRight), 1.0)) {
        EXPECT_LE(right, 240);
        EXPECT_GE(right, 240 - 4);
    }
    for (const auto& [left, right] : lineInk(l, l.render(QSize(300, 200), TextHAlign::haCenter), 1.0))
        EXPECT_NEAR(left, 240 - 1 - right, 4);

    // Right-to-left reading puts the last line of a justified paragraph at the right edge.
    s.rtl = true;
    Layout rtl(s, u8("שלום עולם"));
    const auto [left, right] = lineInk(rtl, rtl.render(QSize(300, 200), TextHAlign::haBlock), 1.0).front();
    EXPECT_GE(right, 240 - 4);
    EXPECT_GT(left, 120);
}

TEST(LayoutDrawing, VerticalAlignmentMovesTheBlock)
{
    Settings s;
    s.width = 200;
    s.height = 100;
    Layout l(s, QStringLiteral("Total"));
    const QRect bottom = inkRect(l.render(QSize(200, 100), TextHAlign::haLeft, TextVAlign::vaBottom), isInk);
    EXPECT_GE(bottom.bottom(), 100 - 1 - l.engine.LineHeight());
    EXPECT_GT(bottom.top(), 100 - 2 * l.engine.LineHeight());
    const QRect centre = inkRect(l.render(QSize(200, 100), TextHAlign::haLeft, TextVAlign::vaCenter), isInk);
    EXPECT_NEAR(centre.center().y(), 50, l.engine.LineHeight() / 2);
}

TEST(LayoutDrawing, ScreenAt100PercentAndPrinterAt600DpiPlaceLinesAlike)
{
    // The second text has narrow letters that round up at 12 screen pixels and would drift
    // far from their printed places without the spreading of pixels.
    const std::pair<const char*, QString> cases[] = {
        {"宋体", u8("金士顿 FURY DDR5 6000MHz 32GB 台式机内存条 频率6000 时序CL30 RGB灯条 黑色散热马甲")},
        {"Arial", QStringLiteral("iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii "
                                 "iiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiiii")},
    };
    for (const auto& [family, text] : cases) {
        Settings s;
        s.family = u8(family);
        s.points = 9;
        s.width = 75 * kUnitsPerMm;
        s.height = 80;
        Layout screen(s, text);
        Layout printer(s, QString());
        constexpr double k600 = 600.0 / 96.0;
        printer.apply(s, text, k600);
        ASSERT_EQ(screen.lines(), printer.lines());
        ASSERT_GE(screen.engine.LineCount(), 2);

        const QImage small = screen.render(QSize(int(s.width) + 10, int(s.height)), TextHAlign::haLeft);
        const QImage large = printer.render(QSize(int((s.width + 10) * k600), int(s.height * k600)), TextHAlign::haLeft);
        const auto a = lineInk(screen, small, 1.0);
        const auto b = lineInk(printer, large, k600);
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_NEAR(b[i].first / k600, a[i].first, 2.5) << family << " line " << i;
            EXPECT_NEAR(b[i].second / k600, a[i].second, 2.5) << family << " line " << i;
        }
    }
}

TEST(LayoutDrawing, RotatedLinesStartAtTheirCorner)
{
    Settings s;
    s.width = 100;
    s.height = 200;
    s.points = 12;
    for (int rotation : {90, 270, 180, 45}) {
        s.rotation = rotation;
        Layout l(s, QStringLiteral("Rotated"));
        const QRect ink = inkRect(l.render(QSize(100, 200)), isInk);
        ASSERT_FALSE(ink.isEmpty()) << rotation;
        if (rotation == 90) { // upwards from the bottom-left corner
            EXPECT_GT(ink.height(), 2 * ink.width());
            EXPECT_LT(ink.left(), 5);
            EXPECT_GT(ink.bottom(), 190);
        } else if (rotation == 270) { // downwards from the top-right corner
            EXPECT_GT(ink.height(), 2 * ink.width());
            EXPECT_GT(ink.right(), 94);
            EXPECT_LT(ink.top(), 10);
        } else if (rotation == 180) { // leftwards from the bottom-right corner
            EXPECT_GT(ink.width(), 2 * ink.height());
            EXPECT_GT(ink.right(), 94);
            EXPECT_GT(ink.bottom(), 190);
        } else { // a diagonal block, inside the area
            EXPECT_NEAR(double(ink.width()) / ink.height(), 1.0, 0.5);
        }
    }
}

TEST(LayoutDrawing, ClippingKeepsTextInsideItsArea)
{
    Settings s;
    s.wordWrap = false;
    s.width = 60;
    s.height = 20;
    Layout clipped(s, kParagraph);
    EXPECT_LT(inkRect(clipped.render(QSize(300, 40)), isInk).right(), 60);
    s.clipped = false;
    Layout free(s, kParagraph);
    EXPECT_GT(inkRect(free.render(QSize(300, 40)), isInk).right(), 200);
}

TEST(LayoutDrawing, UnderlineRunsUnderTheWholeRun)
{
    Settings s;
    s.html = true;
    s.points = 16;
    s.width = 300;
    auto longestRun = [&](const QString& text) {
        Layout l(s, text);
        const QImage image = l.render(QSize(300, 40));
        int longest = 0;
        for (int y = 0; y < image.height(); ++y) {
            int run = 0;
            for (int x = 0; x < image.width(); ++x) {
                run = isInk(image.pixel(x, y)) ? run + 1 : 0;
                longest = std::max(longest, run);
            }
        }
        return longest;
    };
    const double width = unboundedWidth(s, QStringLiteral("nnnn nnnn"));
    EXPECT_GE(longestRun(QStringLiteral("<u>nnnn nnnn</u>")), width - 3);
    EXPECT_LT(longestRun(QStringLiteral("nnnn nnnn")), width / 4);
}

TEST(LayoutDrawing, SpreadingPixelsByHalving)
{
    auto spread = [](int count, int pixels) {
        std::vector<int> extra(count, 0);
        report::detail::spreadPixels(extra.data(), count, pixels);
        return extra;
    };
    EXPECT_EQ(spread(5, 1), (std::vector<int>{0, 0, 1, 0, 0}));
    EXPECT_EQ(spread(8, 2), (std::vector<int>{0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(spread(4, -4), (std::vector<int>{-1, -1, -1, -1}));
    EXPECT_EQ(spread(4, 6), (std::vector<int>{1, 2, 1, 2}));
    // Never more than one pixel apart, and none lost.
    for (int count : {1, 7, 33})
        for (int pixels : {-40, -3, 0, 5, 33, 70}) {
            const auto e = spread(count, pixels);
            int sum = 0;
            for (int v : e)
                sum += v;
            EXPECT_EQ(sum, pixels);
            EXPECT_LE(*std::max_element(e.begin(), e.end()) - *std::min_element(e.begin(), e.end()), 1);
        }
}

} // namespace
