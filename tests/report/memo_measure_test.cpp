// Measuring text objects: the height and width the band engine asks for.
#include "memo_fixture.h"

#include "report/layout/draw_text.h"
#include "report/render/item_render.h"
#include "report/render/memo_render.h"
#include "report/text/text_context.h"

#include <QTimer>
#include <cmath>

using namespace report;
using namespace layout_test;
using namespace memo_test;

namespace {

// Reference pixels, the unit lines are broken in.
long long refPixels(double units) { return std::llround(units * 6.25); }

// The width of a text on one line in a font, as the layout measures it.
double lineWidth(const QString& family, int points, const QString& text)
{
    Settings s;
    s.family = family;
    s.points = points;
    return unboundedWidth(s, text);
}

TEST(MemoMeasure, ChineseDescriptionWrapsAfterTheLastCharacterThatFits)
{
    Band b;
    const QString description = u8("电脑主机配置清单包括英特尔酷睿处理器华硕主板金士顿内存条希捷机械硬盘三星固态硬盘"
                                   "技嘉显卡航嘉电源酷冷至尊机箱罗技键盘鼠标");
    ASSERT_EQ(description.size(), 60);
    TfrxMemoView* memo = b.memo(description, 75 * kUnitsPerMm);
    setPoints(*memo, u8("宋体"), 9);

    const QStringList lines = memoOutputLines(*memo);
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.join(QString()), description); // nothing dropped, no hyphen added
    const double area = memo->Width() - 2 * memo->GapX;
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_LE(refPixels(lineWidth(u8("宋体"), 9, lines[i])), refPixels(area)) << i;
        if (i + 1 < lines.size()) {
            EXPECT_GT(refPixels(lineWidth(u8("宋体"), 9, lines[i] + lines[i + 1].front())), refPixels(area)) << i;
        }
    }
    // 9 points: round(9 × 600 / 72) = 75 reference pixels, 12 units, plus the line spacing.
    EXPECT_EQ(calcItemHeight(*memo), lines.size() * (75 / 6.25 + 2) + 2 * memo->GapY);
}

TEST(MemoMeasure, FrameLinesAndShadowAddToBothSizes)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("Unit price"));
    const double text = lineWidth(QStringLiteral("Arial"), 10, memo->Text());
    const double line = 83 / 6.25 + 2;
    EXPECT_EQ(calcItemWidth(*memo), std::round(text + 4));
    EXPECT_EQ(calcItemHeight(*memo), std::round(line + 2));

    // Half of each line lies inside: (3 − 1) / 2 on the left and top, 3 / 2 on the right and
    // bottom; the shadow takes its whole width on the right and at the bottom.
    memo->Frame().SetWidth(3);
    memo->Frame().Typ = setBit(TfrxFrameType::ftLeft) | setBit(TfrxFrameType::ftRight)
        | setBit(TfrxFrameType::ftTop) | setBit(TfrxFrameType::ftBottom);
    memo->Frame().DropShadow = true;
    memo->Frame().ShadowWidth = 4;
    EXPECT_EQ(calcItemWidth(*memo), std::round(text + 4 + 1 + 1.5 + 4));
    EXPECT_EQ(calcItemHeight(*memo), std::round(line + 2 + 1 + 1.5 + 4));

    // Only the lines the frame has count, each with its own width.
    memo->Frame().DropShadow = false;
    memo->Frame().Typ = setBit(TfrxFrameType::ftRight);
    memo->Frame().RightLine().Width = 7;
    EXPECT_EQ(calcItemWidth(*memo), std::round(text + 4 + 3.5));
    EXPECT_EQ(calcItemHeight(*memo), std::round(line + 2));
}

TEST(MemoMeasure, ExtrasNarrowTheAreaTheTextWrapsIn)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("Quotation total amount"));
    memo->SetWidth(calcItemWidth(*memo));
    EXPECT_EQ(memoOutputLines(*memo).size(), 1);
    memo->Frame().DropShadow = true;
    memo->Frame().ShadowWidth = 4;
    EXPECT_EQ(memoOutputLines(*memo).size(), 2);
    EXPECT_EQ(calcItemHeight(*memo), std::round(2 * (83 / 6.25 + 2) + 2 + 4));
}

TEST(MemoMeasure, AutoWidthKeepsEveryParagraphOnOneLine)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("CPU Intel Core i5 boxed\r\nMainboard with four memory slots"), 30);
    const double line = 83 / 6.25 + 2;
    EXPECT_GT(calcItemHeight(*memo), 4 * line);
    memo->AutoWidth = true;
    EXPECT_EQ(calcItemHeight(*memo), std::round(2 * line + 2));
    EXPECT_EQ(calcItemWidth(*memo),
              std::ceil(lineWidth(QStringLiteral("Arial"), 10, QStringLiteral("Mainboard with four memory slots")) + 4));
}

// The width is rounded up to whole units: rounded down it would be narrower than the line
// and the text would wrap at its last space when drawn at that width.
TEST(MemoMeasure, AutoWidthIsWideEnoughForItsOwnLine)
{
    for (const char* category : {"电源 PSU", "机箱 Case", "散热器 Cooler", "显卡 GPU", "内存 DDR5", "固态硬盘 SSD",
                                 "主板 Mainboard", "处理器 CPU", "键盘 鼠标", "Power supply unit"}) {
        Band b;
        TfrxMemoView* memo = b.memo(QString::fromUtf8(category), 30);
        memo->AutoWidth = true;
        const double width = calcItemWidth(*memo);
        memo->AutoWidth = false;
        memo->SetWidth(width);
        EXPECT_EQ(memoOutputLines(*memo).size(), 1) << category << " at " << width;
    }
}

TEST(MemoMeasure, ActiveHighlightMeasuresWithItsFont)
{
    Band b;
    TfrxMemoView* memo = b.memo(QStringLiteral("Overdue"));
    memo->Highlight().Font().SetSize(20);
    memo->Highlight().Font().SetStyle(setBit(TFontStyle::fsBold));
    const double normalHeight = calcItemHeight(*memo);
    const double normalWidth = calcItemWidth(*memo);
    memo->Highlight().Active = true;
    EXPECT_EQ(normalHeight, std::round(83 / 6.25 + 2 + 2));
    EXPECT_EQ(calcItemHeight(*memo), std::round(167 / 6.25 + 2 + 2));
    Settings big;
    big.points = 20;
    big.bold = true;
    EXPECT_EQ(calcItemWidth(*memo), std::ceil(unboundedWidth(big, memo->Text()) + 4));
    EXPECT_GT(calcItemWidth(*memo), normalWidth * 1.8);
}

// A text object of a report measures with the report's layout object; one outside any report
// shares the global one and waits while it is busy.
TEST(MemoMeasure, ReportsHaveTheirOwnLayoutObject)
{
    Band b;
    TfrxMemoView* inReport = b.memo(QStringLiteral("Amount"));
    TfrxMemoView alone;
    alone.SetBounds(0, 0, 200, 40);
    alone.SetText(QStringLiteral("Amount"));
    EXPECT_NE(&TfrxTextContext::of(*inReport).drawText(), &TfrxDrawText::global());

    TfrxDrawText& global = TfrxDrawText::global();
    ASSERT_TRUE(global.TryLock());
    bool released = false;
    QTimer::singleShot(300, [&] {
        released = true;
        global.Unlock();
    });
    EXPECT_EQ(calcItemHeight(*inReport), 17);
    EXPECT_FALSE(released);
    EXPECT_EQ(calcItemHeight(alone), 17);
    EXPECT_TRUE(released);
    EXPECT_FALSE(global.IsBusy());
}

} // namespace
