// The window over a catalogue on a PostgreSQL server, as two workstations use it: pictures in
// the catalogue, each other's changes on screen within a second, the second of two posts of
// one item refused with the typed values kept, and what only a file has (compaction) said plainly.
#include "catalogue_fixture.h"
#include "db/item_pictures.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_navigator.h"
#include "support/server_database.h"
#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>

using namespace catalogue_testing;
using Button = dbaware::DBNavigator::Button;
using platform::DialogKind;

namespace {

class ServerCatalogueTest : public ::testing::Test {
protected:
    // 电脑 > 配件 > 内存 > DDR5: 金士顿 32GB, 芝奇 32GB, on the server.
    void SetUp() override
    {
        const int l1 = cat.l1(QStringLiteral("电脑"));
        const int l2 = cat.l2(l1, QStringLiteral("配件"));
        memory = cat.l3(l2, QStringLiteral("内存"));
        ddr5 = cat.l4(memory, QStringLiteral("DDR5"));
        kingston = cat.item(ddr5, QStringLiteral("金士顿 32GB"));
        gskill = cat.item(ddr5, QStringLiteral("芝奇 32GB"));
        w = openWindow(cat);
        w->show();
        QApplication::setActiveWindow(w.get());
    }

    void openDdr5(app::TFrm_main& window) { mouseClickNode(window, node(window, {"电脑", "配件", "内存", "DDR5"})); }
    void typeName(const QString& name)
    {
        openDdr5(*w);
        clickItem(*w, kingston);
        w->record.DBEdit3->setFocus();
        w->record.DBEdit3->selectAll();
        QTest::keyClicks(w->record.DBEdit3, name);
    }
    // A left click on the item's row of the window's grid (the server lists rows in no fixed
    // order, so the row is looked up).
    void clickItem(app::TFrm_main& window, int id)
    {
        QApplication::processEvents();
        db::Dataset& items = *window.ADOQueryHW;
        for (int row = 0; row < items.recordCount(); ++row)
            if (items.valueAt(row, items.fieldIndex("HW_ID")).toInt() == id) {
                auto* grid = window.catalogue.DBGrid1;
                const QRect cell = grid->visualRect(grid->model()->index(row, 1));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
                ASSERT_EQ(items.asInteger("HW_ID"), id);
                return;
            }
        FAIL() << "item " << id << " is not listed";
    }
    QString stored(int id, const QString& column)
    {
        return cat.column(QStringLiteral("select %1 as v from HW where HW_ID = %2").arg(column).arg(id), "v").value(0);
    }
    // Lets the window run (its timers, the server's announcements) until `done` or 3 s.
    static bool runUntil(const std::function<bool()>& done) { return QTest::qWaitFor(done, 3000); }

    testing_support::ServerDatabase server;
    Catalogue cat{server.address()};
    Dialogs dialogs;
    std::unique_ptr<app::TFrm_main> w;
    int memory = 0, ddr5 = 0, kingston = 0, gskill = 0;
};

} // namespace

TEST_F(ServerCatalogueTest, PicturesLiveInTheCatalogueWhereEveryWorkstationSeesThem)
{
    ASSERT_TRUE(w->ADOConnection1->isServer());
    openDdr5(*w);
    ASSERT_EQ(w->ADOQueryHW->recordCount(), 2);
    clickItem(*w, kingston);

    // Imported from a file: the JPEG's bytes go into the catalogue unchanged; no PICS folder.
    const QString chosen = cat.folder.file("red.jpg");
    platform::writeJpegFile(chosen, plainPicture(Qt::red));
    QFile file(chosen);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    dialogs.answers << chosen;
    w->N9Click();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(db::loadItemPicture(cat.connection, kingston), jpeg);
    EXPECT_EQ(stored(kingston, "HW_TP_URL"), ".\\PICS\\" + QString::number(kingston) + ".jpg");
    EXPECT_FALSE(QDir(cat.folder.path()).exists("PICS"));
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');

    // A second workstation (another data folder) shows it on its click.
    Catalogue elsewhere{server.address()};
    auto other = openWindow(elsewhere);
    other->show();
    openDdr5(*other);
    clickItem(*other, kingston);
    EXPECT_EQ(colourOf(other->record.Image1->picture()), 'r');
    // The second item has none: its click shows none, not the first one's.
    clickItem(*other, gskill);
    EXPECT_TRUE(other->record.Image1->picture().isNull());

    // Pasted from the clipboard, then cleared: the catalogue follows, the clipboard keeps it.
    QGuiApplication::clipboard()->setImage(plainPicture(Qt::blue));
    other->N8Click();
    EXPECT_EQ(colourOf(platform::decodeJpeg(db::loadItemPicture(cat.connection, gskill))), 'b');
    other->N24Click();
    EXPECT_FALSE(db::hasItemPicture(cat.connection, gskill));
    EXPECT_EQ(colourOf(QGuiApplication::clipboard()->image()), 'b');
    EXPECT_TRUE(db::hasItemPicture(cat.connection, kingston));
    QGuiApplication::clipboard()->clear();
}

TEST_F(ServerCatalogueTest, AnotherWorkstationsChangesShowWithoutARestart)
{
    openDdr5(*w);
    clickItem(*w, gskill);
    // Another workstation changes a price and files a new category under 内存.
    cat.run(QStringLiteral("update HW set HW_JG = 777 where HW_ID = %1").arg(gskill));
    cat.l4(memory, QStringLiteral("DDR6"));
    ASSERT_TRUE(runUntil([&] { return w->ADOQueryHW->value("HW_JG").toDouble() == 777; }));
    // Read again on the same row, with the tree showing the new category and DDR5 still open.
    EXPECT_EQ(w->ADOQueryHW->asInteger("HW_ID"), gskill);
    ASSERT_TRUE(runUntil([&] { return node(*w, {"电脑", "配件", "内存", "DDR6"}) != nullptr; }));
    EXPECT_EQ(w->catalogue.Lbl_L4->text(), "DDR5");
    EXPECT_TRUE(w->record.Panel_HW->isVisible());
    EXPECT_EQ(w->ADOQueryHW->asInteger("HW_ID"), gskill);

    // Nothing is read again under the operator's edit: the typed name stays.
    typeName("Kingston 48GB");
    cat.run(QStringLiteral("update HW set HW_JG = 888 where HW_ID = %1").arg(gskill));
    QTest::qWait(1200);
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Edit);
    EXPECT_EQ(w->record.DBEdit3->text(), "Kingston 48GB");
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_EQ(stored(kingston, "HW_MC"), "Kingston 48GB");
    clickItem(*w, gskill);
    EXPECT_TRUE(runUntil([&] { return w->ADOQueryHW->value("HW_JG").toDouble() == 888; }));
}

TEST_F(ServerCatalogueTest, TheSecondPostOfOneItemIsRefusedAndTheTypedValuesStay)
{
    typeName("Kingston 64GB");
    // The other workstation posts first.
    cat.run(QStringLiteral("update HW set HW_MC = '金士顿 32GB 新款' where HW_ID = %1").arg(kingston));
    w->record.DBNavigator1->button(Button::Post)->click();
    const auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    // The message names the item as this workstation read it and who changed it first.
    EXPECT_TRUE(reports[0].text.contains("“金士顿 32GB”在读出之后已被 ")) << reports[0].text.toStdString();
    EXPECT_TRUE(reports[0].text.contains("输入的内容仍在")) << reports[0].text.toStdString();
    EXPECT_EQ(stored(kingston, "HW_MC"), "金士顿 32GB 新款");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Edit);
    EXPECT_EQ(w->record.DBEdit3->text(), "Kingston 64GB");

    // After Cancel the window shows the winner's row; typed again, the post goes through.
    w->record.DBNavigator1->button(Button::Cancel)->click();
    ASSERT_TRUE(runUntil([&] { return w->record.DBEdit3->text() == "金士顿 32GB 新款"; }));
    w->record.DBEdit3->setFocus();
    w->record.DBEdit3->selectAll();
    QTest::keyClicks(w->record.DBEdit3, "Kingston 64GB");
    dialogs.seen.clear();
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(stored(kingston, "HW_MC"), "Kingston 64GB");
}

TEST_F(ServerCatalogueTest, WhatOnlyAFileHasIsSaidPlainly)
{
    w->menu.N27->trigger();
    const auto messages = dialogs.of(DialogKind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text, "数据库服务器自行整理存储，无需压缩。");
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_FALSE(w->shell.Timer3->isActive());
}

// The same over a file that another program writes.
TEST_F(CatalogueTest, AnotherProgramsChangeToTheFileShowsWithoutARestart)
{
    openDdr5();
    goToItem(gskill);
    cat.run(QStringLiteral("update HW set HW_JG = 555 where HW_ID = %1").arg(gskill));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w->ADOQueryHW->value("HW_JG").toDouble() == 555; }, 3000));
    EXPECT_EQ(w->ADOQueryHW->asInteger("HW_ID"), gskill);
}
