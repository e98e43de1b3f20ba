// Drawing prepared pages: positions with scale and offsets, mirrored margins, clipping to
// the paper on screen canvases, texts.
#include "pages_fixture.h"

#include <QPainter>
#include <QPicture>

using namespace pages_test;

namespace {

constexpr QRgb kCanvas = 0xff000000; // black around the paper

struct Painted {
    Template t;
    TfrxPreviewPages pages{t.report};

    Painted()
    {
        t.page->Color = clSilver;
        t.page->LeftMargin = 10;
        t.page->RightMargin = 40;
        t.page->TopMargin = 10;
        t.page->MirrorMargins = true;
        t.memo->Color = clRed;
        t.memo2->Color = clTransparent;
        t.memo2->SetLeft(680); // reaches beyond the printable width
        t.memo2->Color = 0xff0000; // blue
        t.memo2->SetWidth(400);
        Engine e(t, pages);
        for (int i = 0; i < 2; ++i) {
            e.newPage();
            e.row(100, QStringLiteral("Hello"));
        }
        e.finish();
    }

    QImage paint(int index, double scale, double ox, double oy)
    {
        QImage image(900, 1200, QImage::Format_RGB32);
        image.fill(kCanvas);
        QPainter painter(&image);
        pages.PaintPage(index, painter, scale, scale, ox, oy);
        return image;
    }
};

int countColor(const QImage& image, QRect r, QRgb color)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += image.pixel(x, y) == color;
    return n;
}

TEST(PaintPage, ObjectsSitInsideTheMarginsAtScaleAndOffset)
{
    Painted p;
    const QImage image = p.paint(0, 1.0, 5, 7);
    // Memo1: margin 10 mm (37.8 px) + its left 10, top 10 mm + band top 100.
    const double left = 5 + 10 * fr01cm + 10, top = 7 + 10 * fr01cm + 100;
    EXPECT_EQ(image.pixel(int(left) + 150, int(top) + 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(int(left) - 3, int(top) + 15), qRgb(192, 192, 192));
    // The text is drawn over the red fill.
    EXPECT_GT(countColor(image, QRect(int(left) + 2, int(top) + 2, 60, 14), qRgb(0, 0, 0)), 10);
    // Outside the paper nothing is drawn on a screen canvas, not even the memo that
    // reaches beyond it.
    const int paperRight = 5 + qRound(210 * fr01cm);
    EXPECT_EQ(image.pixel(paperRight - 2, int(top) + 10), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(paperRight + 2, int(top) + 10), kCanvas);
    EXPECT_EQ(image.pixel(2, 2), kCanvas);

    const QImage half = p.paint(0, 0.5, 0, 0);
    EXPECT_EQ(half.pixel(int((10 * fr01cm + 10 + 150) / 2), int((10 * fr01cm + 100 + 15) / 2)), qRgb(255, 0, 0));
}

TEST(PaintPage, EvenPagesOfMirroredPagesSwapTheMargins)
{
    Painted p;
    const int top = int(10 * fr01cm + 100 + 15);
    const QImage first = p.paint(0, 1.0, 0, 0);
    const QImage second = p.paint(1, 1.0, 0, 0);
    const int x1 = int(10 * fr01cm + 10) + 1;
    const int x2 = int(40 * fr01cm + 10) + 1;
    EXPECT_EQ(first.pixel(x1, top), qRgb(255, 0, 0));
    EXPECT_EQ(second.pixel(x1, top), qRgb(192, 192, 192));
    EXPECT_EQ(second.pixel(x2, top), qRgb(255, 0, 0));
    // The page itself keeps its margins.
    EXPECT_DOUBLE_EQ(p.pages.GetPreparedPage(1)->LeftMargin, 10);
}

TEST(PaintPage, MetafilesGetEveryObject)
{
    Painted p;
    QPicture picture;
    {
        QPainter painter(&picture);
        p.pages.PaintPage(0, painter, 1, 1, 0, 0);
    }
    QImage image(900, 1200, QImage::Format_RGB32);
    image.fill(kCanvas);
    QPainter painter(&image);
    picture.play(&painter);
    painter.end();
    const double left = 10 * fr01cm + 10, top = 10 * fr01cm + 100;
    EXPECT_EQ(image.pixel(int(left) + 150, int(top) + 15), qRgb(255, 0, 0));
}

TEST(PaintPage, TheTotalPageCountIsFilledIntoTextsAsTheyAreDrawn)
{
    // Three pages whose text names the page count, and one store whose text has the number
    // written out: drawn, the two are the same picture.
    auto paintFirst = [](const QString& text) {
        Template t;
        t.page->Color = clWhite;
        TfrxPreviewPages pages{t.report};
        Engine e(t, pages);
        for (int i = 0; i < 3; ++i) {
            e.newPage();
            e.row(100, text);
        }
        e.finish();
        QImage image(900, 1200, QImage::Format_RGB32);
        image.fill(kCanvas);
        QPainter painter(&image);
        pages.PaintPage(0, painter, 1, 1, 0, 0);
        painter.end();
        return image;
    };
    const QImage withPlaceholder = paintFirst(QStringLiteral("1 / [TotalPages#]"));
    const QImage written = paintFirst(QStringLiteral("1 / 3"));
    const QImage otherCount = paintFirst(QStringLiteral("1 / 4"));
    EXPECT_EQ(withPlaceholder, written);
    EXPECT_NE(withPlaceholder, otherCount);
}

} // namespace
