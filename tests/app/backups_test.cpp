// Backups through the main window over real encrypted catalogues: the backup of the day at
// start, one before each step that removes or rewrites much, "备份与恢复..." restoring one in
// the real dialog, and a damaged catalogue found at start with the latest sound backup offered.
#include "category_fixture.h"
#include "modal_driver.h"
#include "app/backup_dialog.h"
#include "app/backup_runner.h"
#include "db/backup.h"
#include "db/backup_snapshot.h"
#include "db/server_backup.h"
#include "dbaware/db_navigator.h"
#include "platform/file_operations.h"
#include "support/server_database.h"
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableWidget>

using namespace category_testing;
using platform::DialogKind;

namespace {

// The category 电脑 > 配件 > 存储 > 硬盘 deleted from the category grid, with what it holds.
void deleteDisks(app::TFrm_main& w)
{
    click(w, node(w, {"电脑", "配件", "存储"}));
    db::Dataset& rows = *w.ADOQueryL1_L4;
    for (rows.first(); !rows.eof() && rows.asString("L4_NM") != "硬盘"; rows.next()) {}
    w.tree.DBNavigator2->button(dbaware::DBNavigator::Button::Delete)->click();
}

class BackupsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int disks = cat.l4(cat.l3(cat.l2(cat.l1("电脑"), "配件"), "存储"), "硬盘");
        cat.item(disks, "希捷 2TB");
        cat.item(disks, "西数 4TB");
        cat.l4(cat.l3(cat.l2(cat.l1("外设"), "输入"), "键盘"), "机械");
        cat.run("insert into DIY (DIY_ID, DIY_NM, HW_ID, DIY_SL) values ('Q1', '王先生', 1, 1)");
        cat.run("insert into DIY (DIY_ID, DIY_NM, HW_ID, DIY_SL) values ('Q2', '李先生', 2, 1)");
        QDir().mkpath(cat.folder.file("PICS"));
        platform::writeFileAtomically(cat.folder.file("PICS/1.jpg"), "\xff\xd8picture");
    }

    QString backupFolder() const { return cat.folder.file(QStringLiteral("备份")); }
    QList<db::BackupCause> causes() const
    {
        QList<db::BackupCause> found;
        for (const db::BackupInfo& b : db::listBackups(backupFolder()))
            found.prepend(b.cause); // oldest first
        return found;
    }
    db::BackupInfo newest() const { return db::listBackups(backupFolder()).value(0); }
    int items() { return cat.count("select count(*) as n from HW"); }

    Catalogue cat;
    Dialogs dialogs;
};

TEST_F(BackupsTest, TheDaysFirstStartAndEveryDestructiveStepMakeABackupOfTheStateBefore)
{
    auto w = openWindow(cat);
    w->backups()->waitUntilDone();
    EXPECT_EQ(causes(), QList<db::BackupCause>({db::BackupCause::Start}));
    EXPECT_EQ(newest().counts, (db::CatalogueCounts{8, 2, 2, 1}));
    // The status area told of it.
    EXPECT_TRUE(w->statusText().startsWith("已备份：")) << w->statusText().toStdString();
    w.reset();
    // A second start the same day makes none.
    w = openWindow(cat);
    w->backups()->waitUntilDone();
    EXPECT_EQ(causes().size(), 1);

    // A quotation deleted from the management panel.
    w->N19Click();
    w->management.cmb_diy_id->setCurrentText("Q1");
    w->Button3Click();
    w->backups()->waitUntilDone();
    ASSERT_EQ(newest().cause, db::BackupCause::QuotationDelete);
    EXPECT_EQ(newest().counts.quotations, 2);
    EXPECT_EQ(cat.count("select count(DISTINCT DIY_ID) as n from DIY"), 1);

    // A category with its items.
    deleteDisks(*w);
    w->backups()->waitUntilDone();
    ASSERT_EQ(newest().cause, db::BackupCause::CategoryDelete);
    EXPECT_EQ(newest().counts.items, 2);
    EXPECT_EQ(items(), 0);

    // A price list imported.
    const QString csv = cat.folder.file("list.csv");
    platform::writeFileAtomically(csv, "分类,名称,价格\n电脑/配件/存储/固态,三星 990,899\n");
    dialogs.answers << csv;
    w->menu.N30->trigger();
    w->backups()->waitUntilDone();
    ASSERT_EQ(newest().cause, db::BackupCause::Import);
    EXPECT_EQ(newest().counts.items, 0);
    EXPECT_EQ(items(), 1);

    // Compaction (it needs the file to itself).
    cat.connection.close();
    w->N27Click();
    w->Timer3Timer();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    // Every backup made before a step is kept; the day's start backup gave way to the newer
    // backups of the same day.
    EXPECT_EQ(causes(), QList<db::BackupCause>({db::BackupCause::QuotationDelete, db::BackupCause::CategoryDelete,
                                                db::BackupCause::Import, db::BackupCause::Compaction}));
    EXPECT_EQ(newest().counts.items, 1);
}

TEST_F(BackupsTest, AStepDoesNotGoOnWhenItsBackupCannotBeMade)
{
    auto w = openWindow(cat);
    w->backups()->waitUntilDone();
    // The backup folder is a file now: nothing can be written there.
    QDir(backupFolder()).removeRecursively();
    platform::writeFileAtomically(backupFolder(), "not a folder");
    w->N19Click();
    w->management.cmb_diy_id->setCurrentText("Q1");
    w->Button3Click();
    ASSERT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport)[0].text.startsWith("无法备份（删除清单前），操作没有进行："))
        << dialogs.of(DialogKind::ErrorReport)[0].text.toStdString();
    EXPECT_EQ(cat.count("select count(DISTINCT DIY_ID) as n from DIY"), 2);
}

TEST_F(BackupsTest, TheDialogListsTheBackupsAndRestoresOneIntoTheWindow)
{
    auto w = openWindow(cat);
    w->show();
    w->backups()->waitUntilDone();
    cat.run("delete from HW");
    cat.run("insert into L1 (L1_NM) values ('新类')");
    platform::writeFileAtomically(cat.folder.file("PICS/1.jpg"), "changed");
    cat.connection.close();
    w->btn_refreshClick();
    ASSERT_NE(node(*w, {"新类"}), nullptr);

    QStringList rowsShown, afterRestore;
    modal_testing::ModalDriver driver;
    driver
        .then([&](QWidget& dialog) {
            auto* list = dialog.findChild<QTableWidget*>("backupList");
            for (int r = 0; r < list->rowCount(); ++r) {
                QStringList cells;
                for (int c = 1; c < list->columnCount(); ++c)
                    if (c != 2)
                        cells << list->item(r, c)->text();
                rowsShown << cells.join(' ');
            }
            list->selectRow(0);
            auto* restore = dialog.findChild<QPushButton*>("restore");
            QTimer::singleShot(0, restore, [restore] { QTest::mouseClick(restore, Qt::LeftButton); });
        })
        .click("是")
        .press(Qt::Key_Return)
        .then([&](QWidget& dialog) {
            auto* list = dialog.findChild<QTableWidget*>("backupList");
            for (int r = 0; r < list->rowCount(); ++r)
                afterRestore << list->item(r, 1)->text() + ' ' + list->item(r, 4)->text();
            QTest::mouseClick(dialog.findChild<QPushButton*>("close"), Qt::LeftButton);
        });
    w->backupsItem()->trigger();
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(rowsShown, QStringList({"每日启动 8 2 2 1"}));
    ASSERT_GE(driver.seen.size(), 3);
    EXPECT_EQ(driver.seen[0].caption, "备份与恢复");
    EXPECT_TRUE(driver.seen[1].text.contains("当前的数据会先备份")) << driver.seen[1].text.toStdString();
    EXPECT_EQ(driver.seen[1].defaultButton, "否");
    EXPECT_TRUE(driver.seen[2].text.startsWith("已恢复")) << driver.seen[2].text.toStdString();
    EXPECT_EQ(afterRestore, QStringList({"恢复备份前 0", "每日启动 2"}));

    // The window shows the restored catalogue; the file holds it.
    EXPECT_EQ(node(*w, {"新类"}), nullptr);
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryHW, "HW_MC"), QStringList({"希捷 2TB", "西数 4TB"}));
    EXPECT_EQ(platform::readWholeFile(cat.folder.file("PICS/1.jpg")), "\xff\xd8picture");
}

TEST_F(BackupsTest, ADamagedCatalogueAtStartIsNotShownAndTheLatestSoundBackupIsOffered)
{
    const QString database = cat.folder.file(db::kDatabaseFileName);
    for (int k = 0; k < 300; ++k)
        cat.item(1, QStringLiteral("内存 %1").arg(k));
    cat.connection.close();
    const db::BackupInfo sound =
        db::makeBackup(database, backupFolder(), db::BackupCause::Manual, QDateTime::currentDateTime().addDays(-2));
    const db::BackupInfo spoilt =
        db::makeBackup(database, backupFolder(), db::BackupCause::Manual, QDateTime::currentDateTime().addDays(-1));
    QByteArray bytes = platform::readWholeFile(spoilt.path);
    bytes[64] = char(bytes[64] ^ 1);
    platform::writeFileAtomically(spoilt.path, bytes);
    // Damage in the second half of the file, where the items lie: it still opens, and the
    // check finds it.
    const QByteArray catalogue = platform::readWholeFile(database);
    QByteArray damaged = catalogue;
    for (qsizetype page = damaged.size() / 1024 / 2; page < damaged.size() / 1024; ++page)
        damaged[page * 1024 + 100] = char(damaged[page * 1024 + 100] ^ 0x10);
    platform::writeFileAtomically(database, damaged);

    // No: the window stays empty and says why; a refresh does not read the damaged file.
    dialogs.question = false;
    auto w = openWindow(cat);
    ASSERT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    const QString offer = dialogs.of(DialogKind::Question)[0].text;
    EXPECT_TRUE(offer.startsWith("数据库文件“qmxpcdiy.dat”已损坏，不能使用：")) << offer.toStdString();
    EXPECT_TRUE(offer.contains(QLocale().toString(sound.time, "yyyy-MM-dd HH:mm"))) << offer.toStdString();
    EXPECT_TRUE(w->statusText().startsWith("数据库文件已损坏：")) << w->statusText().toStdString();
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), 0);
    EXPECT_FALSE(w->ADOConnection1->connected());
    w.reset();

    // Yes, for a file cut so short that it no longer opens: the damaged file is kept aside
    // and the window shows the backup's catalogue.
    platform::writeFileAtomically(database, catalogue.left(catalogue.size() / 3));
    dialogs.seen.clear();
    dialogs.question = true;
    w = openWindow(cat);
    EXPECT_EQ(w->statusText(), "已恢复备份 " + sound.name + "。");
    EXPECT_NE(node(*w, {"电脑", "配件", "存储", "硬盘"}), nullptr);
    EXPECT_EQ(QDir(backupFolder()).entryList({"*-damaged.dat"}).size(), 1);
    w->backups()->waitUntilDone();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

} // namespace

// Over a server the same backups are made, each a copy of the server's catalogue kept on this
// workstation in a folder of that server's own; the dialog lists them and says how one is
// restored instead of replacing what every workstation works on.
TEST(ServerBackupsTest, TheDaysFirstStartAndADestructiveStepCopyTheServersCatalogue)
{
    testing_support::ServerDatabase server;
    Catalogue cat(server.address());
    const int disks = cat.l4(cat.l3(cat.l2(cat.l1("电脑"), "配件"), "存储"), "硬盘");
    cat.item(disks, "希捷 2TB");
    cat.item(disks, "O'Neil \\ 4TB");
    const QString folder = db::serverBackupFolder(cat.folder.file(QStringLiteral("备份")), server.address());

    auto w = openWindow(cat);
    w->show();
    w->backups()->waitUntilDone();
    QList<db::BackupInfo> made = db::listBackups(folder);
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0].cause, db::BackupCause::Start);
    EXPECT_EQ(made[0].counts, (db::CatalogueCounts{4, 2, 0, 0}));
    // The file's own backups are not mixed with the server's.
    EXPECT_TRUE(db::listBackups(cat.folder.file(QStringLiteral("备份"))).isEmpty());
    EXPECT_TRUE(w->statusText().startsWith("已备份：")) << w->statusText().toStdString();

    {
        Dialogs answers;
        answers.question = true;
        deleteDisks(*w);
        EXPECT_TRUE(answers.of(DialogKind::ErrorReport).isEmpty());
    }
    w->backups()->waitUntilDone();
    // (The day's start backup may give way to the newer one of the same day.)
    made = db::listBackups(folder);
    ASSERT_FALSE(made.isEmpty());
    EXPECT_EQ(made[0].cause, db::BackupCause::CategoryDelete);
    EXPECT_EQ(made[0].counts.items, 2); // the state before the delete
    EXPECT_EQ(cat.count("select count(*) as n from HW"), 0);

    qsizetype listed = 0;
    modal_testing::ModalDriver driver;
    driver
        .then([&](QWidget& dialog) {
            listed = dialog.findChild<QTableWidget*>("backupList")->rowCount();
            auto* restore = dialog.findChild<QPushButton*>("restore");
            QTimer::singleShot(0, restore, [restore] { QTest::mouseClick(restore, Qt::LeftButton); });
        })
        .press(Qt::Key_Return)
        .then([&](QWidget& dialog) { QTest::mouseClick(dialog.findChild<QPushButton*>("close"), Qt::LeftButton); });
    w->backupsItem()->trigger();
    EXPECT_TRUE(driver.done());
    EXPECT_EQ(listed, made.size());
    ASSERT_GE(driver.seen.size(), 2);
    EXPECT_TRUE(driver.seen[1].text.contains("qmxdiy-catalogue --server")) << driver.seen[1].text.toStdString();
    EXPECT_TRUE(driver.seen[1].text.contains(made[0].path)) << driver.seen[1].text.toStdString();
    // Nothing was restored.
    EXPECT_EQ(cat.count("select count(*) as n from HW"), 0);
}

// A server backup that cannot begin stops the step, with the reason, as a file's does.
TEST(ServerBackupsTest, AStepDoesNotGoOnWhenTheServersBackupCannotBegin)
{
    testing_support::ServerDatabase server;
    Catalogue cat(server.address());
    cat.item(cat.l4(cat.l3(cat.l2(cat.l1("电脑"), "配件"), "存储"), "硬盘"), "希捷 2TB");
    auto w = openWindow(cat);
    w->backups()->waitUntilDone();
    // The server's backup folder is a file now: nothing can be written there.
    const QString folder = db::serverBackupFolder(cat.folder.file(QStringLiteral("备份")), server.address());
    QDir(folder).removeRecursively();
    platform::writeFileAtomically(folder, "not a folder");

    Dialogs answers;
    answers.question = true;
    deleteDisks(*w);
    ASSERT_EQ(answers.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_TRUE(answers.of(DialogKind::ErrorReport)[0].text.startsWith("无法备份（删除分类前），操作没有进行："))
        << answers.of(DialogKind::ErrorReport)[0].text.toStdString();
    EXPECT_EQ(cat.count("select count(*) as n from HW"), 1);
    EXPECT_EQ(cat.count("select count(*) as n from L4"), 1);
    w->backups()->waitUntilDone();
    EXPECT_EQ(w->backups()->failures(), 0); // refused, not a backup that failed half way
}
