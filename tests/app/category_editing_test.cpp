// Adding, renaming and deleting categories in the category grid, and "◇ 添加记录", over a real
// catalogue file, driven through the navigators' buttons as the operator would.
#include "category_fixture.h"
#include "modal_driver.h"
#include "app/category_tree_images.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_navigator.h"
#include <QAbstractButton>
#include <QPushButton>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace category_testing;
using Button = dbaware::DBNavigator::Button;
using platform::DialogKind;

namespace {

const QString kTail = QStringLiteral("添加完成后,您可以使用右键中的 [刷新数据列表] 来更新左侧分类!:");

int imageOf(const QTreeWidgetItem* item) { return item->data(0, app::kImageIndexRole).toInt(); }
int selectedImageOf(const QTreeWidgetItem* item) { return item->data(0, app::kSelectedImageIndexRole).toInt(); }

// 电脑 > 配件 > 存储 > {硬盘 (one item), 光驱}; 电脑 > 整机; 外设 (leaf).
class CategoryEditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pc = cat.l1(QStringLiteral("电脑"));
        parts = cat.l2(pc, QStringLiteral("配件"));
        cat.l2(pc, QStringLiteral("整机"));
        storage = cat.l3(parts, QStringLiteral("存储"));
        disks = cat.l4(storage, QStringLiteral("硬盘"));
        cat.l4(storage, QStringLiteral("光驱"));
        cat.item(disks, QStringLiteral("希捷 1TB"));
        peripherals = cat.l1(QStringLiteral("外设"));
    }

    // The operator presses a button of the category navigator.
    void press(app::TFrm_main& w, Button button) { w.tree.DBNavigator2->button(button)->click(); }
    void moveGridTo(app::TFrm_main& w, const QString& nameColumn, const QString& name)
    {
        db::Dataset& rows = *w.ADOQueryL1_L4;
        for (rows.first(); !rows.eof(); rows.next())
            if (rows.asString(nameColumn) == name)
                return;
        FAIL() << "no row " << name.toStdString();
    }
    QStringList l2Named(const QString& name)
    {
        return cat.column(QStringLiteral("select * from L2 where L2_NM=") + db::statements::textLiteral(name),
                          QStringLiteral("L1_ID"));
    }

    Catalogue cat;
    Dialogs dialogs;
    int pc = 0, parts = 0, storage = 0, disks = 0, peripherals = 0;
};

} // namespace

TEST_F(CategoryEditingTest, TopLevelInsertAtStartAsksForTheNameAndAddsARootNode)
{
    auto w = openWindow(cat);
    dialogs.answers = {QStringLiteral("显示器")};
    press(*w, Button::Insert);

    const auto prompts = dialogs.of(DialogKind::Prompt);
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0].caption, "请输入要添加的顶级分类名");
    EXPECT_EQ(prompts[0].text, QStringLiteral("请输入要添加的顶级分类名\r") + kTail);
    EXPECT_EQ(prompts[0].defaultValue, "默认分类");
    EXPECT_EQ(cat.column("select * from L1", "L1_NM"), (QStringList{"电脑", "外设", "显示器"}));
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Browse);

    QTreeWidgetItem* added = w->tree.tv1->topLevelItem(w->tree.tv1->topLevelItemCount() - 1);
    EXPECT_EQ(added->text(0), "显示器");
    EXPECT_EQ(imageOf(added), 0);
    EXPECT_EQ(selectedImageOf(added), 0);
    // Until a refresh gives it its level's images.
    w->btn_refreshClick();
    EXPECT_EQ(imageOf(node(*w, {"显示器"})), 1);
}

TEST_F(CategoryEditingTest, CancelOrEscapeInThePromptAddsNoCategory)
{
    auto w = openWindow(cat);
    w->show();
    click(*w, node(*w, {"电脑"}));
    const int categories = cat.count("select count(*) as n from L2");
    {
        modal_testing::ModalDriver driver;
        driver.click(QStringLiteral("取消"));
        QTest::mouseClick(w->tree.DBNavigator2->button(Button::Insert), Qt::LeftButton);
        ASSERT_EQ(driver.seen.size(), 1);
        EXPECT_EQ(driver.seen[0].caption, "请输入要添加的分类名");
    }
    // Down past the grid's last row starts a row too; Escape in its prompt drops it.
    auto* grid = w->tree.DBGrid2;
    grid->setFocus();
    w->ADOQueryL1_L4->last();
    {
        modal_testing::ModalDriver driver;
        driver.press(Qt::Key_Escape);
        QTest::keyClick(grid, Qt::Key_Down);
        EXPECT_EQ(driver.seen.size(), 1);
    }
    EXPECT_EQ(cat.count("select count(*) as n from L2"), categories);
    EXPECT_TRUE(l2Named("默认分类").isEmpty());
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Browse);
    EXPECT_EQ(grid->model()->rowCount(), w->ADOQueryL1_L4->recordCount());
    EXPECT_EQ(node(*w, {"电脑"})->childCount(), categories);

    // OK adds the name typed.
    modal_testing::ModalDriver driver;
    driver.type(QStringLiteral("外设"));
    QTest::mouseClick(w->tree.DBNavigator2->button(Button::Insert), Qt::LeftButton);
    EXPECT_EQ(l2Named("外设"), QStringList{QString::number(pc)});
}

TEST_F(CategoryEditingTest, ChildInsertGoesUnderTheClickedCategoryAndResolvesAtOnce)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    click(*w, node(*w, {"电脑", "配件"}));
    dialogs.answers = {QStringLiteral("散热")};
    press(*w, Button::Insert);

    const auto prompts = dialogs.of(DialogKind::Prompt);
    ASSERT_EQ(prompts.size(), 1);
    EXPECT_EQ(prompts[0].caption, "请输入要添加的分类名");
    EXPECT_EQ(prompts[0].text, QStringLiteral("请输入要添加的分类名\r") + kTail);
    EXPECT_EQ(cat.column("select * from L3 where L3_NM='散热'", "L2_ID"), QStringList{QString::number(parts)});
    QTreeWidgetItem* added = node(*w, {"电脑", "配件", "散热"});
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(imageOf(added), 0);

    // The new node is not in the lookup lists, yet its path finds it, so children can follow.
    click(*w, added);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    dialogs.answers = {QStringLiteral("风扇")};
    press(*w, Button::Insert);
    const QStringList fanParent = cat.column("select * from L4 where L4_NM='风扇'", "L3_ID");
    EXPECT_EQ(fanParent, cat.column("select * from L3 where L3_NM='散热'", "L3_ID"));
}

TEST_F(CategoryEditingTest, LeafLevel1CategoryAfterRefreshTakesAChild)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    w->btn_refreshClick();
    click(*w, node(*w, {"外设"}));
    dialogs.answers = {QStringLiteral("键盘")};
    press(*w, Button::Insert);
    EXPECT_EQ(l2Named("键盘"), QStringList{QString::number(peripherals)});
    EXPECT_NE(node(*w, {"外设", "键盘"}), nullptr);
}

TEST_F(CategoryEditingTest, InsertAfterARefreshIsTopLevelAndNeverUsesTheRemovedNode)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    click(*w, node(*w, {"电脑", "配件"}));
    w->btn_refreshClick(); // removes the clicked node; the grid lists level-1 rows again
    dialogs.answers = {QStringLiteral("耗材")};
    press(*w, Button::Insert);

    ASSERT_EQ(dialogs.of(DialogKind::Prompt).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::Prompt)[0].caption, "请输入要添加的顶级分类名");
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(cat.column("select * from L1 where L1_NM='耗材'", "L1_NM").size(), 1);
    EXPECT_EQ(w->tree.tv1->topLevelItem(w->tree.tv1->topLevelItemCount() - 1)->text(0), "耗材");
    EXPECT_EQ(cat.count("select count(*) as n from L3"), 1);
}

TEST_F(CategoryEditingTest, ACategoryGoneFromTheCatalogueRefusesInserts)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"})); // resolves 电脑: the insert context names it
    cat.run(QStringLiteral("DELETE FROM L2 WHERE L2_ID=%1").arg(parts)); // another program removes 配件
    click(*w, node(*w, {"电脑", "配件"}));
    EXPECT_EQ(w->insertContext.parentId, 0);
    EXPECT_EQ(w->categoryValues.l2Id, 0);

    const int l3Before = cat.count("select count(*) as n from L3");
    press(*w, Button::Insert);
    EXPECT_TRUE(dialogs.of(DialogKind::Prompt).isEmpty());
    const auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("刷新")) << reports[0].text.toStdString();
    EXPECT_EQ(cat.count("select count(*) as n from L3"), l3Before);
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Browse); // nothing left pending
    EXPECT_EQ(node(*w, {"电脑", "配件"})->childCount(), 1);
}

TEST_F(CategoryEditingTest, RenamingShowsAfterARefreshAndTheOldNodeNoLongerResolves)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    moveGridTo(*w, "L2_NM", "整机");
    w->ADOQueryL1_L4->edit();
    w->ADOQueryL1_L4->setValue("L2_NM", QStringLiteral("品牌机"));
    press(*w, Button::Post);
    EXPECT_EQ(l2Named("品牌机"), QStringList{QString::number(pc)});
    EXPECT_NE(node(*w, {"电脑", "整机"}), nullptr); // the tree still shows the old name

    click(*w, node(*w, {"电脑", "整机"}));
    press(*w, Button::Insert);
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_EQ(cat.count("select count(*) as n from L3"), 1);

    w->btn_refreshClick();
    EXPECT_EQ(node(*w, {"电脑", "整机"}), nullptr);
    EXPECT_NE(node(*w, {"电脑", "品牌机"}), nullptr);
}

TEST_F(CategoryEditingTest, ARefusedPostReportsTheErrorAndAddsNoNode)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    const int children = node(*w, {"电脑"})->childCount();
    dialogs.answers = {QString(60, QLatin1Char('x'))}; // longer than the name column takes
    press(*w, Button::Insert);
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_EQ(node(*w, {"电脑"})->childCount(), children);
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Insert); // the operator cancels it
    press(*w, Button::Cancel);
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Browse);
    EXPECT_EQ(cat.count("select count(*) as n from L2"), 2);
}

TEST_F(CategoryEditingTest, DeletingACategoryWithContentsAsksWithTheCountsAndTakesTheWholeSubtree)
{
    // A picture file and a quotation line of the item outlive the item.
    QDir(cat.folder.path()).mkpath("PICS");
    const int disk = cat.count("select HW_ID as n from HW");
    cat.run(QStringLiteral("update HW set HW_TP = x'FFD8FF', HW_TP_URL = '.\\PICS\\%1.jpg'").arg(disk));
    QFile picture(cat.folder.file(QStringLiteral("PICS/%1.jpg").arg(disk)));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
    picture.close();
    cat.run(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS) values ('Q', 'q', %1, '希捷')").arg(disk));

    auto w = openWindow(cat);
    w->show();
    auto storedRows = [&] {
        QList<int> counts;
        for (const char* table : {"L1", "L2", "L3", "L4", "HW", "DIY"})
            counts << cat.count(QStringLiteral("select count(*) as n from %1").arg(QLatin1String(table)));
        return counts;
    };
    const QList<int> before = storedRows();
    ASSERT_EQ(before, (QList<int>{2, 2, 1, 2, 1, 1}));

    // No leaves everything.
    dialogs.question = false;
    moveGridTo(*w, "L1_NM", "电脑");
    press(*w, Button::Delete);
    ASSERT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::Question)[0].text, "删除“电脑”及其下 5 个分类、1 个产品?");
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(w->ADOQueryL1_L4->asString("L1_NM"), "电脑");

    // A level-4 category with items: Yes takes the items (with their stored pictures) too.
    dialogs.seen.clear();
    dialogs.question = true;
    click(*w, node(*w, {"电脑", "配件", "存储"}));
    moveGridTo(*w, "L4_NM", "硬盘");
    press(*w, Button::Delete);
    ASSERT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::Question)[0].text, "删除“硬盘”及其下 0 个分类、1 个产品?");
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(storedRows(), (QList<int>{2, 2, 1, 1, 0, 1}));
    EXPECT_EQ(node(*w, {"电脑", "配件", "存储", "硬盘"}), nullptr);
    EXPECT_TRUE(picture.exists());

    // A level-1 category: its whole branch goes, the rest of the catalogue stays.
    dialogs.seen.clear();
    moveGridTo(*w, "L1_NM", "电脑");
    press(*w, Button::Delete);
    ASSERT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::Question)[0].text, "删除“电脑”及其下 4 个分类、0 个产品?");
    EXPECT_EQ(storedRows(), (QList<int>{1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(node(*w, {"电脑"}), nullptr);
    EXPECT_NE(node(*w, {"外设"}), nullptr);
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L1_NM"), QStringList{"外设"});
}

TEST_F(CategoryEditingTest, AFailureInTheMiddleOfASubtreeDeleteLeavesEveryRow)
{
    // The file refuses to lose level-3 rows: the items and level-4 rows, deleted before
    // them, must come back.
    cat.run("CREATE TRIGGER keep_l3 BEFORE DELETE ON L3 BEGIN SELECT RAISE(ABORT, 'L3 rows are kept'); END");
    auto w = openWindow(cat);
    moveGridTo(*w, "L1_NM", "电脑");
    press(*w, Button::Delete);
    ASSERT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    const auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("L3 rows are kept")) << reports[0].text.toStdString();
    EXPECT_EQ(cat.count("select count(*) as n from L1"), 2);
    EXPECT_EQ(cat.count("select count(*) as n from L2"), 2);
    EXPECT_EQ(cat.count("select count(*) as n from L3"), 1);
    EXPECT_EQ(cat.count("select count(*) as n from L4"), 2);
    EXPECT_EQ(cat.count("select count(*) as n from HW"), 1);
    EXPECT_EQ(w->ADOQueryL1_L4->asString("L1_NM"), "电脑"); // the row stays in the grid
    EXPECT_NE(node(*w, {"电脑", "配件", "存储", "硬盘"}), nullptr);
}

TEST_F(CategoryEditingTest, DeletingAnEmptyCategoryRebuildsTheTree)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"})); // the record panel is shown
    click(*w, node(*w, {"电脑", "配件", "存储"}));
    moveGridTo(*w, "L4_NM", "光驱");
    press(*w, Button::Delete);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    ASSERT_EQ(dialogs.of(DialogKind::Confirm).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::Confirm)[0].text, "删除这条记录?");
    EXPECT_EQ(cat.count("select count(*) as n from L4 where L4_NM='光驱'"), 0);
    EXPECT_EQ(node(*w, {"电脑", "配件", "存储", "光驱"}), nullptr);
    EXPECT_NE(node(*w, {"电脑", "配件", "存储", "硬盘"}), nullptr);
    EXPECT_EQ(w->ADOQueryL1_L4->tableName(), "L1");
    EXPECT_FALSE(w->tree.Panel_L1_L4->isHidden());

    // A level-1 row: gone from the tree; Cancel in the question keeps it.
    dialogs.confirm = false;
    moveGridTo(*w, "L1_NM", "外设");
    press(*w, Button::Delete);
    EXPECT_NE(node(*w, {"外设"}), nullptr);
    dialogs.confirm = true;
    press(*w, Button::Delete);
    EXPECT_EQ(node(*w, {"外设"}), nullptr);
    EXPECT_EQ(cat.count("select count(*) as n from L1"), 1);
}

TEST_F(CategoryEditingTest, NamesWithApostrophesCanBeAddedAndFound)
{
    auto w = openWindow(cat);
    dialogs.answers = {QStringLiteral("Tom's")};
    press(*w, Button::Insert);
    click(*w, node(*w, {"Tom's"}));
    dialogs.answers = {QStringLiteral("O'Neil")};
    press(*w, Button::Insert);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    w->btn_refreshClick();
    click(*w, node(*w, {"Tom's"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), QStringList{"O'Neil"});
    moveGridTo(*w, "L2_NM", "O'Neil");
    press(*w, Button::Delete);
    EXPECT_EQ(cat.count("select count(*) as n from L2 where L2_NM='O''Neil'"), 0);
}

TEST_F(CategoryEditingTest, AddRecordCommandFollowsTheClickedLevel)
{
    auto w = openWindow(cat);
    w->show();
    // Nothing clicked: a new top-level category, with the category panel shown.
    w->record.Panel_HW->show();
    w->tree.Panel_L1_L4->hide();
    dialogs.answers = {QStringLiteral("网络")};
    w->N4Click();
    EXPECT_TRUE(w->tree.Panel_L1_L4->isVisible());
    EXPECT_FALSE(w->record.Panel_HW->isVisible());
    EXPECT_EQ(cat.count("select count(*) as n from L1 where L1_NM='网络'"), 1);

    // Level 3 clicked: a new level-4 category under it.
    click(*w, node(*w, {"电脑", "配件", "存储"}));
    dialogs.answers = {QStringLiteral("固态盘")};
    w->N4Click();
    EXPECT_EQ(cat.column("select * from L4 where L4_NM='固态盘'", "L3_ID"), QStringList{QString::number(storage)});

    // Level 4 clicked: a new item starts in the record panel; no category prompt.
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    dialogs.seen.clear();
    w->N4Click();
    EXPECT_TRUE(w->record.Panel_HW->isVisible());
    EXPECT_FALSE(w->tree.Panel_L1_L4->isVisible());
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Browse);
    EXPECT_TRUE(dialogs.of(DialogKind::Prompt).isEmpty());
    w->ADOQueryHW->cancel();
}

TEST_F(CategoryEditingTest, AddRecordCommandRefusesAnItemForAVanishedCategory)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    cat.run(QStringLiteral("DELETE FROM L4 WHERE L4_ID=%1").arg(disks));
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    w->N4Click();
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_NE(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    EXPECT_EQ(w->categoryValues.l4Id, 0);
}

TEST_F(CategoryEditingTest, ANameTypedIntoTheGridIsSavedByTheRefreshOrKeptWhenItCannotBe)
{
    auto w = openWindow(cat);
    w->show();
    QApplication::setActiveWindow(w.get());
    click(*w, node(*w, {"电脑"}));
    moveGridTo(*w, "L2_NM", "整机");
    auto typeIntoNameCell = [&](const QString& text) {
        QApplication::processEvents();
        const QModelIndex cell =
            w->tree.DBGrid2->model()->index(w->ADOQueryL1_L4->currentRow(), w->ADOQueryL1_L4->fieldIndex("L2_NM"));
        QTest::mouseClick(w->tree.DBGrid2->viewport(), Qt::LeftButton, {}, w->tree.DBGrid2->visualRect(cell).center());
        // The first key opens the cell editor, which takes the keys after it.
        for (const QChar c : text)
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    };
    typeIntoNameCell("Brand");
    QTest::mouseClick(w->tree.btn_refresh, Qt::LeftButton);
    EXPECT_EQ(l2Named("整机"), QStringList{});
    EXPECT_EQ(cat.count("select count(*) as n from L2 where L2_NM like 'Brand'"), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());

    // The file refuses the next name: the refresh stops with the reason, the tree and the
    // typed text stay, and the navigator's Cancel discards it.
    cat.run("CREATE TRIGGER refuse_bad BEFORE UPDATE ON L2 WHEN NEW.L2_NM LIKE '%BAD%' "
            "BEGIN SELECT RAISE(ABORT, 'bad category name'); END");
    click(*w, node(*w, {"电脑"}));
    moveGridTo(*w, "L2_NM", "配件");
    typeIntoNameCell("BAD");
    QTest::mouseClick(w->tree.btn_refresh, Qt::LeftButton);
    const auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("ADOQueryL1_L4")) << reports[0].text.toStdString();
    EXPECT_TRUE(reports[0].text.contains("bad category name")) << reports[0].text.toStdString();
    EXPECT_EQ(w->ADOQueryL1_L4->state(), db::Dataset::State::Edit);
    EXPECT_EQ(w->ADOQueryL1_L4->asString("L2_NM"), "BAD");
    EXPECT_NE(node(*w, {"电脑", "配件"}), nullptr);
    press(*w, Button::Cancel);
    EXPECT_EQ(w->ADOQueryL1_L4->asString("L2_NM"), "配件");
    EXPECT_EQ(l2Named("配件"), QStringList{QString::number(pc)});
}
