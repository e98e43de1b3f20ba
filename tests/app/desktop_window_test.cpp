// The main window as a desktop window: it grows (the tree and the two grids take the room,
// the record panel and the buttons keep their sizes), remembers its place, and a second
// start on the same data folder brings the running window to the front.
#include "app/catalogue_search_box.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/single_instance.h"
#include "app/window_placement.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "dbaware/db_grid.h"
#include "support/test_paths.h"
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <csignal>

using testing_support::TempFolder;

namespace {

QString programPath() { return QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy"); }

int columnWidth(const dbaware::DBGrid* grid, const char* field)
{
    const auto columns = grid->columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].fieldName == QLatin1String(field))
            return grid->horizontalHeader()->sectionSize(i);
    return -1;
}

// Processes events until the condition holds; false when it did not within the time. (QTest's
// QTRY macros report to a QTest run and return quietly under GoogleTest.)
template <typename Condition>
bool eventually(Condition condition, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

// Resizes the shown window through the platform, as a window manager would.
void resizeShown(QWidget& w, QSize size)
{
    w.windowHandle()->resize(size);
    EXPECT_TRUE(eventually([&] { return w.size() == size; })) << w.width() << "x" << w.height();
}

} // namespace

TEST(GrowingWindow, ExtraRoomGoesToTheTreeAndBothGridsAndShrinkingRestoresTheLayout)
{
    TempFolder folder;
    app::ensureCatalogue(folder.path());
    app::TFrm_main w(folder.path());
    w.FormCreate();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.size(), QSize(791, 541));
    EXPECT_EQ(w.minimumSize(), QSize(791, 541));
    EXPECT_FALSE(w.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowMaximizeButtonHint);

    QList<QWidget*> watched = {w.tree.tv1, w.tree.btn_refresh, w.catalogue.Panel2, w.catalogue.DBGrid1,
                               w.catalogue.Button5, w.catalogue.btn_create0, w.catalogue.Lbl_HW,
                               w.record.Panel_HW, w.tree.Panel_L1_L4, w.quotation.Panel1, w.quotation.DBGrid3,
                               w.quotation.btn_print1, w.quotation.bbtn_cash, w.shell.pnl_help,
                               w.catalogue.searchBox->edit()};
    QList<QRect> before;
    for (QWidget* x : watched)
        before << x->geometry();
    const int nameWidth = columnWidth(w.catalogue.DBGrid1, "HW_MC");
    const int descriptionWidth = columnWidth(w.quotation.DBGrid3, "HW_MS");

    // 300 wider, 201 taller: the item grid gets 100 of the height, the lines grid 101.
    resizeShown(w, {1091, 742});
    auto now = [&](QWidget* x) { return x->geometry(); };
    EXPECT_EQ(now(w.tree.tv1), QRect(0, 0, 193, 742));
    EXPECT_EQ(now(w.tree.btn_refresh), QRect(103, 717, 88, 25));
    EXPECT_EQ(now(w.catalogue.Panel2), QRect(200, 2, 888, 301));
    EXPECT_EQ(now(w.catalogue.DBGrid1), QRect(-7, 24, 895, 245));
    EXPECT_EQ(now(w.catalogue.searchBox->edit()).width(), before[14].width() + 300);
    // "帮助" stays on the item grid's lower right corner, the step buttons under the grid.
    EXPECT_EQ(now(w.catalogue.Button5), QRect(839, 246, 41, 25));
    EXPECT_EQ(now(w.catalogue.btn_create0), before[5].translated(0, 100));
    EXPECT_EQ(now(w.catalogue.Lbl_HW), before[6].translated(0, 100));
    // The record panel and the category grid keep their size, under the item grid.
    EXPECT_EQ(now(w.record.Panel_HW), QRect(197, 304, 592, 161));
    EXPECT_EQ(now(w.tree.Panel_L1_L4), QRect(196, 304, 592, 161));
    // The lines grid: the rest of the height, the whole extra width; its buttons keep their
    // size, the total stays at the right end.
    EXPECT_EQ(now(w.quotation.Panel1), QRect(196, 467, 894, 302));
    EXPECT_EQ(now(w.quotation.DBGrid3), QRect(4, 3, 883, 221));
    EXPECT_EQ(now(w.quotation.btn_print1), before[11].translated(0, 101));
    EXPECT_EQ(now(w.quotation.bbtn_cash), before[12].translated(300, 101));
    EXPECT_EQ(now(w.shell.pnl_help), QRect(0, 0, 1091, 742));
    // The name and description columns take the extra width.
    EXPECT_EQ(columnWidth(w.catalogue.DBGrid1, "HW_MC"), nameWidth + 300);
    EXPECT_EQ(columnWidth(w.quotation.DBGrid3, "HW_MS"), descriptionWidth + 300);
    // Items of another category read into the grid keep the wide column.
    db::openStatement(*w.ADOQueryHW, QStringLiteral("SELECT * FROM HW WHERE L4_ID = 2"));
    EXPECT_TRUE(eventually([&] { return columnWidth(w.catalogue.DBGrid1, "HW_MC") == nameWidth + 300; }));

    // Back to the original size: every control is where it started.
    resizeShown(w, {791, 541});
    for (int k = 0; k < watched.size(); ++k)
        EXPECT_EQ(now(watched[k]), before[k]) << watched[k]->objectName().toStdString();
    EXPECT_EQ(columnWidth(w.catalogue.DBGrid1, "HW_MC"), nameWidth);

    // Maximised, it covers the screen's free area and the grids take what that adds.
    w.showMaximized();
    const QSize screen = w.screen()->availableGeometry().size();
    ASSERT_TRUE(eventually([&] { return w.frameGeometry().size() == screen; }))
        << w.frameGeometry().width() << "x" << w.frameGeometry().height();
    const QSize extra = w.size() - QSize(791, 541);
    ASSERT_GT(extra.height(), 0);
    EXPECT_EQ(w.catalogue.DBGrid1->size(), QSize(595 + extra.width(), 145 + extra.height() / 2));
    EXPECT_EQ(w.quotation.DBGrid3->size(),
              QSize(583 + extra.width(), 120 + extra.height() - extra.height() / 2));
    EXPECT_EQ(w.record.Panel_HW->size(), QSize(592, 161));
}

TEST(GrowingWindow, RemembersItsSizeAndPlaceInTheUsersConfiguration)
{
    TempFolder folder, config;
    app::ensureCatalogue(folder.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    {
        app::TFrm_main w(folder.path());
        app::restoreWindowPlacement(w); // nothing saved yet: original size
        EXPECT_EQ(w.size(), QSize(791, 541));
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        resizeShown(w, {799, 580});
        w.move(3, 7);
        EXPECT_TRUE(eventually([&] { return w.pos() == QPoint(3, 7); }));
        app::saveWindowPlacement(w);
    }
    EXPECT_TRUE(QFile::exists(config.file(QStringLiteral("qmxdiy/qmxdiy.conf"))));
    app::TFrm_main again(folder.path());
    app::restoreWindowPlacement(again);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.size(), QSize(799, 580));
    EXPECT_EQ(again.pos(), QPoint(3, 7));
    // The grids follow the restored size.
    EXPECT_EQ(again.catalogue.DBGrid1->width(), 595 + 8);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QDir::homePath() + QStringLiteral("/.config"));
}

TEST(SecondStart, BringsTheRunningWindowToTheFrontWithoutOpeningTheCatalogue)
{
    TempFolder folder, runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // The first program: this test, holding the folder, its window minimised.
    app::SingleInstance first(folder.path());
    ASSERT_EQ(first.claim(), app::SingleInstance::Claim::First);
    QWidget window;
    window.resize(200, 100);
    window.showMinimized();
    int starts = 0;
    first.onAnotherStart = [&] {
        ++starts;
        app::bringToFront(window);
    };

    // A second start on the same folder, by another spelling of its path.
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    second.setProcessEnvironment(env);
    second.start(programPath(), {QStringLiteral("--data-dir"), folder.path() + QStringLiteral("/./")});
    ASSERT_TRUE(second.waitForStarted());
    ASSERT_TRUE(eventually([&] { return second.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(eventually([&] { return starts == 1; })) << starts;
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    // The second program never reached the catalogue: none was created in the folder.
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("qmxpcdiy.dat"))));

    // Another folder is another program.
    TempFolder other;
    app::SingleInstance elsewhere(other.path());
    EXPECT_EQ(elsewhere.claim(), app::SingleInstance::Claim::First);
    EXPECT_NE(elsewhere.key(), first.key());
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SecondStart, AProgramThatWasKilledLeavesNoLockBehind)
{
    TempFolder folder, runtime, config;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(programPath(), {QStringLiteral("--data-dir"), folder.path()});
    ASSERT_TRUE(program.waitForStarted());
    // Running: its catalogue is made and its lock taken.
    ASSERT_TRUE(eventually([&] { return QFile::exists(folder.file(QStringLiteral("qmxpcdiy.dat"))); }, 20000));
    app::SingleInstance probe(folder.path());
    const QString lock = QDir(runtime.path()).filePath(probe.key() + QStringLiteral(".lock"));
    ASSERT_TRUE(eventually([&] { return QFile::exists(lock); }, 20000));
    EXPECT_EQ(probe.claim(), app::SingleInstance::Claim::Asked);
    ::kill(pid_t(program.processId()), SIGKILL);
    ASSERT_TRUE(program.waitForFinished());
    // Its lock and socket are still there, but the next start takes over.
    app::SingleInstance next(folder.path());
    EXPECT_EQ(next.claim(), app::SingleInstance::Claim::First);
    qunsetenv("XDG_RUNTIME_DIR");
}

TEST(SecondStart, AProgramHoldingTheFolderThatDoesNotAnswerIsNotTakenForAnsweredOne)
{
    TempFolder folder, runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    app::SingleInstance second(folder.path());
    // Held by a living process (this one) that listens to nobody.
    QLockFile held(QDir(runtime.path()).filePath(second.key() + QStringLiteral(".lock")));
    ASSERT_TRUE(held.lock());
    EXPECT_EQ(second.claim(), app::SingleInstance::Claim::NoAnswer);
    held.unlock();
    EXPECT_EQ(second.claim(), app::SingleInstance::Claim::First);
    qunsetenv("XDG_RUNTIME_DIR");
}
