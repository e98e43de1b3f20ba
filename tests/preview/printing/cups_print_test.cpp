// Printing on a real CUPS queue (cups-pdf), checked in the PDF it writes: the queue's
// papers, each print mode on the quotation's pages, copies, order and page lists with the
// copy name per copy, objects kept off paper, printing to file, and a queue that goes away
// mid-job.

#include "cups_server.h"
#include "print_fixture.h"

#include "report/calc/frx_calc.h"
#include "report/model/frx_collections.h"

#include <QDir>
#include <QFile>

namespace printtest {
namespace {

class CupsPrintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.ok()) << server.error().toStdString();
        preview::setFrxPrinters(nullptr); // listed again, from the test server
        ASSERT_TRUE(preview::frxPrinters().HasPhysicalPrinters());
    }
    void TearDown() override { preview::setFrxPrinters(nullptr); }

    // Prints the pages under a title of their own; the PDF cups-pdf wrote, or empty.
    QString printToQueue(TfrxReport& report, TfrxPreviewPages& pages, const preview::PrintJobHooks& hooks = {})
    {
        const QString title = uniqueTitle(QStringLiteral("job"));
        report.ReportOptions().Name = title;
        report.PrintOptions().ShowDialog = false;
        report.PrintOptions().Printer = server.queue();
        if (!preview::printPages(report, pages, preview::frxPrinters(), hooks))
            return QString();
        return server.waitForPdf(title);
    }

    CupsServer& server = CupsServer::instance();
};

TEST_F(CupsPrintTest, TheQueueGivesItsPapersMarginsAndDefaultPaper)
{
    preview::TfrxPrinters& printers = preview::frxPrinters();
    ASSERT_GE(printers.IndexOf(server.queue()), 0);
    EXPECT_EQ(printers.Items(printers.DefaultIndex()).Name, server.queue());
    preview::TfrxCustomPrinter& printer = printers.Printer();
    EXPECT_EQ(printer.Papers.first().number, customPaperSize);
    EXPECT_EQ(printer.Papers.first().name, QStringLiteral("自定"));
    EXPECT_EQ(printer.Bins.first().number, 7);
    EXPECT_EQ(printer.Bins.first().name, QStringLiteral("预设"));
    ASSERT_GE(printer.PaperIndex(9), 1);
    EXPECT_EQ(printer.Papers[printer.PaperIndex(9)].name, QStringLiteral("A4"));
    EXPECT_NEAR(printer.Papers[printer.PaperIndex(11)].heightMm, 210, 0.5);
    EXPECT_EQ(printer.DPIx, 600);
    EXPECT_EQ(printer.DefPaper, 9); // the queue's PPD defaults to A4
    EXPECT_GE(printer.LeftMargin, 0);
    EXPECT_LT(printer.LeftMargin + printer.RightMargin, 30);
    // A named paper turned to the orientation; the custom size as given.
    printer.SetViewParams(11, 0, 0, TPrinterOrientation::poLandscape);
    EXPECT_EQ(printer.PaperWidth, 210);
    EXPECT_EQ(printer.PaperHeight, 148);
    printer.SetViewParams(customPaperSize, 100, 150, TPrinterOrientation::poPortrait);
    EXPECT_EQ(printer.PaperSize, customPaperSize);
    EXPECT_EQ(printer.PaperWidth, 100);
    EXPECT_EQ(printer.PaperHeight, 150);
}

TEST_F(CupsPrintTest, EachPrintModePutsTheQuotationOnPaper)
{
    const QString file = quotationFile(60);
    ASSERT_FALSE(file.isEmpty());
    TfrxReport report;
    TfrxPreviewPages pages(report);
    ASSERT_TRUE(pages.LoadFromFile(file));
    ASSERT_EQ(pages.PageCount(), 4);
    struct Mode {
        TfrxPrintMode mode;
        int sheet;
        int pdfPages;
        QSizeF size; // points
    };
    const Mode modes[] = {
        {TfrxPrintMode::pmDefault, 0, 4, {595, 842}},
        {TfrxPrintMode::pmScale, 11, 4, {420, 595}},   // A4 pages made A5
        {TfrxPrintMode::pmSplit, 11, 8, {595, 420}},   // each A4 page on two lying A5 sheets
        {TfrxPrintMode::pmJoin, 8, 2, {1191, 842}},    // two A4 pages on a lying A3 sheet
    };
    for (const Mode& m : modes) {
        SCOPED_TRACE(int(m.mode));
        report.PrintOptions().PrintMode = m.mode;
        report.PrintOptions().PrintOnSheet = m.sheet;
        const QString pdf = printToQueue(report, pages);
        ASSERT_FALSE(pdf.isEmpty());
        EXPECT_EQ(pdfPageCount(pdf), m.pdfPages);
        // The PostScript the queue makes of a lying sheet stands upright, turned.
        const QSizeF size = pdfPageSize(pdf, 1);
        EXPECT_NEAR(std::min(size.width(), size.height()), std::min(m.size.width(), m.size.height()), 2);
        EXPECT_NEAR(std::max(size.width(), size.height()), std::max(m.size.width(), m.size.height()), 2);
        EXPECT_TRUE(pdfText(pdf, 1).contains(QStringLiteral("装机配置单")));
    }
}

TEST_F(CupsPrintTest, CopiesOrderAndPageListsWithTheCopyNameOnEachCopy)
{
    report::TfrxVariables& globals = report::frxGlobalVariables();
    globals.Add().Name = QStringLiteral("CopyName1");
    globals[globals.Count() - 1].Value = QStringLiteral("Original");
    globals.Add().Name = QStringLiteral("CopyName2");
    globals[globals.Count() - 1].Value = QStringLiteral("Duplicate");
    std::vector<PageSpec> specs;
    for (int i = 1; i <= 4; ++i) {
        specs.push_back(PageSpec{{QStringLiteral("Page%1 [CopyName#]").arg(i)}});
        specs.back().hidden = QStringList{QStringLiteral("NotOnPaper%1").arg(i)};
    }
    MadePages made(specs);
    ASSERT_TRUE(made.prepared);
    TfrxPrintOptions& options = made.report.PrintOptions();
    options.Copies = 2;
    options.Reverse = true;
    options.PageNumbers = QStringLiteral("1, 1, 3-");
    options.PrintPages = TfrxPrintPages::ppOdd;
    const QString pdf = printToQueue(made.report, made.pages());
    globals.Delete(globals.IndexOf(QStringLiteral("CopyName2")));
    globals.Delete(globals.IndexOf(QStringLiteral("CopyName1")));
    ASSERT_FALSE(pdf.isEmpty());
    const QStringList texts = pdfPageTexts(pdf);
    ASSERT_EQ(texts.size(), 4);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("Page3 Original")));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Page1 Original")));
    EXPECT_TRUE(texts[2].contains(QStringLiteral("Page3 Duplicate")));
    EXPECT_TRUE(texts[3].contains(QStringLiteral("Page1 Duplicate")));
    EXPECT_FALSE(pdfText(pdf, 0).contains(QStringLiteral("NotOnPaper")));
    // The job's choices were for that job only.
    EXPECT_EQ(options.Copies, 2);
    EXPECT_EQ(made.report.TextContext().CopyName, std::nullopt);
}

TEST_F(CupsPrintTest, PrintingToFileReplacesOnlyTheChosenFile)
{
    MadePages made(numberedPages(3));
    ASSERT_TRUE(made.prepared);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.prn"));
    const QString neighbour = dir.filePath(QStringLiteral("out.prn.keep"));
    for (const QString& path : {target, neighbour}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    preview::TfrxPrinters& printers = preview::frxPrinters();
    printers.Printer().FileName = target;
    made.report.PrintOptions().ShowDialog = false;
    ASSERT_TRUE(preview::printPages(made.report, made.pages(), printers, {}));
    EXPECT_EQ(pdfPageCount(target), 3);
    EXPECT_TRUE(pdfText(target, 2).contains(QStringLiteral("P2")));
    QFile keep(neighbour);
    ASSERT_TRUE(keep.open(QIODevice::ReadOnly));
    EXPECT_EQ(keep.readAll(), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2); // no temporary file stays
    // The target file is the next job's no more.
    EXPECT_TRUE(printers.Printer().FileName.isEmpty());

    // A folder that does not exist: the job fails and leaves nothing.
    printers.Printer().FileName = dir.filePath(QStringLiteral("missing/out.prn"));
    made.report.PrintOptions().Copies = 4;
    EXPECT_THROW(preview::printPages(made.report, made.pages(), printers, {}), platform::Error);
    EXPECT_FALSE(printers.Printer().Printing);
    EXPECT_EQ(made.report.PrintOptions().Copies, 4);
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("missing"))).exists());
}

TEST_F(CupsPrintTest, AQueueRemovedMidJobEndsTheJobWithAMessage)
{
    const QString queue = uniqueTitle(QStringLiteral("Gone"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"),
                                {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                 QStringLiteral("cups-pdf:/") + server.queue(), QStringLiteral("-P"),
                                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")}),
              0);
    preview::setFrxPrinters(nullptr);
    MadePages made(numberedPages(3));
    ASSERT_TRUE(made.prepared);
    preview::PrintJobHooks hooks;
    hooks.OnPrintPage = [&](TfrxReportPage&, int) {
        static int page = 0;
        if (++page == 2)
            QProcess::execute(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    };
    const QString title = uniqueTitle(QStringLiteral("gone"));
    made.report.ReportOptions().Name = title;
    made.report.PrintOptions().ShowDialog = false;
    made.report.PrintOptions().Printer = queue;
    try {
        preview::printPages(made.report, made.pages(), preview::frxPrinters(), hooks);
        ADD_FAILURE() << "the job reported success";
    } catch (const platform::Error& e) {
        EXPECT_TRUE(e.message().contains(queue)) << e.message().toStdString();
    }
    EXPECT_FALSE(preview::frxPrinters().Printer().Printing);
    EXPECT_EQ(made.report.PrintOptions().Printer, queue);
    EXPECT_FALSE(server.hasPdf(title));
}

TEST_F(CupsPrintTest, APrinterInstalledWhileTheProgramRunsIsOfferedAtTheNextPrint)
{
    preview::TfrxPrinters& before = preview::frxPrinters();
    before.SelectByName(server.queue());
    const QString queue = uniqueTitle(QStringLiteral("Later"));
    ASSERT_EQ(before.IndexOf(queue), -1);
    ASSERT_EQ(QProcess::execute(QStringLiteral("lpadmin"),
                                {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                                 QStringLiteral("cups-pdf:/") + server.queue(), QStringLiteral("-P"),
                                 QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd")}),
              0);
    preview::refreshFrxPrinters();
    EXPECT_GE(preview::frxPrinters().IndexOf(queue), 0);
    // The printer chosen before stays chosen.
    const preview::TfrxPrinters& after = preview::frxPrinters();
    EXPECT_EQ(after.Items(after.PrinterIndex()).Name, server.queue());

    QProcess::execute(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    preview::refreshFrxPrinters();
    EXPECT_EQ(preview::frxPrinters().IndexOf(queue), -1);

    // A list of one's own is never replaced.
    preview::setFrxPrinters(recordingPrinters());
    preview::TfrxPrinters* own = &preview::frxPrinters();
    preview::refreshFrxPrinters();
    EXPECT_EQ(&preview::frxPrinters(), own);
}

} // namespace
} // namespace printtest
