// "5、打印出单" prepares the open quotation's lines, and only those, into the preview.
#include "app/quotation_printout.h"
#include "quotation_fixture.h"
#include "report/pages/page_export.h"
#include "support/printed_sheet.h"
#include "support/test_paths.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

using namespace quotation_testing;

// Every text of every memo on the prepared pages.
QStringList preparedTexts(report::ReportShell& shell)
{
    QStringList texts;
    report::TfrxPreviewPages& pages = shell.PreviewPages();
    for (int i = 0; i < pages.PageCount(); ++i)
        for (report::TfrxComponent* band : pages.GetPreparedPage(i)->Objects())
            for (report::TfrxComponent* object : band->Objects())
                if (auto* memo = dynamic_cast<report::TfrxCustomMemoView*>(object))
                    texts << memo->Text();
    return texts;
}

// Prints and waits until the pages are prepared; a preview window that opens modally is
// closed once its preparation has finished.
void printAndWait(app::TFrm_main& w)
{
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != &w && w.printout() && !w.printout()->shell().Engine().Running()
            && w.printout()->shell().PreviewPages().PageCount() > 0)
            modal->close();
    });
    closer.start();
    w.quotation.btn_print1->click();
    QTRY_VERIFY_WITH_TIMEOUT(w.printout() && w.printout()->shell().PreviewPages().PageCount() > 0, 10000);
}

TEST_F(QuotationTest, PrintingWithNoQuotationOpenSaysSoAndPreparesNothing)
{
    storeLine("A-1", "甲", 2, 10);
    auto w = window();
    w->quotation.btn_print1->click();
    ASSERT_EQ(dialogs.of(DialogKind::Message).size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::Message)[0].text.contains("没有要打印的装机单"));
    EXPECT_EQ(w->printout(), nullptr);
}

// The printed sheet as the customer gets it: the preview's pages written to a PDF and read
// back word by word.
QList<testing_support::SheetWord> printedWords(app::TFrm_main& w, const testing_support::TempFolder& folder)
{
    const QString pdf = folder.file(QStringLiteral("sheet.pdf"));
    report::pdfExport().Export(w.printout()->shell().PreviewPages(), pdf, {});
    return testing_support::sheetWords(pdf);
}

QStringList wordTexts(const QList<testing_support::SheetWord>& words)
{
    QStringList texts;
    for (const auto& word : words)
        texts << word.text;
    return texts;
}

// Types into a cell of the lines grid as an operator does: a click on the cell, the keys,
// Enter (which stores the line).
void typeIntoLinesCell(app::TFrm_main& w, int row, const QString& field, const QString& text)
{
    dbaware::DBGrid& grid = *w.quotation.DBGrid3;
    int column = -1;
    const auto columns = grid.columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].fieldName == field)
            column = i;
    ASSERT_GE(column, 0) << field.toStdString();
    const QModelIndex cell = grid.model()->index(row, column);
    grid.scrollTo(cell);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(cell).center());
    ASSERT_EQ(grid.currentIndex(), cell);
    QTest::keyClicks(&grid, text.left(1));
    QLineEdit* editor = nullptr;
    for (auto* e : grid.viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            editor = e;
    ASSERT_TRUE(editor) << "no cell editor opened";
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
}

TEST_F(QuotationTest, AQuantityTypedInTheGridIsPrintedWithItsNewAmountAndTotal)
{
    auto w = window();
    quoteTwoDisks(*w);
    EXPECT_EQ(caption(*w), "单据总价值：400 元");

    int row = -1;
    for (int r = 0; r < w->ADOQueryDIY->recordCount(); ++r)
        if (w->ADOQueryDIY->valueAt(r, w->ADOQueryDIY->fieldIndex("HW_ID")).toInt() == wd)
            row = r;
    ASSERT_GE(row, 0);
    typeIntoLinesCell(*w, row, "DIY_SL", "3");
    ASSERT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Browse);
    // Stored with its amount, and the caption's total follows at once.
    EXPECT_EQ(stored("HW_ID=" + QString::number(wd))[0].quantity, 3);
    EXPECT_EQ(stored("HW_ID=" + QString::number(wd))[0].amount, 900);
    EXPECT_EQ(caption(*w), "单据总价值：1000 元");

    printAndWait(*w);
    testing_support::TempFolder folder;
    const QStringList words = wordTexts(printedWords(*w, folder));
    EXPECT_TRUE(words.contains("900")) << words.join(' ').toStdString();
    EXPECT_TRUE(words.contains("1000"));
    EXPECT_FALSE(words.contains("400"));
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(QuotationTest, AmountsStoredOutOfStepAreRecomputedBeforeTheSheetIsMade)
{
    storeLine("A-1", "甲", 2, 10);
    cat.run("update DIY set DIY_CASH = 10"); // 2 × 10 stored as 10 by an older version
    auto w = window();
    create(*w, "A-1", "甲");
    cat.run("update DIY set DIY_CASH = 10");
    w->ADOQueryDIY->refresh();
    printAndWait(*w);
    EXPECT_EQ(stored()[0].amount, 20);
    testing_support::TempFolder folder;
    const QStringList words = wordTexts(printedWords(*w, folder));
    EXPECT_EQ(words.count("20"), 2) << words.join(' ').toStdString(); // the amount and the sum
}

TEST_F(QuotationTest, TheSheetShowsTheLinesTheGridShowsAfterAQueryByName)
{
    storeLine("A-1", "甲", 2, 10.5);
    storeLine("A-1", "甲", 1, 100);
    storeLine("B-2", "乙", 5, 7);
    auto w = window();
    create(*w, "B-2", "乙");
    // The management panel's query by name shows the lines named 甲: those are printed.
    w->N19Click();
    w->management.cmb_diy_nm->setCurrentText("甲");
    w->management.Button1->click();
    ASSERT_EQ(w->ADOQueryDIY->recordCount(), 2);
    printAndWait(*w);
    const QStringList texts = preparedTexts(w->printout()->shell());
    EXPECT_TRUE(texts.contains("121")) << texts.join('|').toStdString(); // 21 + 100
    EXPECT_TRUE(texts.contains("A-1"));
    EXPECT_FALSE(texts.contains("B-2"));
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 2);

    // A line added now joins the quotation shown, A-1, not the number remembered before.
    showDisks(*w);
    pick(*w, "西数 2TB");
    add(*w, "1", "300");
    EXPECT_EQ(stored("DIY_ID='A-1'").size(), 3);
    EXPECT_EQ(stored("DIY_ID='B-2'").size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(QuotationTest, AfterADeleteFromThePanelPrintingOpensTheNumberAndRunsNoDeleteAgain)
{
    storeLine("A-1", "甲", 2, 10.5);
    storeLine("B-2", "乙", 5, 7);
    auto w = window();
    create(*w, "A-1", "甲");
    w->N19Click();
    w->management.cmb_diy_id->setCurrentText("B-2");
    dialogs.yes = true;
    w->management.Button3->click();
    ASSERT_EQ(stored("DIY_ID='B-2'").size(), 0);
    // The view was left closed on the delete; printing opens the current number's lines
    // (none are left) and never runs the delete again.
    printAndWait(*w);
    EXPECT_FALSE(preparedTexts(w->printout()->shell()).contains("A-1"));
    EXPECT_EQ(stored("DIY_ID='A-1'").size(), 1);
}

} // namespace
