// The preparation shell around the engine: the template comes back exactly as it was after
// every run, failed ones too; data sources are closed or back; compiled expressions never
// outlive the objects they name; hostile templates end with an error line or a bounded
// number of pages.
#include "engine_fixture.h"

#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "report/frx_resources.h"
#include "support/test_paths.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

using namespace enginetest;

namespace {

// The template with default values too, one object a line: every property counts.
std::string templateText(TfrxReport& report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    report.SaveToStream(buffer, true, true);
    return QByteArray(buffer.data()).replace("><", ">\n<").toStdString();
}

class ShellTest : public EngineTest {
protected:
    ShellTest()
    {
        auto* header = band<TfrxPageHeader>(QStringLiteral("PageHeader1"), 0, 40);
        memo(header, QStringLiteral("Head"), QStringLiteral("[Page#] [Date]"));
        auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 30);
        auto* row = memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"] [10 div (5 - <ds.\"N\">)]"));
        row->StretchMode = TfrxStretchMode::smActualHeight;
        row->TagStr = QStringLiteral("tag [ds.\"N\"]");
        data->Stretched = true;
        auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 200, 30);
        memo(summary, QStringLiteral("Sum"), QStringLiteral("[SUM(<ds.\"V\">)]"));
    }
};

TEST_F(ShellTest, AFailedRunLeavesTheTemplateAsItWasAndKeepsItsPages)
{
    setRowCount(40);
    const std::string before = templateText(report);
    // Row 5 divides by zero: the run stops there with the expression's error line.
    EXPECT_FALSE(prepare());
    ASSERT_EQ(report.Errors().size(), 1);
    EXPECT_TRUE(report.Errors().front().startsWith(QStringLiteral("Row: "))) << report.Errors().front().toStdString();
    EXPECT_EQ(templateText(report), before);
    EXPECT_EQ(shell.PreviewPages().PageCount(), 1);
    EXPECT_EQ(textsOf(layout()[0], QStringLiteral("MasterData1")).size(), 4);

    // Without the reload the objects still put back their designed text and bounds.
    report.EngineOptions().DestroyForms = false;
    const std::string kept = templateText(report);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(templateText(report), kept);
}

TEST_F(ShellTest, ErrorsAreReportedOnceByTheSilentModeOfTheOptions)
{
    setRowCount(10);
    QStringList shown;
    ReportShell::setErrorReporter([&shown](const QString& caption, const QString& text) { shown << caption << text; });
    report.EngineOptions().NewSilentMode = TfrxSilentMode::simMessageBoxes;
    EXPECT_FALSE(prepare());
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], frxGet(QStringLiteral("mbError")));
    EXPECT_EQ(shown[1], frxGet(QStringLiteral("clErrors")) + u'\n' + report.Errors().front() + u'\n');
    report.EngineOptions().NewSilentMode = TfrxSilentMode::simReThrow;
    EXPECT_THROW(prepare(), ReportError);
    ReportShell::setErrorReporter({});
    EXPECT_EQ(shown.size(), 2);
}

TEST_F(ShellTest, CompiledExpressionsDoNotOutliveTheReloadedTemplate)
{
    setRowCount(3);
    ASSERT_TRUE(prepare());
    // The run compiled expressions naming Row; the reload replaced Row by a new object.
    auto* row = dynamic_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Row")));
    ASSERT_NE(row, nullptr);
    row->SetLeft(33);
    EXPECT_TRUE(shell.Calc(QStringLiteral("Row.Left")).sameAs(Value(33.0)));
    EXPECT_EQ(shell.Evaluator().CacheSize(), 0);
    ASSERT_TRUE(prepare());
    EXPECT_TRUE(shell.Calc(QStringLiteral("Row.Left")).sameAs(Value(33.0)));
}

TEST_F(ShellTest, ShowReportPreparesAtOnceOrThroughTheTimer)
{
    setRowCount(3);
    int shown = 0;
    shell.Preview.show = [&shown](ReportShell&) { ++shown; };
    report.OldStyleProgress = true;
    shell.ShowReport(true);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(shell.PreviewPages().PageCount(), 1);

    report.OldStyleProgress = false;
    shell.ShowReport(true);
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(shell.PreviewPages().PageCount(), 0); // the timer has not fired yet
    QElapsedTimer waited;
    waited.start();
    while (shell.PreviewPages().PageCount() == 0 && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(shell.PreviewPages().PageCount(), 1);
}

TEST_F(ShellTest, HostEventsSurroundTheRun)
{
    setRowCount(3);
    QStringList events;
    shell.OnBeginDoc = [&events] { events << QStringLiteral("begin"); };
    shell.OnEndDoc = [&events] { events << QStringLiteral("end"); };
    shell.Hooks().OnBeforePrint = [&events](TfrxComponent& c) {
        if (dynamic_cast<TfrxBand*>(&c))
            events << c.Name();
    };
    ASSERT_TRUE(prepare());
    EXPECT_EQ(events, (QStringList{QStringLiteral("begin"), QStringLiteral("PageHeader1"), QStringLiteral("MasterData1"),
                                   QStringLiteral("MasterData1"), QStringLiteral("MasterData1"),
                                   QStringLiteral("ReportSummary1"), QStringLiteral("end")}));
}

// A catalogue query behind the data source: closed after a failed run when the source
// closes it, left open (and usable) otherwise.
TEST_F(ShellTest, DatabaseSourcesAreFinalizedAfterAFailure)
{
    testing_support::TempFolder folder;
    db::createCatalogue(folder.file(QStringLiteral("qmxpcdiy.dat")), false);
    db::Connection connection;
    connection.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
    connection.open();
    for (int i = 1; i <= 6; ++i)
        connection.execute(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, DIY_CASH) values ('1', 'x', %1)").arg(i));
    db::Dataset query(QStringLiteral("ADOQueryDIY"), &connection);
    db::openStatement(query, QStringLiteral("select * from DIY order by DIY_SYS_ID"));
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("lines"));
    lines.DataSet = &query;
    lines.CloseDataSource = true;
    report.DataSets().Add(&report).SetDataSet(&lines);
    auto* data = static_cast<TfrxDataBand*>(report.FindObject(QStringLiteral("MasterData1")));
    data->SetDataSet(&lines);
    auto* row = static_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Row")));
    row->SetText(QStringLiteral("[10 div (4 - <lines.\"DIY_CASH\">)]"));
    EXPECT_FALSE(prepare());
    EXPECT_FALSE(query.active());

    lines.CloseDataSource = false;
    query.open();
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(query.active());
}

class HostileTest : public EngineTest {
protected:
    HostileTest()
    {
        shell.Engine().Limits().maxPages = 50;
        shell.Engine().Limits().maxRows = 5000;
    }
};

TEST_F(HostileTest, ABandTallerThanThePageTakesAPagePerRow)
{
    band<TfrxPageHeader>(QStringLiteral("PageHeader1"), 0, 2000);
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 3000);
    band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 5000, 50);
    setRowCount(5);
    ASSERT_TRUE(prepare());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 6); // the first row does not fit under the header either
}

TEST_F(HostileTest, APageWithoutHeightEndsAtTheLimit)
{
    page->SetPaperHeight(10);
    page->TopMargin = page->BottomMargin = 20;
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 0);
    setRowCount(100);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 50);
    EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("The report stops at 50 pages")});
}

TEST_F(HostileTest, MillionsOfRowsEndAtTheRowLimit)
{
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 0);
    data->SetDataSet(nullptr);
    data->SetRowCount(2000000000);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("The report stops after 5000 data rows")});
}

TEST(TemplateLoading, RefusedChildrenAndHugeFontsAreMendedOnLoad)
{
    const QByteArray text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<TfrxReport Name=\"r\"><TfrxReportPage Name=\"Page1\">"
                            "<TfrxMasterData Name=\"MasterData1\"><TfrxReportPage Name=\"Inner\">"
                            "<TfrxMemoView Name=\"Lost\"/></TfrxReportPage>"
                            "<TfrxMemoView Name=\"Big\" Font.Height=\"-2147483647\"/></TfrxMasterData>"
                            "</TfrxReportPage></TfrxReport>";
    TfrxReport report;
    QBuffer buffer;
    buffer.setData(text);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
    EXPECT_EQ(report.FindObject(QStringLiteral("Inner")), nullptr);
    EXPECT_EQ(report.FindObject(QStringLiteral("Lost")), nullptr);
    EXPECT_TRUE(report.Errors().contains(QStringLiteral("TfrxReportPage Inner cannot be placed in TfrxMasterData MasterData1")))
        << report.Errors().join(u'\n').toStdString();
    auto* big = dynamic_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Big")));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->Font().Height(), -TfrxFont::kMaxFontPixels);
}

} // namespace
