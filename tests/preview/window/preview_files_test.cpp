// Opening and saving prepared-report files from the window, the message panel, and an
// unreadable file reported without leaving the preview unusable.
#include "preview_fixture.h"

#include "support/test_paths.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>

using namespace previewtest;

TEST_F(PreviewTest, SaveAndOpenGoThroughTheFileDialogsWithTheReportFileFilter)
{
    prepare(40);
    openWindow();
    QTemporaryDir dir;
    answer = [&](const platform::DialogRequest&) {
        return platform::DialogAnswer{true, dir.filePath(QStringLiteral("单子.txt")), platform::Choice::Yes};
    };
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::SaveFile);
    EXPECT_EQ(requests[0].filter, "报表文件 (*.fp3)");
    // The chosen name's extension becomes ".fp3".
    const QString saved = dir.filePath(QStringLiteral("单子.fp3"));
    ASSERT_TRUE(QFile::exists(saved));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("单子.txt"))));
    EXPECT_FALSE(pv().locked());

    // A second report with other data opens the file and shows its pages from page 1.
    answer = [&](const platform::DialogRequest&) { return platform::DialogAnswer{true, saved, platform::Choice::Yes}; };
    form.reset();
    prepare(5);
    openWindow();
    ASSERT_EQ(pv().pageCount(), 1);
    requests.clear();
    QTest::mouseClick(toolButton("OpenB"), Qt::LeftButton);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::OpenFile);
    EXPECT_EQ(pv().pageCount(), 3);
    EXPECT_EQ(pv().pageNo(), 1);
    EXPECT_EQ(area().pageList().count(), 3);
    EXPECT_EQ(form->statusText(0), "页 1 / 3");
    EXPECT_FALSE(pv().messagePanel()->isVisible());
}

TEST_F(PreviewTest, AnUnreadableFileIsReportedAndThePreviewStaysUsable)
{
    prepare(40);
    openWindow();
    QTemporaryDir dir;
    const QString broken = dir.filePath(QStringLiteral("broken.fp3"));
    {
        QFile file(broken);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><preparedreport><previewpages><page0><b1 ");
    }
    form->loadFile(broken);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::ErrorReport);
    EXPECT_TRUE(requests[0].text.contains(QStringLiteral("Invalid file format"))) << requests[0].text.toStdString();
    EXPECT_FALSE(pv().locked());
    EXPECT_FALSE(pv().messagePanel()->isVisible());
    EXPECT_EQ(pv().pageNo(), 1);
    // Still usable: it scrolls, zooms and paints whatever was read.
    pv().setZoom(0.5);
    EXPECT_DOUBLE_EQ(pv().zoom(), 0.5);
    area().grab();

    // A missing file changes nothing.
    form.reset();
    prepare(40);
    openWindow();
    requests.clear();
    form->loadFile(dir.filePath(QStringLiteral("missing.fp3")));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(pv().pageCount(), 3);
}

TEST_F(PreviewTest, TheMessagePanelShowsWhileThePreviewIsLocked)
{
    prepare(20);
    openWindow();
    pv().lock(QStringLiteral("载入文件..."));
    QLabel* panel = pv().messagePanel();
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->size(), QSize(260, 75));
    EXPECT_NEAR(panel->geometry().center().x(), pv().width() / 2, 1);
    EXPECT_NEAR(panel->geometry().center().y(), pv().height() / 3, 1);
    // Locked: only the background is painted, and the mouse does nothing.
    const QImage locked = area().viewport()->grab().toImage();
    EXPECT_EQ(locked.pixelColor(locked.width() / 2, locked.height() / 2), QColor(0x80, 0x80, 0x80));
    pv().setPageNo(2);
    QTest::mouseClick(area().viewport(), Qt::LeftButton, {}, QPoint(300, 300));
    pv().unlock();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(pv().pageNo(), 1);
    const QImage shown = area().viewport()->grab().toImage();
    EXPECT_NE(shown.pixelColor(shown.width() / 2, 200), QColor(0x80, 0x80, 0x80));
}

TEST_F(PreviewTest, PrintingWithoutPrintersSaysSoUnderTheErrorCaption)
{
    prepare(20);
    openWindow();
    if (preview::systemHasPrinters())
        GTEST_SKIP() << "a printer is installed here";
    QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::ErrorReport);
    EXPECT_EQ(requests[0].caption, "错误");
    EXPECT_EQ(requests[0].text, "在你的系统没有安装打印机");
    EXPECT_FALSE(pv().locked());
}

TEST_F(PreviewTest, TheExportMenuWritesEveryPageThroughTheChosenFilter)
{
    prepare(40);
    openWindow();
    QMenu* menu = form->button(QStringLiteral("ExportB"))->menu();
    ASSERT_NE(menu, nullptr);
    QStringList entries;
    for (QAction* a : menu->actions())
        entries << a->text();
    EXPECT_EQ(entries, (QStringList{"PDF...", "PNG..."}));
    QTemporaryDir dir;
    answer = [&](const platform::DialogRequest&) {
        return platform::DialogAnswer{true, dir.filePath(QStringLiteral("q-%d.png")), platform::Choice::Yes};
    };
    menu->actions()[1]->trigger();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].kind, platform::DialogKind::SaveFile);
    for (int page = 1; page <= 3; ++page)
        EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("q-%1.png").arg(page)))) << page;
    EXPECT_FALSE(pv().locked());
    EXPECT_TRUE(form->statusText(1).isEmpty());
}
