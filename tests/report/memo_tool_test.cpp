// qmxdiy-report layout and draw-text, run as the user runs them.
#include "memo_fixture.h"

#include "report/render/item_render.h"
#include "report/render/memo_render.h"
#include "support/test_paths.h"
#include "tool_run.h"

using namespace report;
using namespace memo_test;

namespace {

TEST(MemoTool, LayoutPrintsTheLinesAndTheObjectsSizes)
{
    const QString text = QStringLiteral("Graphics card <b>with</b> eight gigabytes of memory");
    const ToolRun r = run({QStringLiteral("layout"), QStringLiteral("--width"), QStringLiteral("30"),
                           QStringLiteral("--size"), QStringLiteral("11"), QStringLiteral("--gap-x"), QStringLiteral("5"),
                           QStringLiteral("--html"), text});
    ASSERT_EQ(r.code, 0);

    TfrxMemoView memo;
    memo.SetBounds(0, 0, 30 * layout_test::kUnitsPerMm, 100);
    memo.Font().SetSize(11);
    memo.GapX = 5;
    memo.AllowHTMLTags = true;
    memo.SetText(text);
    const QStringList lines = memoOutputLines(memo);
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(r.out, lines.join(u'\n')
                         + QStringLiteral("\nheight: %1\nwidth: %2\n").arg(calcItemHeight(memo)).arg(calcItemWidth(memo)));
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Graphics card\n")));

    // Without a width the object is as wide as its text.
    const ToolRun one = run({QStringLiteral("layout"), QStringLiteral("two words")});
    EXPECT_TRUE(one.out.startsWith(QStringLiteral("two words\nheight: 17\nwidth: ")));

    EXPECT_EQ(run({QStringLiteral("layout"), QStringLiteral("--size"), QStringLiteral("x"), text}).code, 2);
    EXPECT_EQ(run({QStringLiteral("layout")}).code, 2);
}

TEST(MemoTool, DrawTextWritesThePictureAtTheScale)
{
    testing_support::TempFolder dir;
    const QString png = dir.file("text.png");
    const ToolRun r = run({QStringLiteral("draw-text"), QStringLiteral("--width"), QStringLiteral("40"),
                           QStringLiteral("--html"), QStringLiteral("--png"), png, QStringLiteral("--scale"),
                           QStringLiteral("2"), QStringLiteral("<font color=\"#FF0000\">Red</font> and black")});
    ASSERT_EQ(r.code, 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), int(std::ceil(40 * layout_test::kUnitsPerMm * 2)));
    EXPECT_EQ(image.height(), 2 * 17);
    auto red = [](QRgb c) { return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60; };
    auto dark = [](QRgb c) { return qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; };
    const QRect reds = layout_test::inkRect(image, red);
    const QRect darks = layout_test::inkRect(image, dark);
    ASSERT_FALSE(reds.isEmpty());
    ASSERT_FALSE(darks.isEmpty());
    EXPECT_LT(reds.right(), darks.left()); // the red word comes first

    EXPECT_EQ(run({QStringLiteral("draw-text"), QStringLiteral("no picture named")}).code, 2);
}

} // namespace
