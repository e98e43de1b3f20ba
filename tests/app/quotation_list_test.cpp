// The quotation management panel through the main window over a real catalogue file: the two
// lists, opening by number or name, deleting by number or name.
#include "modal_driver.h"
#include "quotation_fixture.h"
#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QTest>
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

TEST_F(QuotationTest, DeleteByNumberRemovesAllItsLinesAfterAskingAndLeavesTheCaption)
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
    EXPECT_EQ(dialogs.texts(DialogKind::Question), QStringList{"删除装机单“A1”的 2 行?"});
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

TEST_F(QuotationTest, DeletingAQuotationAsksNamingWhatGoesWithNoAsTheDefault)
{
    storeLine("Q1", "配置单", 1, 100);
    storeLine("Q1", "配置单", 2, 10);
    storeLine("Q1", "配置单", 1, 5);
    storeLine("Q2", "配置单", 1, 200);
    storeLine("B1", "李", 1, 50);
    auto w = window();
    QTest::mouseClick(w.get(), Qt::LeftButton); // the window active, as for the operator
    w->N19Click();
    auto* numbers = w->management.cmb_diy_id;
    auto* names = w->management.cmb_diy_nm;

    // By number: Escape answers No, Enter takes the default button, which is No.
    numbers->setFocus();
    numbers->lineEdit()->selectAll();
    modal_testing::typeText(numbers, "Q1");
    for (Qt::Key answer : {Qt::Key_Escape, Qt::Key_Return}) {
        modal_testing::ModalDriver driver;
        driver.press(answer);
        QTest::mouseClick(w->management.Button3, Qt::LeftButton);
        ASSERT_EQ(driver.seen.size(), 1);
        EXPECT_EQ(driver.seen[0].text, "删除装机单“Q1”的 3 行?");
        EXPECT_EQ(driver.seen[0].defaultButton, "否");
        EXPECT_EQ(stored().size(), 5);
        EXPECT_TRUE(w->management.Panel_LIST->isVisible());
    }

    // By name: how many quotations and lines the name holds.
    names->setFocus();
    names->lineEdit()->selectAll();
    modal_testing::typeText(names, "配置单");
    {
        modal_testing::ModalDriver driver;
        driver.click("否");
        QTest::mouseClick(w->management.Button4, Qt::LeftButton);
        ASSERT_EQ(driver.seen.size(), 1);
        EXPECT_EQ(driver.seen[0].text, "删除名为“配置单”的 2 张装机单共 4 行?");
        EXPECT_EQ(stored().size(), 5);
    }
    {
        modal_testing::ModalDriver driver;
        driver.click("是");
        QTest::mouseClick(w->management.Button4, Qt::LeftButton);
        EXPECT_TRUE(driver.done());
    }
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].name, "李");
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
}

TEST_F(QuotationTest, RemovingSeveralMarkedLinesAsksOnceWithNoAsTheDefault)
{
    auto w = window();
    showDisks(*w);
    create(*w, "R1", "配置单");
    pick(*w, "西数 2TB");
    for (const char* quantity : {"1", "2", "3"})
        add(*w, quantity, std::nullopt);
    EXPECT_EQ(caption(*w), "单据总价值：1800 元");
    // A click on the first line, a Ctrl+click on the third.
    auto* grid = w->quotation.DBGrid3;
    auto cell = [&](int row) { return grid->visualRect(grid->model()->index(row, 1)).center(); };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cell(2));
    {
        modal_testing::ModalDriver driver;
        driver.press(Qt::Key_Escape);
        QTest::mouseClick(w->quotation.btn_del1, Qt::LeftButton);
        ASSERT_EQ(driver.seen.size(), 1);
        EXPECT_EQ(driver.seen[0].text, "将选中的 2 行移出清单?");
        EXPECT_EQ(driver.seen[0].defaultButton, "否");
    }
    EXPECT_EQ(stored().size(), 3);
    {
        modal_testing::ModalDriver driver;
        driver.click("是");
        QTest::mouseClick(w->quotation.btn_del1, Qt::LeftButton);
        EXPECT_TRUE(driver.done());
    }
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].quantity, 2);
    EXPECT_EQ(caption(*w), "单据总价值：600 元");

    // A plain click marks one line again, removed with the usual question.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell(0));
    dialogs.seen.clear();
    w->quotation.btn_del1->click();
    EXPECT_EQ(dialogs.texts(DialogKind::Confirm), QStringList{"删除这条记录?"});
    EXPECT_TRUE(stored().isEmpty());
}

TEST_F(QuotationTest, TheListsShowTheNewestQuotationFirstAndTypingNarrowsThem)
{
    for (const char* number : {"2024-01-05", "2024-03-01", "2023-12-30"})
        storeLine(number, QStringLiteral("客户%1").arg(number), 1, 1);
    storeLine("2024-01-05", "客户2024-01-05", 1, 1); // a line added to it last
    auto w = window();
    QTest::mouseClick(w.get(), Qt::LeftButton);
    w->N19Click();
    EXPECT_EQ(entries(w->management.cmb_diy_id), (QStringList{"2024-01-05", "2023-12-30", "2024-03-01"}));
    EXPECT_EQ(w->management.cmb_diy_nm->itemText(0), "客户2024-01-05");

    auto* numbers = w->management.cmb_diy_id;
    numbers->setFocus();
    numbers->lineEdit()->selectAll();
    modal_testing::typeText(numbers, "2024");
    QCompleter* completer = numbers->completer();
    ASSERT_TRUE(completer);
    EXPECT_EQ(completer->completionCount(), 2);
    QStringList offered;
    for (int i = 0; i < completer->completionCount(); ++i) {
        completer->setCurrentRow(i);
        offered << completer->currentCompletion();
    }
    EXPECT_EQ(offered, (QStringList{"2024-01-05", "2024-03-01"}));
    modal_testing::typeText(numbers, "-03");
    EXPECT_EQ(completer->completionCount(), 1);
}
