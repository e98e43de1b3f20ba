#include "app/main_window.h"
#include "app/picture_frame.h"
#include "app/data_folder.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_grid.h"
#include "platform/widgets/dialogs.h"
#include "support/test_paths.h"
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using testing_support::TempFolder;

namespace {

QRect rectOf(QWidget* w) { return w->geometry(); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { app::ensureCatalogue(folder.path()); }
    TempFolder folder;
    QStringList messages;
};

// Takes the addresses handed to the desktop instead of opening them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    explicit UrlCatcher(QList<QUrl>& opened) : opened_(opened)
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
public slots:
    void open(const QUrl& url) { opened_ << url; }

private:
    QList<QUrl>& opened_;
};

} // namespace

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesInStackingOrder)
{
    app::TFrm_main w(folder.path());
    EXPECT_EQ(w.size(), QSize(791, 541));
    EXPECT_EQ(rectOf(w.tree.tv1), QRect(0, 0, 193, 541));
    EXPECT_EQ(rectOf(w.tree.btn_refresh), QRect(103, 516, 88, 25));
    EXPECT_EQ(rectOf(w.record.Panel_HW), QRect(197, 204, 592, 161));
    EXPECT_EQ(rectOf(w.quotation.Panel1), QRect(196, 367, 594, 201));
    EXPECT_EQ(rectOf(w.catalogue.Panel2), QRect(200, 2, 588, 201));
    EXPECT_EQ(rectOf(w.tree.Panel_L1_L4), QRect(196, 204, 592, 161));
    EXPECT_EQ(rectOf(w.management.Panel_LIST), QRect(120, 40, 560, 440)); // room for the list of quotations
    EXPECT_EQ(rectOf(w.shell.Panel_TIPS), QRect(234, 198, 369, 73));
    EXPECT_EQ(rectOf(w.tree.L_A), QRect(32, 264, 65, 161));
    EXPECT_EQ(rectOf(w.tree.L_B), QRect(104, 264, 65, 161));
    EXPECT_EQ(rectOf(w.shell.pnl_help), QRect(0, 0, 791, 541));
    EXPECT_EQ(rectOf(w.shell.pnl_bigimg), QRect(40, 32, 697, 481));
    EXPECT_EQ(rectOf(w.catalogue.DBGrid1), QRect(-7, 24, 595, 145)); // under the search box
    EXPECT_EQ(rectOf(w.quotation.DBGrid3), QRect(4, 3, 583, 120)); // the details and exports below
    EXPECT_EQ(rectOf(w.quotation.btn_pdf), QRect(248, 125, 97, 23));  // above "5、打印出单"
    EXPECT_EQ(rectOf(w.catalogue.Button5), QRect(539, 146, 41, 25));
    EXPECT_EQ(rectOf(w.quotation.bbtn_cash), QRect(435, 149, 157, 25));
    EXPECT_EQ(rectOf(w.catalogue.Lbl_HW), QRect(317, 177, 68, 19));
    EXPECT_EQ(rectOf(w.record.Image1), QRect(448, 24, 137, 137));

    // Later controls lie over earlier ones: compare positions among the window's children.
    const QObjectList& kids = w.children();
    auto order = [&](QWidget* x) { return kids.indexOf(x); };
    const QList<QWidget*> bottomToTop = {w.tree.tv1,           w.tree.btn_refresh,   w.record.Panel_HW,
                                         w.quotation.Panel1,   w.catalogue.Panel2,   w.tree.Panel_L1_L4,
                                         w.management.Panel_LIST, w.shell.Panel_TIPS, w.tree.L_A,
                                         w.tree.L_B,           w.shell.pnl_help,     w.shell.pnl_bigimg};
    for (int k = 1; k < bottomToTop.size(); ++k)
        EXPECT_LT(order(bottomToTop[k - 1]), order(bottomToTop[k])) << bottomToTop[k]->objectName().toStdString();
}

TEST_F(MainWindowTest, StartsWithTheCategoryPanelAndTipsShown)
{
    app::TFrm_main w(folder.path());
    w.FormCreate();
    w.show();
    EXPECT_TRUE(w.tree.Panel_L1_L4->isVisible());
    EXPECT_FALSE(w.record.Panel_HW->isVisible());
    EXPECT_FALSE(w.management.Panel_LIST->isVisible());
    EXPECT_TRUE(w.shell.Panel_TIPS->isVisible());
    EXPECT_FALSE(w.tree.L_A->isVisible());
    EXPECT_FALSE(w.shell.pnl_help->isVisible());
    EXPECT_FALSE(w.shell.pnl_bigimg->isVisible());
    EXPECT_FALSE(w.shell.statusArea->isVisible());
    EXPECT_EQ(w.shell.Panel_TIPS->text(), QStringLiteral("点 [右键] 有更多功能选项！"));

    EXPECT_TRUE(w.ADOConnection1->connected());
    EXPECT_EQ(w.currentQuotation.name, QStringLiteral("配置单"));
    EXPECT_FALSE(w.currentQuotation.number.isEmpty());
    EXPECT_FALSE(w.currentQuotation.open);
    EXPECT_TRUE(w.topLevelInsertMode);
    EXPECT_EQ(w.quotation.bbtn_cash->text(), QStringLiteral("单据总价值：0 元"));
    EXPECT_FALSE(w.ADOQueryDIY->active());
    EXPECT_EQ(w.ADOQueryDIY->sqlText(), QStringLiteral("SELECT * from DIY"));
}

TEST_F(MainWindowTest, TimersRefreshOnceAndHideTheTipsForGood)
{
    app::TFrm_main w(folder.path());
    w.FormCreate();
    w.show();
    EXPECT_EQ(w.shell.Timer1->interval(), 500);
    EXPECT_EQ(w.shell.Timer2->interval(), 3000);
    EXPECT_EQ(w.shell.Timer3->interval(), 3000);
    EXPECT_TRUE(w.shell.Timer1->isActive());
    EXPECT_TRUE(w.shell.Timer2->isActive());
    EXPECT_FALSE(w.shell.Timer3->isActive());
    EXPECT_EQ(w.tree.tv1->topLevelItemCount(), 0); // nothing is built before Timer1's tick

    // The ticks are delivered through the timers' own signals, as the event loop delivers them.
    auto tick = [](QTimer* timer) { ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout")); };
    tick(w.shell.Timer1);
    EXPECT_GT(w.tree.tv1->topLevelItemCount(), 0); // the start-up refresh built the tree
    EXPECT_FALSE(w.shell.Timer1->isActive());       // and runs once
    EXPECT_TRUE(w.shell.Panel_TIPS->isVisible());
    tick(w.shell.Timer2);
    EXPECT_FALSE(w.shell.Panel_TIPS->isVisible());
    EXPECT_TRUE(w.shell.Timer2->isActive()); // never disabled, and later ticks change nothing
    w.shell.Panel_TIPS->show();
    tick(w.shell.Timer2);
    EXPECT_FALSE(w.shell.Panel_TIPS->isVisible());
}

TEST_F(MainWindowTest, WithoutACatalogueTheWindowStaysEmptyAndSaysWhy)
{
    TempFolder empty;
    QFile junk(empty.file(QStringLiteral("qmxpcdiy.dat")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\0'));
    junk.close();
    app::TFrm_main w(empty.path());
    w.FormCreate();
    EXPECT_FALSE(w.ADOConnection1->connected());
    EXPECT_TRUE(w.currentQuotation.number.isEmpty());
    EXPECT_TRUE(w.currentQuotation.name.isEmpty());
    EXPECT_FALSE(w.topLevelInsertMode);
    EXPECT_TRUE(w.statusText().contains(QStringLiteral("qmxpcdiy.dat"))) << w.statusText().toStdString();
    EXPECT_EQ(w.tree.tv1->topLevelItemCount(), 0);
}

TEST_F(MainWindowTest, PopupMenuHoldsEveryCommandInOrder)
{
    app::TFrm_main w(folder.path());
    QStringList seen;
    for (QAction* a : w.menu.PopupMenu1->actions())
        seen << (a->isSeparator() ? QStringLiteral("-") : a->text());
    const QStringList expected = {
        "1、建立清单(装机单)", "2、加入清单", "3、移出清单", "4、核算总额", "5、打印出单",
        "单据详情...", "导出PDF...", "导出图片...", "-",
        "★ 粘贴", "★ 复制", "★ 剪切", "★ 清除", "-",
        "○ 管理清单(查阅/打印)", "○ 刷新左侧分类数据表", "-",
        "◇ 添加记录", "◇ 修改记录", "◇ 保存修改", "◇ 删除记录", "◇ 打开产品网址",
        "◆ 从剪贴板粘贴图片", "◆ 从文件导入图片", "◆ 其他图片设置", "-",
        "※ 压缩数据库(每周一次)", "导出价格表...", "导入价格表...", "店铺信息...", "连接服务器...", "备份与恢复...", "兼容规则...", "◇ 装机单开源小组网站(更新)", "◇ 作者  装机单开源小组", "◇ 查看软件帮助"};
    EXPECT_EQ(seen, expected);

    QStringList sub;
    for (QAction* a : w.menu.N7->actions())
        sub << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(sub, QStringList({"◇ 清除已有图片", "◇ 复制到剪贴板", "◇ 保存到文件", "-"}));

    EXPECT_EQ(w.menu.N13->shortcut(), QKeySequence(QStringLiteral("Ctrl+V")));
    EXPECT_EQ(w.menu.N22->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    EXPECT_EQ(w.menu.N10->shortcut(), QKeySequence(QStringLiteral("Ctrl+X")));
    EXPECT_EQ(w.menu.N26->shortcut(), QKeySequence(QStringLiteral("Del")));

    // The three record items without a command change nothing.
    const bool tips = w.shell.Panel_TIPS->isVisible();
    for (QAction* a : {w.menu.N5, w.menu.N6, w.menu.N15})
        a->trigger();
    EXPECT_EQ(w.shell.Panel_TIPS->isVisible(), tips);
    EXPECT_TRUE(w.tree.Panel_L1_L4->isVisibleTo(&w));
}

TEST_F(MainWindowTest, MenuShortcutsAreTakenFromAnyFocusedControl)
{
    app::TFrm_main w(folder.path());
    w.show();
    w.record.Panel_HW->show();
    QApplication::setActiveWindow(&w);
    w.record.DBEdit3->setFocus();
    QSignalSpy paste(w.menu.N13, &QAction::triggered);
    QSignalSpy clear(w.menu.N26, &QAction::triggered);
    QSignalSpy copy(w.menu.N22, &QAction::triggered);
    QTest::keyClick(w.record.DBEdit3, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(w.catalogue.DBGrid1, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(w.catalogue.DBGrid1, Qt::Key_Delete);
    EXPECT_EQ(paste.count(), 1);
    EXPECT_EQ(clear.count(), 1);
    EXPECT_EQ(copy.count(), 1);
    // Delete in a control that edits text deletes there, as in any editor.
    QTest::keyClick(w.record.DBEdit3, Qt::Key_Delete);
    EXPECT_EQ(clear.count(), 1);
    // A plain key still reaches the control and runs no command.
    w.management.Panel_LIST->show();
    w.management.cmb_diy_id->setFocus();
    w.management.cmb_diy_id->clearEditText();
    QTest::keyClick(static_cast<QWidget*>(w.management.cmb_diy_id), Qt::Key_A);
    EXPECT_EQ(w.management.cmb_diy_id->currentText(), "a");
    EXPECT_EQ(paste.count() + clear.count() + copy.count(), 3);
}

TEST_F(MainWindowTest, EscapeHidesTheEnlargedPictureButNotTheHelp)
{
    app::TFrm_main w(folder.path());
    w.show();
    QApplication::setActiveWindow(&w);
    w.shell.pnl_bigimg->show();
    w.quotation.DBGrid3->setFocus();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &w, Qt::Key_Escape);
    EXPECT_FALSE(w.shell.pnl_bigimg->isVisible());
    QTest::keyClick(&w, Qt::Key_Escape); // nothing enlarged: nothing changes
    EXPECT_FALSE(w.shell.pnl_bigimg->isVisible());

    w.menu.N18->trigger();
    EXPECT_TRUE(w.shell.pnl_help->isVisible());
    EXPECT_FALSE(w.shell.img_help->picture().isNull()); // the help picture is stored with the program
    EXPECT_EQ(w.shell.img_help->picture().size(), QSize(786, 543));
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_TRUE(w.shell.pnl_help->isVisible());
    QTest::mouseClick(w.shell.img_help, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(w.shell.pnl_help->isVisible());
}

TEST_F(MainWindowTest, QuotationPanelFollowsTheMouseFromItsFreeArea)
{
    app::TFrm_main w(folder.path());
    w.show();
    QFrame* list = w.management.Panel_LIST;
    QPushButton* cancel = w.management.Button2;
    list->show();
    const QPoint start = list->pos();
    QTest::mousePress(list, Qt::LeftButton, {}, QPoint(480, 110));
    QMouseEvent move(QEvent::MouseMove, QPointF(440, 80), list->mapToGlobal(QPointF(440, 80)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(list, &move);
    QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(440, 80));
    EXPECT_EQ(list->pos(), start + QPoint(-40, -30));
    // A press on a child control does not drag: the mouse moves with the button held and is
    // released off the button (so the button does not close the panel).
    QTest::mousePress(cancel, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent held(QEvent::MouseMove, QPointF(-60, -40), cancel->mapToGlobal(QPointF(-60, -40)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(cancel, &held);
    QTest::mouseRelease(cancel, Qt::LeftButton, {}, QPoint(-60, -40));
    EXPECT_TRUE(w.management.Panel_LIST->isVisible());
    EXPECT_EQ(w.management.Panel_LIST->pos(), start + QPoint(-40, -30));
}

TEST_F(MainWindowTest, HelpAndTheWebSiteAndAuthorItemsOpenTheUserGuideShippedWithTheProgram)
{
    app::TFrm_main w(folder.path());
    // Where the build and the installed tree put it: PREFIX/share/qmxdiy/guide.
    const QString guide = QDir::cleanPath(QCoreApplication::applicationDirPath()
                                          + QStringLiteral("/../share/qmxdiy/guide/index.html"));
    EXPECT_EQ(w.helpPage(), guide);
    EXPECT_TRUE(QFile::exists(guide));
    QList<QUrl> opened;
    UrlCatcher catcher(opened);
    platform::setDialogResponder([&](const platform::DialogRequest& request) {
        messages << request.text;
        return platform::DialogAnswer{};
    });

    const QString page = QDir(folder.path()).filePath("README.md");
    QFile readme(page);
    ASSERT_TRUE(readme.open(QIODevice::WriteOnly));
    readme.write("# 帮助\n");
    readme.close();
    w.setHelpPage(page);
    w.menu.webSiteItem->trigger();
    w.menu.authorItem->trigger();
    w.catalogue.Button5->click();
    EXPECT_EQ(opened, (QList<QUrl>{QUrl::fromLocalFile(page), QUrl::fromLocalFile(page), QUrl::fromLocalFile(page)}));
    EXPECT_FALSE(w.shell.pnl_help->isVisible()); // the annotated picture stays with "◇ 查看软件帮助"
    EXPECT_TRUE(messages.isEmpty());

    // A missing page is said so; a program in its place is never started.
    w.setHelpPage(QDir(folder.path()).filePath("missing.md"));
    w.menu.webSiteItem->trigger();
    const QString script = QDir(folder.path()).filePath("help.sh");
    QFile program(script);
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write("#!/bin/sh\n");
    program.close();
    program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
    w.setHelpPage(script);
    w.menu.authorItem->trigger();
    EXPECT_EQ(opened.size(), 3);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains("missing.md"));
    platform::setDialogResponder({});
}

#include "main_window_test.moc"
