// The category tree over a real catalogue file: the refresh, the click on every level, and
// how a click finds its category again from the names on the node's path.
#include "category_fixture.h"
#include "app/category_tree_images.h"
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace category_testing;

namespace {

QStringList texts(const QListWidget* list)
{
    QStringList values;
    for (int k = 0; k < list->count(); ++k)
        values << list->item(k)->text();
    return values;
}

QStringList childTexts(const QTreeWidgetItem* item)
{
    QStringList values;
    for (int k = 0; k < item->childCount(); ++k)
        values << item->child(k)->text(0);
    return values;
}

int imageOf(const QTreeWidgetItem* item) { return item->data(0, app::kImageIndexRole).toInt(); }
int selectedImageOf(const QTreeWidgetItem* item) { return item->data(0, app::kSelectedImageIndexRole).toInt(); }

// 电脑 > 配件 > 存储 > {硬盘 (2 items), 内存 (1 item)}; 电脑 > 整机; 外设 (a leaf level-1 category).
class CategoryTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        pc = cat.l1(QStringLiteral("电脑"));
        parts = cat.l2(pc, QStringLiteral("配件"));
        whole = cat.l2(pc, QStringLiteral("整机"));
        storage = cat.l3(parts, QStringLiteral("存储"));
        disks = cat.l4(storage, QStringLiteral("硬盘"));
        memory = cat.l4(storage, QStringLiteral("内存"));
        disk1 = cat.item(disks, QStringLiteral("希捷 1TB"));
        cat.item(disks, QStringLiteral("西数 2TB"));
        memory1 = cat.item(memory, QStringLiteral("金士顿 8G"));
        peripherals = cat.l1(QStringLiteral("外设"));
    }

    Catalogue cat;
    int pc = 0, parts = 0, whole = 0, storage = 0, disks = 0, memory = 0, disk1 = 0, memory1 = 0, peripherals = 0;
};

} // namespace

TEST_F(CategoryTreeTest, RefreshBuildsTheFourLevelsWithTheirImages)
{
    auto w = openWindow(cat);
    ASSERT_EQ(w->tree.tv1->topLevelItemCount(), 2);
    QTreeWidgetItem* pcNode = node(*w, {"电脑"});
    ASSERT_NE(pcNode, nullptr);
    EXPECT_EQ(childTexts(pcNode), (QStringList{"配件", "整机"}));
    QTreeWidgetItem* storageNode = node(*w, {"电脑", "配件", "存储"});
    ASSERT_NE(storageNode, nullptr);
    EXPECT_EQ(childTexts(storageNode), (QStringList{"硬盘", "内存"}));

    // Level k shows image k, image 5 while selected; new nodes start collapsed.
    const QList<QTreeWidgetItem*> byLevel = {pcNode, pcNode->child(0), storageNode, storageNode->child(0)};
    for (int level = 1; level <= 4; ++level) {
        EXPECT_EQ(imageOf(byLevel[level - 1]), level);
        EXPECT_EQ(selectedImageOf(byLevel[level - 1]), 5);
        EXPECT_FALSE(byLevel[level - 1]->isExpanded());
    }

    // The grid lists the level-1 rows, the lookup lists hold them, the tree-build queries are closed.
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L1_NM"), (QStringList{"电脑", "外设"}));
    EXPECT_EQ(texts(w->tree.L_A), (QStringList{QString::number(pc), QString::number(peripherals)}));
    EXPECT_EQ(texts(w->tree.L_B), (QStringList{"电脑", "外设"}));
    for (db::Dataset* q : {w->ADOQueryL1, w->ADOQueryL2, w->ADOQueryL3, w->ADOQueryL4})
        EXPECT_FALSE(q->active()) << q->name().toStdString();
    EXPECT_FALSE(w->tree.Panel_L1_L4->isHidden());
    EXPECT_TRUE(w->record.Panel_HW->isHidden());

    // A second refresh rebuilds, it does not append.
    w->btn_refreshClick();
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), 2);
}

TEST_F(CategoryTreeTest, TheSixImagesAreDistinct16By16Pictures)
{
    QList<QImage> images;
    for (int k = 0; k < app::kCategoryImageCount; ++k) {
        QImage image = app::categoryTreeImage(k).toImage();
        EXPECT_EQ(image.size(), QSize(16, 16)) << k;
        for (const QImage& earlier : images)
            EXPECT_NE(image, earlier) << k;
        images.append(image);
    }
}

TEST(CategoryTreeEmptyTest, EmptyCatalogueGivesEmptyTreeAndGrid)
{
    Catalogue cat;
    auto w = openWindow(cat);
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), 0);
    EXPECT_TRUE(w->ADOQueryL1_L4->active());
    EXPECT_EQ(w->ADOQueryL1_L4->recordCount(), 0);
    EXPECT_EQ(w->tree.L_A->count(), 0);
}

TEST_F(CategoryTreeTest, ClickOnEachLevelLoadsWhatLiesUnderIt)
{
    auto w = openWindow(cat);
    w->show();

    click(*w, node(*w, {"电脑"}));
    EXPECT_FALSE(w->topLevelInsertMode);
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), (QStringList{"配件", "整机"}));
    EXPECT_EQ(w->categoryValues.l1Id, pc);
    EXPECT_EQ(w->categoryValues.l1Name, "电脑");
    EXPECT_EQ(w->insertContext.parentKeyColumn, "L1_ID");
    EXPECT_EQ(w->insertContext.nameColumn, "L2_NM");
    EXPECT_EQ(w->insertContext.parentId, pc);
    EXPECT_EQ(texts(w->tree.L_B), (QStringList{"配件", "整机"}));
    EXPECT_EQ(w->catalogue.Lbl_L1->text(), "电脑");

    click(*w, node(*w, {"电脑", "配件"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L3_NM"), (QStringList{"存储"}));
    EXPECT_EQ(w->categoryValues.l2Id, parts);
    EXPECT_EQ(w->insertContext.parentKeyColumn, "L2_ID");
    EXPECT_EQ(w->insertContext.nameColumn, "L3_NM");

    click(*w, node(*w, {"电脑", "配件", "存储"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L4_NM"), (QStringList{"硬盘", "内存"}));
    EXPECT_EQ(w->categoryValues.l3Id, storage);
    EXPECT_EQ(w->catalogue.Lbl_L3->text(), "存储");
    EXPECT_TRUE(w->record.Panel_HW->isHidden());

    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    EXPECT_TRUE(w->record.Panel_HW->isVisible());
    EXPECT_FALSE(w->tree.Panel_L1_L4->isVisible());
    EXPECT_EQ(rowsOf(*w->ADOQueryHW, "HW_MC"), (QStringList{"希捷 1TB", "西数 2TB"}));
    EXPECT_EQ(w->categoryValues.l4Id, disks);
    EXPECT_EQ(w->insertContext.parentKeyColumn, "L4_ID");
    EXPECT_EQ(w->hardwareSelection.itemId, disk1);
    EXPECT_EQ(w->hardwareSelection.itemName, "希捷 1TB");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "希捷 1TB");
    EXPECT_EQ(w->ADOQueryHW->currentRow(), 0);
    EXPECT_EQ(texts(w->tree.L_B), (QStringList{"希捷 1TB", "西数 2TB"}));
    const auto& c = w->catalogue;
    EXPECT_EQ((QStringList{c.Lbl_L1->text(), c.Lbl_L2->text(), c.Lbl_L3->text(), c.Lbl_L4->text()}),
              (QStringList{"电脑", "配件", "存储", "硬盘"}));

    // A level-1 click empties the labels to its right; a refresh leaves the values alone.
    click(*w, node(*w, {"外设"}));
    EXPECT_EQ(w->catalogue.Lbl_L2->text(), "");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "");
    EXPECT_TRUE(w->record.Panel_HW->isHidden());
    w->btn_refreshClick();
    EXPECT_EQ(w->categoryValues.l1Name, "外设");
    EXPECT_EQ(w->hardwareSelection.itemId, disk1);
    EXPECT_FALSE(w->topLevelInsertMode);
}

TEST_F(CategoryTreeTest, SameNamedCategoriesListChildrenOfBothButResolveTheClickedOne)
{
    const int other = cat.l1(QStringLiteral("电脑配件"));
    const int otherParts = cat.l2(other, QStringLiteral("配件"));
    cat.l3(otherParts, QStringLiteral("显卡"));
    auto w = openWindow(cat);

    // Levels 2 and 3 of both branches, each listing the children of both (by name).
    click(*w, node(*w, {"电脑配件"}));
    click(*w, node(*w, {"电脑配件", "配件"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L3_NM"), (QStringList{"存储", "显卡"}));
    EXPECT_EQ(w->categoryValues.l2Id, otherParts);
    EXPECT_EQ(w->insertContext.parentId, otherParts);
    EXPECT_EQ(w->categoryValues.l1Id, other);

    click(*w, node(*w, {"电脑"}));
    click(*w, node(*w, {"电脑", "配件"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L3_NM"), (QStringList{"存储", "显卡"}));
    EXPECT_EQ(w->categoryValues.l2Id, parts);
    EXPECT_EQ(w->insertContext.parentId, parts);
}

TEST_F(CategoryTreeTest, EqualNamesUnderOneParentResolveByTheirPlace)
{
    const int second = cat.l2(pc, QStringLiteral("配件"));
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑"}));
    click(*w, node(*w, {"电脑", "配件"}, 1));
    EXPECT_EQ(w->categoryValues.l2Id, second);
    click(*w, node(*w, {"电脑", "配件"}, 0));
    EXPECT_EQ(w->categoryValues.l2Id, parts);
}

TEST_F(CategoryTreeTest, FarAndSiblingClicksResolveTheirOwnCategory)
{
    auto w = openWindow(cat);
    // Straight from a refresh to a level-4 node: no click on its parents in between.
    click(*w, node(*w, {"电脑", "配件", "存储", "内存"}));
    EXPECT_EQ(w->categoryValues.l4Id, memory);
    EXPECT_EQ(w->hardwareSelection.itemId, memory1);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "金士顿 8G");
    // The ancestors come with it, for the quotation line and the breadcrumbs.
    EXPECT_EQ(w->categoryValues.l2Id, parts);
    EXPECT_EQ(w->categoryValues.l2Name, "配件");
    EXPECT_EQ(w->categoryValues.l3Name, "存储");
    EXPECT_EQ(w->catalogue.Lbl_L1->text(), "电脑");

    // The sibling next: the lookup lists hold item names now, the path still finds it.
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    EXPECT_EQ(w->categoryValues.l4Id, disks);
    EXPECT_EQ(w->hardwareSelection.itemId, disk1);
    EXPECT_EQ(w->catalogue.Lbl_L4->text(), "硬盘");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "希捷 1TB");
}

TEST_F(CategoryTreeTest, ClickingANodeTwiceGivesTheSameResult)
{
    auto w = openWindow(cat);
    for (const QStringList& path : {QStringList{"电脑"}, QStringList{"外设"}}) {
        click(*w, node(*w, path));
        const app::CategoryInsertContext first = w->insertContext;
        const QStringList firstRows = rowsOf(*w->ADOQueryL1_L4, "L2_NM");
        click(*w, node(*w, path));
        EXPECT_EQ(w->insertContext.parentId, first.parentId) << path.join('/').toStdString();
        EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), firstRows);
    }
    EXPECT_EQ(w->insertContext.parentId, peripherals);

    // Level 4 twice: the items reload and the selection follows the click again.
    QTreeWidgetItem* diskNode = node(*w, {"电脑", "配件", "存储", "硬盘"});
    click(*w, diskNode);
    w->hardwareSelection = {};
    w->catalogue.Lbl_HW->clear();
    click(*w, diskNode);
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 2);
    EXPECT_EQ(w->hardwareSelection.itemId, disk1);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "希捷 1TB");
}

TEST_F(CategoryTreeTest, KeyboardSelectionMovesOnlyTheSelectionAndTheBranches)
{
    auto w = openWindow(cat);
    click(*w, node(*w, {"外设"}));
    const app::CategoryValues before = w->categoryValues;
    const QString l1Label = w->catalogue.Lbl_L1->text();

    // Selecting (without the click handler) opens the node and closes the earlier branch.
    QTreeWidgetItem* storageNode = node(*w, {"电脑", "配件", "存储"});
    w->tree.tv1->setCurrentItem(node(*w, {"电脑"}));
    w->tree.tv1->setCurrentItem(node(*w, {"电脑", "配件"}));
    w->tree.tv1->setCurrentItem(storageNode);
    EXPECT_TRUE(storageNode->isExpanded());
    EXPECT_TRUE(storageNode->parent()->isExpanded());
    w->tree.tv1->setCurrentItem(node(*w, {"外设"}));
    EXPECT_FALSE(storageNode->isExpanded());
    EXPECT_FALSE(node(*w, {"电脑"})->isExpanded());

    EXPECT_EQ(w->categoryValues.l1Id, before.l1Id);
    EXPECT_EQ(w->categoryValues.l3Name, before.l3Name);
    EXPECT_EQ(w->catalogue.Lbl_L1->text(), l1Label);
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), QStringList{});
    EXPECT_FALSE(w->ADOQueryHW->active());
}

TEST_F(CategoryTreeTest, EmptyLevel4CategoryKeepsTheSelection)
{
    cat.l4(storage, QStringLiteral("光驱"));
    auto w = openWindow(cat);
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    click(*w, node(*w, {"电脑", "配件", "存储", "光驱"}));
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 0);
    EXPECT_EQ(w->catalogue.Lbl_L4->text(), "光驱");
    EXPECT_NE(w->categoryValues.l4Id, disks); // never the category clicked before
    EXPECT_EQ(w->hardwareSelection.itemId, disk1);
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "希捷 1TB");
}

TEST_F(CategoryTreeTest, NamesWithApostrophesListAndResolve)
{
    const int brand = cat.l1(QStringLiteral("Tom's"));
    cat.l2(brand, QStringLiteral("O'Neil's"));
    auto w = openWindow(cat);
    click(*w, node(*w, {"Tom's"}));
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), (QStringList{"O'Neil's"}));
    EXPECT_EQ(w->categoryValues.l1Id, brand);
    click(*w, node(*w, {"Tom's", "O'Neil's"}));
    EXPECT_TRUE(w->ADOQueryL1_L4->active());
    EXPECT_EQ(w->ADOQueryL1_L4->recordCount(), 0);
    EXPECT_EQ(w->catalogue.Lbl_L2->text(), "O'Neil's");
}

TEST(CategoryTreeConnectionTest, RefreshWithoutACatalogueEndsSilently)
{
    testing_support::TempFolder empty;
    Dialogs dialogs;
    app::TFrm_main w(empty.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    w.btn_refreshClick();
    EXPECT_EQ(w.tree.tv1->topLevelItemCount(), 0);
    EXPECT_FALSE(w.ADOQueryL1_L4->active());
    EXPECT_TRUE(dialogs.seen.isEmpty());
}

TEST_F(CategoryTreeTest, AMouseClickBelowAnOpenedBranchLandsOnTheNodeUnderTheMouse)
{
    auto w = openWindow(cat);
    w->show();
    // 电脑 opened shows 配件 and 整机; 外设 is drawn below them. Selecting 外设 closes 电脑's
    // branch while the button is down, so the rows move under the mouse before the release.
    mouseClickNode(*w, node(*w, {"电脑"}));
    ASSERT_TRUE(node(*w, {"电脑"})->isExpanded());
    mouseClickNode(*w, node(*w, {"外设"}));
    EXPECT_EQ(w->tree.tv1->currentItem(), node(*w, {"外设"}));
    EXPECT_EQ(w->tree.tv1->selectedItems(), QList<QTreeWidgetItem*>{node(*w, {"外设"})});
    EXPECT_FALSE(node(*w, {"电脑"})->isExpanded());
    EXPECT_EQ(w->catalogue.Lbl_L1->text(), "外设");
    EXPECT_EQ(w->categoryValues.l1Id, peripherals);
    EXPECT_EQ(w->insertContext.parentId, peripherals); // a following "+" files under 外设
    EXPECT_EQ(w->ADOQueryL1_L4->tableName(), "L2");
    EXPECT_EQ(rowsOf(*w->ADOQueryL1_L4, "L2_NM"), QStringList{});

    // The same one level down: 配件 opened, a click on its sibling 整机 drawn below 存储.
    mouseClickNode(*w, node(*w, {"电脑"}));
    mouseClickNode(*w, node(*w, {"电脑", "配件"}));
    ASSERT_TRUE(node(*w, {"电脑", "配件"})->isExpanded());
    mouseClickNode(*w, node(*w, {"电脑", "整机"}));
    EXPECT_EQ(w->tree.tv1->selectedItems(), QList<QTreeWidgetItem*>{node(*w, {"电脑", "整机"})});
    EXPECT_EQ(w->catalogue.Lbl_L2->text(), "整机");
    EXPECT_EQ(w->categoryValues.l2Id, whole);
    EXPECT_EQ(w->ADOQueryL1_L4->tableName(), "L3");

    // A press on the empty area below the nodes selects nothing new and loads nothing.
    const QString label = w->catalogue.Lbl_L2->text();
    QTest::mouseClick(w->tree.tv1->viewport(), Qt::LeftButton, {}, QPoint(20, w->tree.tv1->viewport()->height() - 5));
    EXPECT_EQ(w->tree.tv1->currentItem(), node(*w, {"电脑", "整机"}));
    EXPECT_EQ(w->catalogue.Lbl_L2->text(), label);
}
