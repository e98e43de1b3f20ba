// "5、打印出单" prepares the open quotation's lines, and only those, into the preview.
#include "app/quotation_printout.h"
#include "quotation_fixture.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include <QApplication>
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

TEST_F(QuotationTest, PrintingRunsOnlyTheOpenQuotationsLinesWhateverTheViewRanLast)
{
    storeLine("A-1", "甲", 2, 10.5);
    storeLine("A-1", "甲", 1, 100);
    storeLine("B-2", "乙", 5, 7);
    auto w = window();
    create(*w, "A-1", "甲");
    // The lines view last ran another statement (as the management panel's delete does).
    db::openStatement(*w->ADOQueryDIY, QStringLiteral("select * from DIY order by DIY_SYS_ID"));
    w->ADOQueryDIY->setCurrentRow(1);
    const QVariant shownLine = w->ADOQueryDIY->value(QStringLiteral("DIY_SYS_ID"));
    printAndWait(*w);
    const QStringList texts = preparedTexts(w->printout()->shell());
    EXPECT_TRUE(texts.contains("121")) << texts.join('|').toStdString(); // 21 + 100
    EXPECT_FALSE(texts.contains("156"));
    EXPECT_FALSE(texts.contains("35"));
    EXPECT_TRUE(texts.contains("A-1"));
    EXPECT_FALSE(texts.contains("B-2"));
    // The lines grid shows the open quotation afterwards.
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 2);
    EXPECT_EQ(w->ADOQueryDIY->value(QStringLiteral("DIY_SYS_ID")), shownLine);
    EXPECT_TRUE(dialogs.of(DialogKind::Message).isEmpty());
}

} // namespace
