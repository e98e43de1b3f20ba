// The printer list without a system printer (the virtual printer), choosing printers by
// name, and report pages taking the default printer's paper.

#include "print_fixture.h"

namespace printtest {
namespace {

TEST(PrinterList, WithoutPrintersTheVirtualPrinterHasTheStandardPapers)
{
    preview::TfrxPrinters printers(std::vector<std::unique_ptr<preview::TfrxCustomPrinter>>{});
    ASSERT_EQ(printers.Count(), 1);
    EXPECT_FALSE(printers.HasPhysicalPrinters());
    preview::TfrxCustomPrinter& printer = printers.Printer();
    EXPECT_EQ(printer.Name, QStringLiteral("虚拟"));
    EXPECT_EQ(printer.DPIx, 600);
    EXPECT_EQ(printer.Papers.size(), 1 + paperCount());
    EXPECT_EQ(printer.Papers.first().name, QStringLiteral("自定"));
    EXPECT_EQ(printer.PaperSize, 9);
    printer.SetViewParams(11, 0, 0, TPrinterOrientation::poLandscape);
    EXPECT_EQ(printer.PaperWidth, 210);
    EXPECT_EQ(printer.PaperHeight, 148);
    printer.SetViewParams(999, 120, 80, TPrinterOrientation::poPortrait);
    EXPECT_EQ(printer.PaperWidth, 120);
    // Jobs on it go nowhere and do not fail.
    printer.BeginDoc();
    printer.BeginPage();
    EXPECT_EQ(printer.Canvas(), nullptr);
    printer.EndDoc();
    EXPECT_FALSE(printer.Printing);
}

TEST(PrinterList, ANameChoosesAPrinterAndDefaultOrUnknownNamesKeepTheCurrentOne)
{
    auto printers = recordingPrinters(3);
    printers->SelectByName(QStringLiteral("second"));
    EXPECT_EQ(printers->PrinterIndex(), 1);
    EXPECT_TRUE(printers->Items(1).Initialized);
    printers->SelectByName(QStringLiteral("预设"));
    EXPECT_EQ(printers->PrinterIndex(), 1);
    printers->SelectByName(QStringLiteral("Nowhere"));
    EXPECT_EQ(printers->PrinterIndex(), 1);
    printers->SetPrinterIndex(7);
    EXPECT_EQ(printers->PrinterIndex(), 1);
}

// A printer whose queue defaults to A5 lying.
class A5Printer : public RecordingPrinter {
public:
    void Init() override
    {
        RecordingPrinter::Init();
        DefPaper = 11;
        DefPaperWidth = 210;
        DefPaperHeight = 148;
        DefOrientation = TPrinterOrientation::poLandscape;
    }
};

TEST(PrinterList, PageDefaultsTakeTheDefaultPrintersPaper)
{
    std::vector<std::unique_ptr<preview::TfrxCustomPrinter>> list;
    list.push_back(std::make_unique<RecordingPrinter>());
    list.push_back(std::make_unique<A5Printer>());
    preview::setFrxPrinters(std::make_unique<preview::TfrxPrinters>(std::move(list), 1));
    preview::installDefaultPaperProvider();
    TfrxReportPage page;
    page.SetDefaults();
    TfrxReportPage::setDefaultPaperProvider(nullptr);
    preview::setFrxPrinters(nullptr);
    EXPECT_EQ(page.PaperSize(), 11);
    EXPECT_EQ(page.PaperWidth(), 210);
    EXPECT_EQ(page.PaperHeight(), 148);
    EXPECT_EQ(page.Orientation(), TPrinterOrientation::poLandscape);
    EXPECT_EQ(page.LeftMargin, 10);
}

} // namespace
} // namespace printtest
