// qmxdiy-report layout and draw-text, run as the user runs them.
#include "memo_fixture.h"

#include "report/render/item_render.h"
#include "report/render/memo_render.h"
#include "support/test_paths.h"
#include "tool_run.h"
#include <QFileInfo>
#include <unistd.h>

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

TEST(MemoTool, AHeadlessRunPrintsNoPlatformNoiseButStillReportsErrors)
{
    // A shell as root without a session: no display, no runtime folder, no platform chosen.
    testing_support::TempFolder dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_RUNTIME_DIR", "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("TMPDIR"), dir.path());

    for (const QStringList& args : {QStringList{QStringLiteral("layout"), QStringLiteral("two words")},
                                    QStringList{QStringLiteral("draw-text"), QStringLiteral("--png"),
                                                dir.file(QStringLiteral("text.png")), QStringLiteral("two words")}}) {
        const ToolRun r = run(args, env);
        EXPECT_EQ(r.code, 0) << args.join(u' ').toStdString();
        EXPECT_EQ(r.err, QString()) << args.join(u' ').toStdString();
    }
    // The runtime folder it used instead is the user's alone.
    const QFileInfo runtime(dir.file(QStringLiteral("qmxdiy-runtime-%1").arg(::getuid())));
    EXPECT_TRUE(runtime.isDir());
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(runtime.permissions() & others);

    const QString nowhere = dir.file(QStringLiteral("no/such/folder/text.png"));
    const ToolRun failed = run({QStringLiteral("draw-text"), QStringLiteral("--png"), nowhere, QStringLiteral("two words")},
                               env);
    EXPECT_EQ(failed.code, 2);
    EXPECT_EQ(failed.err, QStringLiteral("无法写入文件“%1”：文件夹不存在\n").arg(nowhere));
}

} // namespace
