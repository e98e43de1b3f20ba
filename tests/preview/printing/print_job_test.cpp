// The print job's rules on a recording printer: which pages in which order, copies and
// collation, when the printer is set up, sources, duplex sheets, the sheet modes' counts,
// termination and failure, and the options put back afterwards.

#include "print_fixture.h"

#include "preview/printing/page_numbers.h"
#include "report/calc/frx_calc.h"
#include "report/model/frx_collections.h"


namespace printtest {
namespace {

class PrintJobTest : public ::testing::Test {
protected:
    void use(const std::vector<PageSpec>& specs)
    {
        made = std::make_unique<MadePages>(specs);
        ASSERT_TRUE(made->prepared);
        made->report.PrintOptions().ShowDialog = false;
    }
    TfrxPrintOptions& options() { return made->report.PrintOptions(); }
    RecordingPrinter& printer() { return static_cast<RecordingPrinter&>(printers->Items(0)); }

    // Prints; each printed page as "its first text/copy number".
    QStringList print(bool* result = nullptr)
    {
        QStringList printed;
        hooks.OnPrintPage = [&](TfrxReportPage& page, int copyNo) {
            for (TfrxComponent* object : page.AllObjects())
                if (auto* memo = dynamic_cast<TfrxMemoView*>(object)) {
                    printed << QStringLiteral("%1/%2").arg(memo->Text()).arg(copyNo);
                    break;
                }
        };
        const bool done = preview::printPages(made->report, made->pages(), *printers, hooks);
        if (result)
            *result = done;
        return printed;
    }

    std::unique_ptr<MadePages> made;
    std::unique_ptr<preview::TfrxPrinters> printers = recordingPrinters();
    preview::PrintJobHooks hooks;
};

TEST_F(PrintJobTest, PageListOddEvenAndOrderChooseThePages)
{
    use(numberedPages(7));
    options().PageNumbers = QStringLiteral("5-");
    EXPECT_EQ(print(), QStringList({"P5/1", "P6/1", "P7/1"}));
    options().PageNumbers = QStringLiteral("7-5");
    EXPECT_EQ(print(), QStringList());
    // A repeated page prints once; a range that runs backwards prints nothing.
    options().PageNumbers = QStringLiteral("2,2, 3-1");
    EXPECT_EQ(print(), QStringList({"P2/1"}));
    options().PageNumbers = QStringLiteral("1-4");
    options().PrintPages = TfrxPrintPages::ppEven;
    EXPECT_EQ(print(), QStringList({"P2/1", "P4/1"}));
    options().Reverse = true;
    EXPECT_EQ(print(), QStringList({"P4/1", "P2/1"}));
    options().PrintPages = TfrxPrintPages::ppOdd;
    options().PageNumbers.clear();
    EXPECT_EQ(print(), QStringList({"P7/1", "P5/1", "P3/1", "P1/1"}));
}

TEST_F(PrintJobTest, CollatedCopiesRepeatThePagesAndUncollatedOnesAskThePrinter)
{
    use(numberedPages(2));
    options().Copies = 3;
    EXPECT_EQ(print(), QStringList({"P1/1", "P2/1", "P1/2", "P2/2", "P1/3", "P2/3"}));
    EXPECT_EQ(printer().calls.first(), QStringLiteral("params 9 210 297 P 1 0 1"));
    EXPECT_EQ(printer().count("begin"), 1);
    EXPECT_EQ(printer().count("end"), 1);

    printer().calls.clear();
    options().Collate = false;
    EXPECT_EQ(print(), QStringList({"P1/1", "P2/1"}));
    EXPECT_EQ(printer().calls.first(), QStringLiteral("params 9 210 297 P 3 0 1"));
    EXPECT_EQ(printer().count("page"), 2);

    // A file keeps no copy count: each page is written as many times in a row.
    printer().calls.clear();
    printer().FileName = QStringLiteral("/tmp/uncollated.prn");
    EXPECT_EQ(print(), QStringList({"P1/1", "P1/2", "P1/3", "P2/1", "P2/2", "P2/3"}));
    EXPECT_EQ(printer().calls.first(), QStringLiteral("params 9 210 297 P 1 0 1"));
    EXPECT_EQ(printer().count("page"), 6);
    EXPECT_TRUE(printer().FileName.isEmpty()); // the next job's own choice

    options().Copies = 0;
    options().Collate = true;
    EXPECT_EQ(print(), QStringList({"P1/1", "P2/1"}));
}

TEST_F(PrintJobTest, ThePrinterIsSetUpOnlyWhenPaperSourceOrientationOrDuplexChange)
{
    std::vector<PageSpec> specs = numberedPages(5);
    specs[0].bin = 2;       // the first page's source is its Bin
    specs[1].binOther = 0;  // the others use BinOtherPages
    specs[2].paper = 11;    // A5
    specs[3].paper = 11;
    specs[3].orientation = TPrinterOrientation::poLandscape;
    specs[4].paper = 11;
    specs[4].orientation = TPrinterOrientation::poLandscape;
    specs[4].duplex = TfrxDuplexMode::dmVertical;
    use(specs);
    print();
    EXPECT_EQ(printer().calls.filter(QStringLiteral("params")),
              QStringList({"params 9 210 297 P 1 2 1", "params 9 210 297 P 1 0 1", "params 11 148 210 P 1 0 1",
                           "params 11 210 148 L 1 0 1", "params 11 210 148 L 1 0 2"}));
    // The dialog's duplex choice replaces each page's own.
    printer().calls.clear();
    options().ShowDialog = true;
    hooks.ShowDialog = [](int& duplex) {
        duplex = 3;
        return true;
    };
    print();
    EXPECT_EQ(printer().calls.filter(QStringLiteral("params")).first(), QStringLiteral("params 9 210 297 P 1 2 4"));
}

TEST_F(PrintJobTest, DuplexCopiesStartOnASheetOfTheirOwn)
{
    std::vector<PageSpec> specs = numberedPages(3);
    for (PageSpec& spec : specs)
        spec.duplex = TfrxDuplexMode::dmVertical;
    use(specs);
    options().Copies = 2;
    print();
    // Three pages and a blank one per copy.
    EXPECT_EQ(printer().count("page"), 8);
    specs.pop_back();
    use(specs);
    printer().calls.clear();
    options().Copies = 2;
    print();
    EXPECT_EQ(printer().count("page"), 4);
}

TEST_F(PrintJobTest, SheetModesCountTheirSheets)
{
    EXPECT_EQ(preview::fitCount(220, 210), 1); // within 11 mm: one sheet
    EXPECT_EQ(preview::fitCount(297, 210), 2);
    EXPECT_EQ(preview::fitCount(5, 210), 1);
    EXPECT_EQ(preview::fitCount(420, 0), 1);

    // An A3 landscape page over A4 sheets: two upright sheets side by side.
    PageSpec big{{QStringLiteral("Big")}, 8};
    big.orientation = TPrinterOrientation::poLandscape;
    use({big});
    options().PrintMode = TfrxPrintMode::pmSplit;
    options().PrintOnSheet = 9;
    print();
    EXPECT_EQ(printer().count("page"), 2);
    EXPECT_EQ(printer().calls.filter(QStringLiteral("params")), QStringList({"params 9 210 297 P 1 0 1"}));

    // A5 pages joined on A4: the sheet lies, two pages on each.
    use({PageSpec{{"A"}, 11}, PageSpec{{"B"}, 11}, PageSpec{{"C"}, 11}});
    printer().calls.clear();
    options().PrintMode = TfrxPrintMode::pmJoin;
    options().PrintOnSheet = 9;
    options().Copies = 2;
    options().Collate = false;
    EXPECT_EQ(print(), QStringList({"A/1", "A/2", "B/1", "B/2", "C/1", "C/2"}));
    EXPECT_EQ(printer().count("page"), 3);
    EXPECT_EQ(printer().calls.filter(QStringLiteral("params")), QStringList({"params 9 297 210 L 1 0 1"}));

    // Scaled: every page on the sheet, upright or lying as the page.
    use({PageSpec{{"A"}, 8}});
    printer().calls.clear();
    options().PrintMode = TfrxPrintMode::pmScale;
    options().PrintOnSheet = 11;
    double scale = 0;
    hooks.OnPrintPage = nullptr;
    print();
    scale = made->pages().PrintScale; // put back after the job
    EXPECT_EQ(scale, 1);
    EXPECT_EQ(printer().calls.filter(QStringLiteral("params")), QStringList({"params 11 148 210 P 1 0 1"}));
}

TEST_F(PrintJobTest, OptionsComeBackAfterTheJobWhateverEndedIt)
{
    use(numberedPages(3));
    options().ShowDialog = true;
    hooks.ShowDialog = [this](int&) {
        options().Copies = 5;
        options().PageNumbers = QStringLiteral("2");
        return true;
    };
    EXPECT_EQ(print(), QStringList({"P2/1", "P2/2", "P2/3", "P2/4", "P2/5"}));
    EXPECT_EQ(options().Copies, 1);
    EXPECT_TRUE(options().PageNumbers.isEmpty());

    // Cancel in the dialog prints nothing.
    printer().calls.clear();
    hooks.ShowDialog = [](int&) { return false; };
    bool result = true;
    EXPECT_TRUE(print(&result).isEmpty());
    EXPECT_FALSE(result);
    EXPECT_FALSE(printer().calls.contains("begin"));
}

TEST_F(PrintJobTest, AMalformedPageListPrintsNothing)
{
    use(numberedPages(3));
    for (const char* list : {"1,,3", "-5", "a", "1-b"}) {
        options().PageNumbers = QString::fromLatin1(list);
        try {
            print();
            ADD_FAILURE() << list << " was accepted";
        } catch (const platform::Error& e) {
            EXPECT_TRUE(e.message().contains(QString::fromLatin1(list))) << e.message().toStdString();
        }
        EXPECT_EQ(options().PageNumbers, QString::fromLatin1(list));
    }
    EXPECT_TRUE(printer().calls.isEmpty());
}

TEST_F(PrintJobTest, CancellingOrAFailingPrinterLeavesNoDocumentOpen)
{
    use(numberedPages(4));
    std::vector<bool> locks;
    hooks.LockPreview = [&](bool locked) { locks.push_back(locked); };
    hooks.ProcessMessages = [this] {
        if (printer().count("page") == 2)
            made->report.Terminated = true;
    };
    bool result = true;
    EXPECT_EQ(print(&result).size(), 2);
    EXPECT_FALSE(result);
    EXPECT_TRUE(printer().calls.contains("abort"));
    EXPECT_FALSE(printer().calls.contains("end"));
    EXPECT_EQ(locks, std::vector<bool>({true, false}));

    printer().calls.clear();
    hooks.ProcessMessages = nullptr;
    printer().failOnPage = 3 + 2; // the third page of this job
    options().Copies = 2;
    EXPECT_THROW(print(), platform::Error);
    EXPECT_EQ(printer().calls.last(), QStringLiteral("abort"));
    EXPECT_FALSE(printer().Printing);
    EXPECT_EQ(options().Copies, 2);
    EXPECT_EQ(locks.back(), false);
}

TEST_F(PrintJobTest, TheCopyNumberAndCopyNameReachTheTextsOnlyWhilePrinting)
{
    use(numberedPages(1));
    report::TfrxVariables& globals = report::frxGlobalVariables();
    auto& variable = globals.Add();
    variable.Name = QStringLiteral("CopyName2");
    variable.Value = QStringLiteral("副本");
    QStringList names;
    hooks.OnPrintPage = nullptr;
    options().Copies = 2;
    hooks.ProcessMessages = [&] { names << made->report.TextContext().CopyName.value_or(QStringLiteral("-")); };
    preview::printPages(made->report, made->pages(), *printers, hooks);
    globals.Delete(globals.IndexOf(QStringLiteral("CopyName2")));
    EXPECT_EQ(names, QStringList({"", "副本"}));
    EXPECT_FALSE(made->report.TextContext().CopyName.has_value());
    EXPECT_EQ(made->pages().PrintCopyNo, 0);
}

TEST(PageList, ReadsListsRangesAndRefusesMalformedOnes)
{
    const auto pages = [](const QString& text, int count) {
        preview::PageNumberList list(text, count);
        QList<int> in;
        for (int i = 1; i <= count + 2; ++i)
            if (list.Contains(i))
                in << i;
        return in;
    };
    EXPECT_EQ(pages("1,3,5-12", 20), QList<int>({1, 3, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(pages(" 5 - ", 7), QList<int>({5, 6, 7}));
    EXPECT_TRUE(pages("", 3).size() == 5); // every page
    EXPECT_EQ(pages("9", 3), QList<int>());
    // A huge range end is cut at the last page rather than listed.
    EXPECT_EQ(pages("2-2000000000", 3), QList<int>({2, 3}));
    for (const char* bad : {"1,,3", "-5", "a", ",", "1-x", "99999999999"})
        EXPECT_THROW(preview::PageNumberList(QString::fromLatin1(bad), 10), platform::Error) << bad;
}

} // namespace
} // namespace printtest
