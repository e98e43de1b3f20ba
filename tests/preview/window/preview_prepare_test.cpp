// ShowReport opens the window and the report is prepared inside it: pages appear as they
// are made, Esc stops the run and then closes the window, and nothing that needs the
// pages runs meanwhile.
#include "preview_fixture.h"

#include "preview/printing/print_progress.h"
#include "preview/window/show_preview.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <thread>

using namespace previewtest;

namespace {

preview::TfrxPreviewForm* openPreviewWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<preview::TfrxPreviewForm*>(w); form && form->isVisible())
            return form;
    return nullptr;
}

} // namespace

TEST_F(PreviewTest, ShowReportOpensAModalWindowThatPreparesTheReportInside)
{
    makeReport(40); // three pages
    preview::attachPreviewWindow(*shell);
    ASSERT_TRUE(report->PreviewOptions().Modal);
    int pagesWhenShown = -1, pagesAtEnd = -1;
    QString closeCaption;
    // The window is on screen before the 50 ms timer prepares the report.
    QTimer::singleShot(0, [&] { pagesWhenShown = shell->PreviewPages().PageCount(); });
    shell->OnProgressStop = [&](report::TfrxProgressType, int) {
        QTimer::singleShot(0, [&] {
            preview::TfrxPreviewForm* f = openPreviewWindow();
            ASSERT_NE(f, nullptr);
            pagesAtEnd = f->preview()->pageCount();
            closeCaption = f->button(QStringLiteral("CancelB"))->text();
            EXPECT_TRUE(f->isMaximized() || f->windowState() & Qt::WindowMaximized);
            EXPECT_TRUE(f->button(QStringLiteral("PrintB"))->isEnabled());
            EXPECT_EQ(f->statusText(0), "页 1 / 3");
            QTest::keyClick(f, Qt::Key_Escape);
        });
    };
    shell->ShowReport(true); // returns when the window is closed
    EXPECT_EQ(pagesWhenShown, 0);
    EXPECT_EQ(pagesAtEnd, 3);
    EXPECT_EQ(closeCaption, "关闭(&X)");
    EXPECT_EQ(openPreviewWindow(), nullptr);
}

TEST_F(PreviewTest, EscStopsThePreparationAndASecondEscClosesTheWindow)
{
    makeReport(2000);
    report->PreviewOptions().Modal = false;
    preview::attachPreviewWindow(*shell);
    QPointer<preview::TfrxPreviewForm> window;
    bool sawCancelCaption = false, closeRefused = false;
    source->onRow = [&](int line) {
        if (line != 60 || !window)
            return;
        sawCancelCaption = window->button(QStringLiteral("CancelB"))->text() == QStringLiteral("取消");
        EXPECT_TRUE(window->preview()->running());
        // The window cannot be closed while the report is prepared.
        window->close();
        closeRefused = window->isVisible();
        QTest::keyClick(window.data(), Qt::Key_Escape);
    };
    shell->ShowReport(true);
    window = openPreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(runUntil([&] { return shell->PreviewPages().PageCount() > 0 && !window->preview()->running(); }));
    EXPECT_TRUE(sawCancelCaption);
    EXPECT_TRUE(closeRefused);
    EXPECT_TRUE(report->Terminated);
    EXPECT_LT(window->preview()->pageCount(), 20); // stopped long before the 112 pages
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->button(QStringLiteral("CancelB"))->text(), "关闭(&X)");
    QTest::keyClick(window.data(), Qt::Key_Escape);
    EXPECT_TRUE(runUntil([&] { return window.isNull(); })); // a modeless window destroys itself
}

TEST_F(PreviewTest, NothingThatNeedsThePagesRunsWhileTheReportIsPrepared)
{
    makeReport(200);
    report->PreviewOptions().Modal = false;
    preview::attachPreviewWindow(*shell);
    QPointer<preview::TfrxPreviewForm> window;
    std::vector<QString> notes;
    source->onRow = [&](int line) {
        if (line != 100 || !window)
            return;
        preview::TfrxPreviewForm& f = *window;
        for (const char* name : {"PrintB", "OpenB", "SaveB", "ExportB", "FindB", "PageSettingsB", "DesignerB"})
            if (f.button(QString::fromLatin1(name))->isEnabled())
                notes.push_back(QString::fromLatin1(name) + QStringLiteral(" enabled"));
        const int page = f.preview()->pageNo();
        const double zoom = f.preview()->zoom();
        // Every command and key, as the operator could give them now.
        for (const char* name : {"PrintB", "OpenB", "SaveB", "FindB", "PageSettingsB", "DesignerB", "ZoomPlusB"})
            f.button(QString::fromLatin1(name))->trigger();
        for (int key : {Qt::Key_P, Qt::Key_S, Qt::Key_F, Qt::Key_O})
            QTest::keyClick(&f, Qt::Key(key), Qt::ControlModifier);
        QTest::keyClick(&f, Qt::Key_F3);
        f.Print();
        f.Save();
        f.Load();
        f.Find();
        f.PageSetup();
        f.loadFile(QStringLiteral("/nonexistent/x.fp3"));
        f.saveFile(QStringLiteral("/tmp/never-written.fp3"));
        f.ApplyZoomText(QStringLiteral("200"));
        f.ApplyPageText(QStringLiteral("1"));
        f.prepareAgain(false);
        if (f.preview()->zoom() != zoom)
            notes.push_back(QStringLiteral("zoom changed"));
        if (f.preview()->pageNo() != page)
            notes.push_back(QStringLiteral("page changed"));
    };
    shell->ShowReport(true);
    window = openPreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(runUntil([&] { return window->preview()->pageCount() > 0 && !window->preview()->running(); }));
    EXPECT_TRUE(notes.empty()) << notes.front().toStdString();
    EXPECT_TRUE(requests.empty()) << "a dialog was asked for while preparing";
    EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/never-written.fp3")));
    EXPECT_EQ(window->preview()->pageCount(), 12); // the run went on to its end
    EXPECT_TRUE(window->button(QStringLiteral("SaveB"))->isEnabled());
    window->close();
    runUntil([&] { return window.isNull(); });
}

TEST_F(PreviewTest, TheUpdateIntervalFollowsTheTimeTheSecondPageTook)
{
    makeReport(400);
    openWindow();
    // The first pages are laid out at once, so the window fills while the rest is prepared.
    // The first page is made slow, so the second starts more than 9 ms after it: a report
    // that slow shows its progress every 5 pages rather than every 20 or 50.
    int laidOutOnPage1 = -1, laidOutAtPage3 = -1;
    source->onRow = [&](int line) {
        if (line == 9) { // on the first page
            laidOutOnPage1 = area().pageList().count();
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
        if (line == 40) // on the third page
            laidOutAtPage3 = area().pageList().count();
    };
    ASSERT_TRUE(shell->PrepareReport(true));
    EXPECT_EQ(laidOutOnPage1, 1);
    EXPECT_EQ(laidOutAtPage3, 3);
    EXPECT_EQ(pv().updateInterval(), 5);
    EXPECT_EQ(area().pageList().count(), pv().pageCount());
    EXPECT_FALSE(pv().running());
}

TEST_F(PreviewTest, OldStyleProgressShowsAWindowWhoseCancelStopsTheRunWithThePagesMade)
{
    makeReport(2000);
    report->OldStyleProgress = true;
    report->PreviewOptions().Modal = false;
    preview::attachPreviewWindow(*shell);
    QStringList messages;
    shell->OnProgress = [&](report::TfrxProgressType, int page) {
        QTimer::singleShot(0, [&, page] {
            preview::TfrxProgress* progress = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* p = dynamic_cast<preview::TfrxProgress*>(w); p && p->isVisible())
                    progress = p;
            ASSERT_NE(progress, nullptr);
            messages << progress->Message();
            if (page == 3)
                progress->findChild<QPushButton*>()->click();
        });
    };
    shell->ShowReport(true);
    // The window said which page was being prepared; its cancel button stopped the run,
    // and the pages made so far stay.
    EXPECT_TRUE(messages.contains(QStringLiteral("正在准备第 2 页"))) << messages.join(u'|').toStdString();
    const int pages = shell->PreviewPages().PageCount();
    EXPECT_GE(pages, 3);
    EXPECT_LT(pages, 10);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(dynamic_cast<preview::TfrxProgress*>(w) && w->isVisible());
    if (preview::TfrxPreviewForm* f = openPreviewWindow())
        f->close();
}
