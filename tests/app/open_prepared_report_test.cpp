// `qmxdiy --open FILE.fp3` and a prepared-report file handed over by the file manager: the
// preview window alone, over the file's pages.
#include "app/prepared_report_viewer.h"
#include "app/start_options.h"
#include "preview/window/preview_control.h"
#include "preview/window/preview_form.h"
#include "support/test_paths.h"
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using testing_support::TempFolder;

TEST(OpenPreparedReport, TheFileComesFromOpenOrALoneReportFileArgument)
{
    auto arg = [](QStringList a) { return app::preparedReportArgument(QStringList{"qmxdiy"} + a); };
    EXPECT_EQ(arg({"--open", "/tmp/单子.fp3"}), "/tmp/单子.fp3");
    EXPECT_EQ(arg({"--open=/tmp/a b.FP3"}), "/tmp/a b.FP3");
    EXPECT_EQ(arg({"/home/shop/报价.fp3"}), "/home/shop/报价.fp3");
    // Any name after --open (the menu entry passes the file as the file manager gives it).
    EXPECT_EQ(arg({"--open", "/tmp/sheet"}), "/tmp/sheet");
    // The menu entry without a file, a data folder named like a report, no arguments: the
    // main window.
    EXPECT_EQ(arg({"--open"}), "");
    EXPECT_EQ(arg({"--data-dir", "/srv/old.fp3"}), "");
    EXPECT_EQ(arg({"--data-dir", "/srv/shop", "notes.txt"}), "");
    EXPECT_EQ(arg({}), "");
}

TEST(OpenPreparedReport, ThePreviewShowsTheFilesPagesAndAMissingFileIsNamed)
{
    TempFolder folder;
    const QString file = folder.file(QStringLiteral("报价单.fp3"));
    QProcess tool;
    tool.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"),
               {"prepare", "--builtin", "--rows", "60", "-o", file});
    ASSERT_TRUE(tool.waitForFinished(120000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAll().toStdString();
    const int pages = QString::fromUtf8(tool.readAllStandardOutput()).section(u'\n', 0, 0).section(u' ', 1).toInt();
    ASSERT_GT(pages, 1);

    app::PreparedReportViewer viewer;
    EXPECT_EQ(viewer.open(file), "");
    ASSERT_NE(viewer.window(), nullptr);
    EXPECT_TRUE(viewer.window()->isVisible());
    EXPECT_EQ(viewer.window()->preview()->pageCount(), pages);
    EXPECT_EQ(viewer.window()->statusText(0), QStringLiteral("页 1 / %1").arg(pages));
    EXPECT_TRUE(viewer.window()->windowTitle().startsWith(QStringLiteral("报价单.fp3")));

    app::PreparedReportViewer missing;
    EXPECT_EQ(missing.open(folder.file(QStringLiteral("无.fp3"))), QStringLiteral("找不到文件：") + folder.file("无.fp3"));
    EXPECT_EQ(missing.window(), nullptr);
    EXPECT_EQ(missing.open(folder.path()), QStringLiteral("不是文件：") + folder.path());
}
