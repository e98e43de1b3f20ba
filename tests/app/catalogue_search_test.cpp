// The search box above the item grid: hits as you type, Enter and double click selecting a
// hit exactly as a click on its row in its category, Esc and Ctrl+F, and the keys the box
// keeps for itself.
#include "quotation_fixture.h"
#include "app/catalogue_search_box.h"
#include "db/catalogue_index.h"
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using namespace quotation_testing;

namespace {

// 电脑 > 配件 > 存储 > 硬盘 (from the quotation fixture) plus graphics cards, and a second
// "显卡 > NVIDIA" of the same names under 整机 (the tree tells them apart by place).
class SearchTest : public QuotationTest {
protected:
    void SetUp() override
    {
        QuotationTest::SetUp();
        const int whole = cat.count("select L2_ID as n from L2 where L2_NM = '整机'");
        nvidia = cat.l4(cat.l3(parts, "显卡"), "NVIDIA");
        rtx = addItem(nvidia, "RTX 4070 SUPER", "4599", "12GB GDDR6X");
        twinNvidia = cat.l4(cat.l3(whole, "显卡"), "NVIDIA");
        twin = addItem(twinNvidia, "RTX 4070 整机版", "6999", "整机");
        w = window();
        QApplication::setActiveWindow(w.get());
    }

    void type(const QString& text)
    {
        w->catalogue.searchBox->edit()->setFocus();
        w->catalogue.searchBox->edit()->clear();
        // Keys for plain letters; Chinese and full-width text arrives as an input method commits it.
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(w->catalogue.searchBox->edit(), text);
        else
            w->catalogue.searchBox->edit()->insert(text);
        QApplication::processEvents(); // the search runs once the keys are handled
    }
    QStringList listed() const
    {
        QStringList rows;
        for (int k = 0; k < w->catalogue.searchBox->hitList()->topLevelItemCount(); ++k) {
            const QTreeWidgetItem* row = w->catalogue.searchBox->hitList()->topLevelItem(k);
            rows << row->text(0) + "|" + row->text(1) + "|" + row->text(2);
        }
        return rows;
    }

    std::unique_ptr<app::TFrm_main> w;
    int nvidia = 0, rtx = 0, twinNvidia = 0, twin = 0;
};

} // namespace

TEST_F(SearchTest, TypingListsTheHitsWithTheirLevel2CategoryAndPrice)
{
    type(QStringLiteral("ＲＴＸ４０７０"));
    EXPECT_EQ(listed(), QStringList({"RTX 4070 SUPER|配件|4599", "RTX 4070 整机版|整机|6999"}));
    EXPECT_TRUE(w->catalogue.searchBox->hitList()->isVisible());
    EXPECT_TRUE(w->catalogue.searchBox->hitList()->headerItem()->text(0).contains(QStringLiteral("找到 2 项")));
    type(QStringLiteral("4070 gddr"));
    EXPECT_EQ(listed(), QStringList{"RTX 4070 SUPER|配件|4599"});
    type(QStringLiteral("希"));
    EXPECT_EQ(listed(), QStringList{"希捷 1TB|配件|1234.5"});
    type(QStringLiteral("没有这个"));
    EXPECT_TRUE(listed().isEmpty());

    // Esc empties the box and hides the list; Del and Ctrl+V edit the box, not the record.
    type(QStringLiteral("rtx"));
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Home);
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Delete);
    EXPECT_EQ(w->catalogue.searchBox->edit()->text(), "tx");
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Escape);
    EXPECT_TRUE(w->catalogue.searchBox->edit()->text().isEmpty());
    EXPECT_FALSE(w->catalogue.searchBox->hitList()->isVisible());

    // Ctrl+F from anywhere in the window brings the keyboard to the box.
    w->catalogue.DBGrid1->setFocus();
    w->catalogue.searchBox->edit()->setText("abc");
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), w->catalogue.searchBox->edit());
    EXPECT_EQ(w->catalogue.searchBox->edit()->selectedText(), "abc");
}

TEST_F(SearchTest, EnterSelectsTheHitAsAClickOnItsRowInItsCategory)
{
    type(QStringLiteral("4070 整机"));
    ASSERT_EQ(w->catalogue.searchBox->hits().size(), 1);
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Return);

    // The second "显卡 > NVIDIA", under 整机, not the first of that name.
    QTreeWidgetItem* current = w->tree.tv1->currentItem();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current, node(*w, {"电脑", "整机", "显卡", "NVIDIA"}));
    EXPECT_EQ(w->categoryValues.l4Id, twinNvidia);
    EXPECT_EQ(w->categoryValues.l2Name, "整机");
    EXPECT_EQ(w->catalogue.Lbl_L2->text(), "整机");
    EXPECT_TRUE(w->record.Panel_HW->isVisibleTo(w.get()));
    EXPECT_EQ(w->ADOQueryHW->asInteger("HW_ID"), twin);
    EXPECT_EQ(w->hardwareSelection.itemId, twin);
    EXPECT_EQ(w->hardwareSelection.parameters, "整机");
    EXPECT_EQ(w->catalogue.Lbl_HW->text(), "RTX 4070 整机版");
    EXPECT_FALSE(w->catalogue.searchBox->hitList()->isVisible());

    // Down moves to the second hit; a double click chooses it as Enter does.
    type(QStringLiteral("rtx"));
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Down);
    EXPECT_EQ(w->catalogue.searchBox->hitList()->currentItem()->text(0), "RTX 4070 整机版");
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Up);
    QTreeWidgetItem* first = w->catalogue.searchBox->hitList()->topLevelItem(0);
    emit w->catalogue.searchBox->hitList()->itemDoubleClicked(first, 0);
    EXPECT_EQ(w->hardwareSelection.itemId, rtx);
    EXPECT_EQ(w->tree.tv1->currentItem(), node(*w, {"电脑", "配件", "显卡", "NVIDIA"}));
}

TEST_F(SearchTest, AHitChosenFromTheSearchAddsTheSameLineAsATreeClick)
{
    create(*w, "S-1", "搜索");
    type(QStringLiteral("西数"));
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Return);
    add(*w, QStringLiteral("2"), std::nullopt);

    create(*w, "T-1", "点击");
    showDisks(*w);
    pick(*w, "西数 2TB");
    add(*w, QStringLiteral("2"), std::nullopt);

    const auto fromSearch = stored("DIY_ID = 'S-1'");
    const auto fromTree = stored("DIY_ID = 'T-1'");
    ASSERT_EQ(fromSearch.size(), 1);
    ASSERT_EQ(fromTree.size(), 1);
    EXPECT_EQ(fromSearch[0].itemId, wd);
    EXPECT_EQ(fromSearch[0].itemId, fromTree[0].itemId);
    EXPECT_EQ(fromSearch[0].description, fromTree[0].description);
    EXPECT_EQ(fromSearch[0].category, fromTree[0].category);
    EXPECT_EQ(fromSearch[0].categoryId, fromTree[0].categoryId);
    EXPECT_EQ(fromSearch[0].price, fromTree[0].price);
    EXPECT_EQ(fromSearch[0].amount, 600);
}

TEST_F(SearchTest, TheSearchFollowsEditsAndAHitUnderANewCategoryRebuildsTheTree)
{
    // An item renamed in the record panel is found by its new name at once.
    showDisks(*w);
    pick(*w, "希捷 1TB");
    w->ADOQueryHW->edit();
    w->ADOQueryHW->setValue("HW_MC", QStringLiteral("希捷 酷鱼 1TB"));
    w->ADOQueryHW->post();
    type(QStringLiteral("酷鱼"));
    EXPECT_EQ(listed(), QStringList{"希捷 酷鱼 1TB|配件|1234.5"});

    // Another program adds a category and an item; the tree does not show them yet.
    const int fans = cat.l4(cat.l3(parts, "散热"), "风扇");
    addItem(fans, "利民 风扇", "89", "12cm");
    type(QStringLiteral("利民"));
    ASSERT_EQ(w->catalogue.searchBox->hits().size(), 1);
    QTest::keyClick(w->catalogue.searchBox->edit(), Qt::Key_Return);
    EXPECT_EQ(w->tree.tv1->currentItem(), node(*w, {"电脑", "配件", "散热", "风扇"}));
    EXPECT_EQ(w->hardwareSelection.itemName, "利民 风扇");
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}
