// The item grid and record panel: the current hardware selection, the pictures that follow
// the grid, and the category a new item is filed under.
#include "catalogue_fixture.h"
#include "modal_driver.h"
#include "dbaware/db_combo_box.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_image.h"
#include "dbaware/db_navigator.h"
#include "db/price_list.h"
#include <QAbstractButton>
#include <QLabel>
#include <QWheelEvent>

using namespace catalogue_testing;
using Button = dbaware::DBNavigator::Button;

TEST_F(CatalogueTest, GridShowsTheTenColumnsWithTypeWordsAndTheYearList)
{
    openDdr5();
    const QList<dbaware::GridColumn> columns = w->catalogue.DBGrid1->columns();
    QStringList titles, fields;
    QList<int> widths;
    for (const auto& c : columns) {
        titles << c.title;
        fields << c.fieldName;
        widths << c.width;
    }
    EXPECT_EQ(titles, (QStringList{"编 号", "名   称", "单  位", "出  厂", "更新日期", "价  格", "详细参数", "网  址",
                                   "图  片", "上  级"}));
    EXPECT_EQ(fields, (QStringList{"HW_ID", "HW_MC", "HW_DW", "HW_NF", "HW_RQ", "HW_JG", "HW_CS", "HW_URL", "HW_TP",
                                   "L4_ID"}));
    // The date column shows "2026-12-09" whole; the name column gave it the room.
    EXPECT_EQ(widths, (QList<int>{36, 211, 40, 47, 75, 60, 50, 70, 45, 41}));
    const QStringList years = columns[3].pickList;
    ASSERT_EQ(years.size(), 111);
    EXPECT_EQ(years.first(), "1990");
    EXPECT_EQ(years.last(), "2100");
    // Long text and pictures show their type word, not their content.
    auto cell = [&](int row, int column) {
        return w->catalogue.DBGrid1->model()->index(row, column).data().toString();
    };
    EXPECT_EQ(cell(0, 6), "(MEMO)");
    EXPECT_EQ(cell(2, 6), "(Memo)");
    EXPECT_EQ(cell(0, 8), "(Blob)");
    EXPECT_EQ(cell(0, 1), "金士顿 32GB");

    // The year combo box takes a year outside its list.
    EXPECT_EQ(w->record.DBComboBox2->count(), 111);
    EXPECT_EQ(w->record.DBImage1->fieldName(), "HW_TP");
    EXPECT_TRUE(w->record.DBImage1->isHidden());
}

TEST_F(CatalogueTest, SelectionFollowsClicksAndKeepsParametersAcrossTreeClicks)
{
    // The picture frame starts with the sample photograph stored with the program.
    EXPECT_EQ(w->record.Image1->picture().size(), QSize(447, 335));

    w->hardwareSelection.parameters = QStringLiteral("前一个参数");
    openDdr5();
    EXPECT_EQ(w->hardwareSelection.itemId, kingston);
    EXPECT_EQ(w->hardwareSelection.itemName, "金士顿 32GB");
    EXPECT_EQ(w->hardwareSelection.parameters, "前一个参数"); // a tree click leaves it
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "金士顿 32GB");
    EXPECT_TRUE(w->record.Panel_HW->isVisible());

    clickRow(1);
    EXPECT_EQ(w->hardwareSelection.itemId, gskill);
    EXPECT_EQ(w->hardwareSelection.parameters, "6400MHz CL32");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "芝奇 32GB");
    EXPECT_TRUE(w->record.Image1->picture().isNull()); // no picture file: none, not another item's

    clickRow(0);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');
    EXPECT_EQ(w->hardwareSelection.parameters, "6000MHz CL30");

    // An item without parameters is picked like any other: its parameters are empty.
    clickRow(2);
    EXPECT_EQ(w->hardwareSelection.itemId, corsair);
    EXPECT_EQ(w->hardwareSelection.itemName, "海盗船 16GB");
    EXPECT_EQ(w->hardwareSelection.parameters, "");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "海盗船 16GB");
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'b');

    // A double click picks the row as well.
    w->ADOQueryHW->setCurrentRow(1);
    QTest::mouseDClick(w->catalogue.DBGrid1->viewport(), Qt::LeftButton, {},
                       w->catalogue.DBGrid1->visualRect(w->catalogue.DBGrid1->model()->index(1, 1)).center());
    EXPECT_EQ(w->hardwareSelection.itemId, gskill);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "芝奇 32GB");
}

TEST_F(CatalogueTest, ArrowKeysChangeOnlyThePicture)
{
    openDdr5();
    clickRow(0);
    ASSERT_EQ(colourOf(w->record.Image1->picture()), 'r');
    w->catalogue.DBGrid1->setFocus();

    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Down); // to 芝奇, which has no picture
    EXPECT_EQ(w->ADOQueryHW->currentRow(), 1);
    EXPECT_TRUE(w->record.Image1->picture().isNull()); // never 金士顿's
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Down); // to 海盗船
    EXPECT_EQ(w->ADOQueryHW->currentRow(), 2);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'b');
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Up);
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Up); // back on 金士顿
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');

    EXPECT_EQ(w->hardwareSelection.itemId, kingston);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "金士顿 32GB");
}

TEST_F(CatalogueTest, PicturesComeFromTheDataFolderAndUnreadableOnesShowNone)
{
    // The process runs from elsewhere: pictures are still those of the data folder.
    testing_support::TempFolder elsewhere;
    QDir(elsewhere.path()).mkpath(QStringLiteral("PICS"));
    platform::writeJpegFile(elsewhere.file(QStringLiteral("PICS/%1.jpg").arg(kingston)), plainPicture(Qt::green));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(elsewhere.path()));
    openDdr5();
    clickRow(0);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');

    // Not a JPEG: no picture rather than another item's, and the click still names the
    // clicked item.
    QFile bad(picturePath(gskill));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("GIF89a not really a picture");
    bad.close();
    clickRow(1);
    EXPECT_TRUE(w->record.Image1->picture().isNull());
    EXPECT_EQ(w->hardwareSelection.itemId, gskill);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "芝奇 32GB");
    // A truncated JPEG is refused the same way.
    QByteArray half = platform::encodeJpeg(plainPicture(Qt::green, 400, 300));
    half.truncate(half.size() / 2);
    QFile cut(picturePath(corsair));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(half);
    cut.close();
    clickRow(0);
    w->catalogue.DBGrid1->setFocus();
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Down);
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Down);
    EXPECT_TRUE(w->record.Image1->picture().isNull());
    QDir::setCurrent(before);
}

TEST_F(CatalogueTest, NewItemShowsTheClickedLevel4Category)
{
    click(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    w->record.DBNavigator1->button(Button::Insert)->click();
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    EXPECT_EQ(w->record.DBEdit2->text(), QString::number(ddr4));
    EXPECT_TRUE(dialogs.of(platform::DialogKind::ErrorReport).isEmpty());

    // Typed and posted, the item is filed under DDR4.
    w->record.DBEdit3->setFocus();
    modal_testing::typeText(w->record.DBEdit3, QStringLiteral("Gloway 16GB"));
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_EQ(cat.column(QStringLiteral("select L4_ID from HW where HW_MC = 'Gloway 16GB'"), QStringLiteral("L4_ID")),
              QStringList{QString::number(ddr4)});
}

TEST_F(CatalogueTest, NewItemIsRefusedWhenTheClickedCategoryIsGone)
{
    click(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    cat.run(QStringLiteral("update L4 set L4_NM = 'DDR4 旧' where L4_ID = %1").arg(ddr4));
    click(*w, node(*w, {"电脑", "配件", "内存", "DDR4"})); // the tree still shows the old name
    w->record.DBNavigator1->button(Button::Insert)->click();
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    ASSERT_EQ(dialogs.of(platform::DialogKind::ErrorReport).size(), 1);
    EXPECT_EQ(cat.count(QStringLiteral("select count(*) as n from HW")), 4);
}

TEST_F(CatalogueTest, AnItemWithoutAPictureShowsNoneAfterOneWithAPicture)
{
    openDdr5();
    clickRow(0);
    ASSERT_EQ(colourOf(w->record.Image1->picture()), 'r');
    clickRow(1); // 芝奇 has no picture
    EXPECT_TRUE(w->record.Image1->picture().isNull());
    clickRow(2);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'b');
}

TEST_F(CatalogueTest, TheYearAndUnitBoxesStepFromTheShownValueAndTheWheelNeedsTheFocus)
{
    cat.run(QStringLiteral("update HW set HW_NF = '2020', HW_DW = '条' where HW_ID = %1").arg(kingston));
    openDdr5();
    clickRow(0);
    auto* years = w->record.DBComboBox2;
    auto* units = w->record.DBComboBox1;
    ASSERT_EQ(years->currentText(), "2020");

    // The wheel over a box without the focus changes nothing.
    QWheelEvent turn(QPointF(5, 5), years->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(years, &turn);
    EXPECT_EQ(years->currentText(), "2020");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);

    years->setFocus();
    QApplication::processEvents();
    QTest::keyClick(years, Qt::Key_Down);
    EXPECT_EQ(years->currentText(), "2021");
    QTest::keyClick(years, Qt::Key_Up);
    QTest::keyClick(years, Qt::Key_Up);
    EXPECT_EQ(years->currentText(), "2019");
    units->setFocus();
    QApplication::processEvents();
    QTest::keyClick(units, Qt::Key_Down);
    EXPECT_EQ(units->currentText(), "支"); // the entry after 条
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_EQ(stored(kingston, "HW_NF"), "2019");
    EXPECT_EQ(stored(kingston, "HW_DW"), "支");

    // The next row shows its own value and steps from it; a year typed outside the list
    // stays as typed.
    cat.run(QStringLiteral("update HW set HW_NF = '1985' where HW_ID = %1").arg(gskill));
    w->ADOQueryHW->refresh();
    clickRow(1);
    years->setFocus();
    QApplication::processEvents();
    QTest::keyClick(years, Qt::Key_Down);
    EXPECT_EQ(years->currentText(), "1985");
}

TEST_F(CatalogueTest, DownPastTheLastItemAndBackLeavesNoBlankItem)
{
    openDdr5();
    clickRow(2);
    auto* grid = w->catalogue.DBGrid1;
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    QTest::keyClick(grid, Qt::Key_Up);
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    EXPECT_EQ(cat.count(QStringLiteral("select count(*) as n from HW")), 4);
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 3);
    EXPECT_TRUE(dialogs.of(platform::DialogKind::ErrorReport).isEmpty());
}

TEST_F(CatalogueTest, AManualPriceChangeStampsTheUpdateDate)
{
    cat.run(QStringLiteral("update HW set HW_JG = 500, HW_RQ = '2001-01-01 00:00:00'"));
    openDdr5();
    clickRow(0);
    // Another field changed: the date stays.
    w->record.DBEdit3->setFocus();
    QTest::keyClick(w->record.DBEdit3, Qt::Key_End);
    modal_testing::typeText(w->record.DBEdit3, QStringLiteral(" 套装"));
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_TRUE(stored(kingston, "HW_RQ").startsWith("2001-01-01"));

    // The price changed in the record panel: the date is now.
    const QDateTime before = QDateTime::currentDateTime().addSecs(-2);
    w->record.DBEdit7->setFocus();
    w->record.DBEdit7->selectAll();
    modal_testing::typeText(w->record.DBEdit7, QStringLiteral("499"));
    w->record.DBNavigator1->button(Button::Post)->click();
    const QDateTime stamped = QDateTime::fromString(stored(kingston, "HW_RQ").left(19), Qt::ISODate);
    ASSERT_TRUE(stamped.isValid()) << stored(kingston, "HW_RQ").toStdString();
    EXPECT_GE(stamped, before);
    EXPECT_EQ(stored(kingston, "HW_JG").toDouble(), 499);
    EXPECT_TRUE(stored(gskill, "HW_RQ").startsWith("2001-01-01"));
}

TEST_F(CatalogueTest, ANewItemUnderACategoryDeletedMeanwhileIsRefused)
{
    openDdr5();
    // Another program deletes DDR5 while its items are on screen.
    cat.run(QStringLiteral("delete from L4 where L4_ID = %1").arg(ddr5));
    w->record.DBNavigator1->button(Button::Insert)->click();
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    const auto reports = dialogs.of(platform::DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("分类“DDR5”已不存在")) << reports[0].text.toStdString();
    EXPECT_EQ(cat.count(QStringLiteral("select count(*) as n from HW")), 4);

    // Started before the delete, the item is refused when saved.
    cat.run(QStringLiteral("insert into L4 (L4_ID, L3_ID, L4_NM) select %1, L3_ID, 'DDR5' from L4 where L4_ID = %2")
                .arg(ddr5)
                .arg(ddr4));
    w->record.DBNavigator1->button(Button::Insert)->click();
    ASSERT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    w->record.DBEdit3->setFocus();
    modal_testing::typeText(w->record.DBEdit3, QStringLiteral("光威 16GB"));
    cat.run(QStringLiteral("delete from L4 where L4_ID = %1").arg(ddr5));
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_EQ(cat.count(QStringLiteral("select count(*) as n from HW")), 4);
    EXPECT_EQ(dialogs.of(platform::DialogKind::ErrorReport).size(), 2);
}

TEST_F(CatalogueTest, TheItemGridIsReadAgainWhenAnotherProgramChangedTheCatalogue)
{
    openDdr5();
    clickRow(1);
    cat.run(QStringLiteral("update HW set HW_JG = 777 where HW_ID = %1").arg(gskill));
    // The operator comes back to the window.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(w.get(), &activate);
    EXPECT_EQ(w->ADOQueryHW->currentRow(), 1);
    EXPECT_EQ(w->ADOQueryHW->value("HW_JG").toDouble(), 777);
    // Editing the row now works, without a complaint about a changed row.
    w->record.DBEdit7->setFocus();
    w->record.DBEdit7->selectAll();
    modal_testing::typeText(w->record.DBEdit7, QStringLiteral("778"));
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_TRUE(dialogs.of(platform::DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(stored(gskill, "HW_JG").toDouble(), 778);
}
