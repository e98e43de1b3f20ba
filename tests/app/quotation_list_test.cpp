// The quotation management panel through the main window over a real catalogue file: the two
// lists, opening by number or name, deleting by number or name.
#include "quotation_fixture.h"
#include <QComboBox>
#include <QFrame>
#include <QSet>

using namespace quotation_testing;

namespace {

QStringList entries(const QComboBox* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->itemText(i);
    return texts;
}

QSet<QString> asSet(const QStringList& texts)
{
    return QSet<QString>(texts.begin(), texts.end());
}

} // namespace

TEST_F(QuotationTest, WithNoStoredLinesBothListsAreEmptyAndTheEmptyNumberOpensAnEmptyQuotation)
{
    auto w = window();
    w->management.cmb_diy_id->addItem("stale"); // left from an earlier opening
    w->menu.N19->trigger();
    EXPECT_TRUE(w->management.Panel_LIST->isVisible());
    EXPECT_EQ(w->management.cmb_diy_id->count(), 0);
    EXPECT_EQ(w->management.cmb_diy_nm->count(), 0);
    EXPECT_EQ(w->management.cmb_diy_id->currentText(), "");
    EXPECT_EQ(w->management.cmb_diy_nm->currentText(), "");

    w->management.btn_diy_id_list->click();
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_TRUE(w->currentQuotation.open);
    EXPECT_EQ(w->currentQuotation.number, "");
    EXPECT_EQ(w->currentQuotation.name, "配置单");
    EXPECT_TRUE(w->ADOQueryDIY->active());
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0);
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：0 元");
    EXPECT_TRUE(dialogs.seen.isEmpty());
}

TEST_F(QuotationTest, TheListsShowEachNumberAndNameOnceAndTheFirstIsSelected)
{
    storeLine("A1", "王", 1, 100);
    storeLine("A1", "王", 2, 10);
    storeLine("A2", "王", 1, 200);
    storeLine("B1", "李", 1, 50);
    auto w = window();
    w->N19Click();
    EXPECT_EQ(asSet(entries(w->management.cmb_diy_id)), (QSet<QString>{"A1", "A2", "B1"}));
    EXPECT_EQ(w->management.cmb_diy_id->count(), 3);
    EXPECT_EQ(asSet(entries(w->management.cmb_diy_nm)), (QSet<QString>{"王", "李"}));
    EXPECT_EQ(w->management.cmb_diy_nm->count(), 2);
    EXPECT_EQ(w->management.cmb_diy_id->currentIndex(), 0);
    EXPECT_EQ(w->management.cmb_diy_nm->currentIndex(), 0);
    EXPECT_EQ(w->management.cmb_diy_id->currentText(), entries(w->management.cmb_diy_id)[0]);
    EXPECT_TRUE(w->ADOQuery_LIST->active()); // the list query stays open
}

TEST_F(QuotationTest, TheSameNameUnderTwoNumbersOpensBothAndSumsThemTogether)
{
    storeLine("A1", "王", 1, 100);
    storeLine("A1", "王", 2, 10);
    storeLine("A2", "王", 1, 200);
    storeLine("B1", "李", 1, 50);
    auto w = window();
    const QString numberBefore = w->currentQuotation.number;
    w->N19Click();
    w->management.cmb_diy_nm->setCurrentIndex(w->management.cmb_diy_nm->findText("王"));
    w->management.Button1->click();
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 3);
    EXPECT_EQ(w->currentQuotation.total, 320);
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：320 元");
    EXPECT_EQ(w->currentQuotation.name, "王");
    EXPECT_EQ(w->currentQuotation.number, numberBefore);
    EXPECT_TRUE(w->currentQuotation.open);

    // The grid shows two quotations: a line added now would join neither, so none is added
    // and the operator is told why.
    showDisks(*w);
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(stored().size(), 4);
    ASSERT_EQ(dialogs.texts(DialogKind::Message).size(), 1);
    EXPECT_TRUE(dialogs.texts(DialogKind::Message)[0].contains("A1、A2"));
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：320 元");
}

TEST_F(QuotationTest, QueryByNumberKeepsTheNameAndATypedValueWorksLikeAPickedOne)
{
    storeLine("A1", "王", 1, 100);
    storeLine("B1", "李", 1, 50);
    auto w = window();
    w->N19Click();
    w->management.cmb_diy_id->setEditText("B1"); // typed, not picked
    w->management.btn_diy_id_list->click();
    EXPECT_EQ(w->currentQuotation.number, "B1");
    EXPECT_EQ(w->currentQuotation.name, "配置单");
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 1);
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：50 元");

    // A value no line carries opens an empty view with a total of 0.
    w->N19Click();
    w->management.cmb_diy_id->setEditText("不存在");
    w->management.btn_diy_id_list->click();
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0);
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：0 元");
}

TEST_F(QuotationTest, DeleteByNumberRemovesAllItsLinesWithoutAskingAndLeavesTheCaption)
{
    storeLine("A1", "王", 1, 100);
    storeLine("A1", "王", 2, 10);
    storeLine("A2", "王", 1, 200);
    auto w = window();
    create(*w, "A1", "王");
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：120 元");
    const bool openBefore = w->currentQuotation.open;

    w->N19Click();
    w->management.cmb_diy_id->setCurrentIndex(w->management.cmb_diy_id->findText("A1"));
    dialogs.seen.clear();
    w->management.Button3->click();
    EXPECT_TRUE(dialogs.seen.isEmpty());
    EXPECT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].number, "A2");
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_FALSE(w->ADOQueryDIY->active());
    EXPECT_EQ(w->ADOQueryDIY->sqlText(), "delete * from DIY where DIY_ID='A1'");
    EXPECT_EQ(w->currentQuotation.total, 0);
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "总价值：120 元");
    EXPECT_EQ(w->currentQuotation.open, openBefore);
    EXPECT_EQ(w->quotation.DBGrid3->model()->rowCount(), 0);

    // The recompute now finds the view closed.
    w->quotation.btn_cash1->click();
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);

    w->N19Click();
    EXPECT_EQ(entries(w->management.cmb_diy_id), QStringList{"A2"});
}

TEST_F(QuotationTest, DeleteByNameKeepsNumberAndOpenFlagAndCancelChangesNothing)
{
    storeLine("A1", "王", 1, 100);
    storeLine("A2", "王", 1, 200);
    storeLine("B1", "李", 1, 50);
    auto w = window();
    const QString number = w->currentQuotation.number;

    w->N19Click();
    w->management.cmb_diy_nm->setCurrentIndex(w->management.cmb_diy_nm->findText("李"));
    w->management.Button2->click();
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_EQ(w->currentQuotation.name, "配置单");
    EXPECT_EQ(stored().size(), 3);

    w->N19Click();
    w->management.cmb_diy_nm->setEditText("王");
    w->management.Button4->click();
    EXPECT_EQ(stored().size(), 1);
    EXPECT_EQ(w->currentQuotation.name, "王");
    EXPECT_EQ(w->currentQuotation.number, number);
    EXPECT_FALSE(w->currentQuotation.open);
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_EQ(w->quotation.bbtn_cash->text(), "单据总价值：0 元");
}

TEST_F(QuotationTest, ValuesWithApostrophesAndOtherMarksOpenAndDeleteExactlyTheirOwnLines)
{
    const QStringList names = {"O'Brien's", "'", "x' or '1'='1", "x'; delete from DIY; --", "100%_\\",
                               "\"引号\"", " 空格 ", "O"};
    for (const QString& name : names)
        storeLine("N-" + name, name, 1, 10);
    storeLine("other", "其他", 1, 1);
    auto w = window();

    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        w->N19Click();
        w->management.cmb_diy_nm->setEditText(name);
        w->management.Button1->click();
        EXPECT_FALSE(w->management.Panel_LIST->isVisible());
        EXPECT_EQ(w->ADOQueryDIY->recordCount(), 1);
        EXPECT_EQ(w->ADOQueryDIY->value("DIY_NM").toString(), name);

        w->N19Click();
        w->management.cmb_diy_id->setEditText("N-" + name);
        w->management.btn_diy_id_list->click();
        EXPECT_EQ(w->ADOQueryDIY->recordCount(), 1);
    }

    int left = int(names.size()) + 1;
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        w->N19Click();
        w->management.cmb_diy_nm->setEditText(name);
        w->management.Button4->click();
        --left;
        EXPECT_EQ(stored().size(), left);
        EXPECT_TRUE(stored("DIY_NM=" + db::statements::textLiteral(name)).isEmpty());
    }
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].name, "其他");

    storeLine("O'1", "甲", 1, 1);
    storeLine("O'", "甲", 1, 1);
    w->N19Click();
    w->management.cmb_diy_id->setEditText("O'");
    w->management.Button3->click();
    EXPECT_EQ(stored("DIY_NM='甲'").size(), 1);
    EXPECT_EQ(stored("DIY_NM='甲'")[0].number, "O'1");
}

TEST_F(QuotationTest, AFailingStatementLeavesThePanelShown)
{
    storeLine("A1", "王", 1, 100);
    auto w = window();
    w->N19Click();
    w->ADOConnection1->close();
    w->management.btn_diy_id_list->click();
    EXPECT_TRUE(w->management.Panel_LIST->isVisible());
    EXPECT_TRUE(w->currentQuotation.open);
    EXPECT_EQ(w->currentQuotation.total, 0);
    EXPECT_FALSE(w->ADOQueryDIY->active());
    w->management.Button3->click();
    EXPECT_TRUE(w->management.Panel_LIST->isVisible());
    EXPECT_TRUE(dialogs.seen.isEmpty());
    EXPECT_EQ(stored().size(), 1);
}
