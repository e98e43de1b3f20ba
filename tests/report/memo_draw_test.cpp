// Drawing text objects, checked by the pixels of rendered images.
#include "memo_fixture.h"

#include "report/render/item_render.h"
#include "report/text/text_context.h"

#include <cmath>
#include <memory>

using namespace report;
using namespace layout_test;
using namespace memo_test;

namespace {

constexpr TColor kYellow = 0x00FFFF; // the platform's 0x00BBGGRR form
constexpr TColor kGreen = 0x008000;
constexpr TColor kBlue = 0xFF0000;

bool dark(QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }
bool red(QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; }

TEST(MemoDraw, TotalPagesIsFilledInOnlyWhenDrawn)
{
    // What the band engine leaves in the object on the second page: the page number is
    // expanded, the total is not known yet.
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("2   /   [TotalPages#]  "));
    // Drawn outside the report, where no total is known.
    auto expected = std::make_unique<TfrxMemoView>();
    expected->SetBounds(0, 0, 200, 40);
    expected->SetText(QStringLiteral("2   /   3  "));
    b.report.TextContext().TotalPages = 3;
    const QImage drawn = render(*memo, QSize(200, 40));
    EXPECT_EQ(drawn, render(*expected, QSize(200, 40)));
    EXPECT_GT(countPixels(drawn, isInk), 20);
    EXPECT_EQ(memo->Text(), "2   /   [TotalPages#]  ");

    // Letter case does not matter; only the first occurrence is filled.
    memo->SetText(QStringLiteral("[totalpages#] [TotalPages#]"));
    expected->SetText(QStringLiteral("3 [TotalPages#]"));
    EXPECT_EQ(render(*memo, QSize(200, 40)), render(*expected, QSize(200, 40)));

    // The designer shows the placeholder as written.
    memo->IsDesigning = true;
    EXPECT_NE(render(*memo, QSize(200, 40)), render(*expected, QSize(200, 40)));

    // The objects of a prepared page belong to no report; they are drawn with the values of
    // the report they are shown for.
    TfrxMemoView prepared;
    prepared.SetBounds(0, 0, 200, 40);
    prepared.SetText(QStringLiteral("of [TotalPages#]"));
    expected->SetText(QStringLiteral("of 3"));
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paintItem(prepared, {p, 1, 1, 0, 0, b.report.TextContext()});
    p.end();
    EXPECT_EQ(image, render(*expected, QSize(200, 40)));

    b.report.TextContext().CopyName = QStringLiteral("Copy 2");
    memo->IsDesigning = false;
    memo->SetText(QStringLiteral("[CopyName#]"));
    expected->SetText(QStringLiteral("Copy 2"));
    EXPECT_EQ(render(*memo, QSize(200, 40)), render(*expected, QSize(200, 40)));
}

TEST(MemoDraw, ActiveHighlightUsesItsFontAndColour)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("HHHH"), 150, 40);
    setPoints(*memo, QStringLiteral("Arial"), 16);
    memo->Highlight().Color = kYellow;
    memo->Highlight().Font().SetSize(16);
    memo->Highlight().Font().SetColor(clRed);
    const QSize size(160, 50);

    const QImage plain = render(*memo, size);
    EXPECT_EQ(countPixels(plain, exactly(0xFFFF00)), 0);
    EXPECT_GT(countPixels(plain, dark), 30);

    memo->Highlight().Active = true;
    const QImage lit = render(*memo, size);
    EXPECT_EQ(lit.pixel(140, 35) & 0xFFFFFF, 0xFFFF00u); // background inside the object
    EXPECT_EQ(lit.pixel(155, 45) & 0xFFFFFF, 0xFFFFFFu); // and not outside it
    EXPECT_GT(countPixels(lit, red), 30);
    EXPECT_EQ(countPixels(lit, dark), 0);
    EXPECT_EQ(memo->Color, clTransparent); // the object's own colour is back
}

TEST(MemoDraw, BackgroundFrameAndShadow)
{
    Band b;
    TfrxMemoView* memo = b.memo(QString(), 100, 50);
    memo->SetLeft(10);
    memo->SetTop(10);
    memo->Color = kBlue;
    memo->Frame().SetColor(kGreen);
    memo->Frame().SetWidth(2);
    memo->Frame().Typ = setBit(TfrxFrameType::ftLeft) | setBit(TfrxFrameType::ftTop);
    memo->Frame().DropShadow = true;
    memo->Frame().ShadowWidth = 5;
    memo->Frame().ShadowColor = clBlack;
    const QImage image = render(*memo, QSize(130, 80));
    EXPECT_EQ(image.pixel(50, 30) & 0xFFFFFF, 0x0000FFu); // fill
    EXPECT_EQ(image.pixel(10, 30) & 0xFFFFFF, 0x008000u); // left line
    EXPECT_EQ(image.pixel(50, 10) & 0xFFFFFF, 0x008000u); // top line
    // The object's rectangle ends the shadow's width before its right and bottom edges,
    // where the shadow is.
    EXPECT_EQ(image.pixel(107, 30) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(image.pixel(50, 57) & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(image.pixel(103, 30) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(image.pixel(107, 12) & 0xFFFFFF, 0xFFFFFFu); // the shadow starts lower
    EXPECT_EQ(image.pixel(112, 30) & 0xFFFFFF, 0xFFFFFFu);
}

// Rows of the image where a red line runs across most of the given columns.
std::vector<int> ruledRows(const QImage& image, int left, int right)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        int red = 0;
        for (int x = left; x < right; ++x)
            red += (image.pixel(x, y) & 0xFFFFFF) == 0xFF0000 ? 1 : 0;
        if (red > (right - left) * 9 / 10)
            rows.push_back(y);
    }
    return rows;
}

TEST(MemoDraw, UnderlinesRuleEveryLineDownToTheBottom)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("One line"), 150, 100);
    memo->Underlines = true;
    memo->Frame().SetColor(clRed);
    const std::vector<int> rows = ruledRows(render(*memo, QSize(160, 110)), 3, 147);
    // Text area 1 … 99, line height 83 / 6.25 + 2 = 15.28: the first rule at 1 + 1 − 2 + 1 +
    // 15.28 (top, gap, less the line spacing, one pixel, one line), the sixth at 92.68.
    ASSERT_EQ(rows.size(), 6u);
    const double lineHeight = 83 / 6.25 + 2;
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_NEAR(rows[i], 1 + (i + 1) * lineHeight, 1.0) << i;

    memo->Rotation = 90;
    EXPECT_TRUE(ruledRows(render(*memo, QSize(160, 110)), 3, 147).empty());
}

TEST(MemoDraw, AutoWidthKeepsTheAlignedEdgeAndRealignsTheBand)
{
    Band b;
    TfrxMemoView* total = b.memo(QStringLiteral("Total"), 200, 30);
    total->SetLeft(100);
    total->AutoWidth = true;
    total->HAlign = TfrxHAlign::haRight;
    TfrxMemoView* next = b.memo(QStringLiteral("1234.00"), 80, 30);
    next->SetLeft(400);
    next->Align = TfrxAlign::baLeft; // placed right after its neighbour on the left

    total->BeforePrint();
    const double width = calcItemWidth(*total);
    ASSERT_LT(width, 100);
    const QImage image = render(*total, QSize(720, 40));
    EXPECT_EQ(total->Width(), width);
    EXPECT_EQ(total->Left() + total->Width(), 300);
    EXPECT_EQ(next->Left(), 300);
    const auto ink = inkColumns(image, 0, 40);
    EXPECT_GT(ink.first, 300 - width);
    EXPECT_LT(ink.second, 300);
    EXPECT_GT(ink.second, 300 - 10);
    total->AfterPrint();
    EXPECT_EQ(total->Left(), 100);
    EXPECT_EQ(total->Width(), 200);

    total->HAlign = TfrxHAlign::haCenter;
    render(*total, QSize(720, 40));
    EXPECT_DOUBLE_EQ(total->Left() + total->Width() / 2, 200);

    total->SetBounds(100, 0, 200, 30);
    total->HAlign = TfrxHAlign::haLeft;
    render(*total, QSize(720, 40));
    EXPECT_EQ(total->Left(), 100);
    EXPECT_EQ(next->Left(), 100 + width);

    // The designer keeps the designed width.
    total->SetBounds(100, 0, 200, 30);
    total->IsDesigning = true;
    render(*total, QSize(720, 40));
    EXPECT_EQ(total->Width(), 200);
}

TEST(MemoDraw, TextFollowsAlignmentAndScale)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("Amount"), 200, 30);
    memo->HAlign = TfrxHAlign::haRight;
    memo->VAlign = TfrxVAlign::vaBottom;
    const auto right = inkColumns(render(*memo, QSize(220, 40)), 0, 40);
    EXPECT_GT(right.first, 120);
    EXPECT_LE(right.second, 198);

    // At twice the size the text lands at twice the place.
    const QImage twice = render(*memo, QSize(440, 80), 2);
    const auto wide = inkColumns(twice, 0, 80);
    EXPECT_NEAR(wide.second, 2 * right.second, 4);
    const QRect rows = inkRect(twice, isInk);
    EXPECT_GT(rows.top(), 2 * (30 - 1 - 15.28) - 2); // lowered to the bottom of the area
}

} // namespace
