// The print command the preview calls: no printer says so and prints nothing; a failing
// job is reported, not thrown; the progress display counts the pages.

#include "print_fixture.h"

#include "preview/printing/print_command.h"
#include "platform/widgets/dialogs.h"

namespace printtest {
namespace {

class PrintCommandTest : public ::testing::Test {
protected:
    PrintCommandTest()
    {
        previous = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            shown << request.text;
            return platform::DialogAnswer{};
        });
        made.report.PrintOptions().ShowDialog = false;
    }
    ~PrintCommandTest() override
    {
        platform::setDialogResponder(previous);
        preview::setFrxPrinters(nullptr);
    }

    MadePages made{numberedPages(3)};
    QStringList shown;
    platform::DialogResponder previous;
};

TEST_F(PrintCommandTest, WithoutAPrinterItSaysSoAndPrintsNothing)
{
    preview::setFrxPrinters(
        std::make_unique<preview::TfrxPrinters>(std::vector<std::unique_ptr<preview::TfrxCustomPrinter>>{}));
    EXPECT_FALSE(preview::systemHasPrinters());
    EXPECT_FALSE(preview::printPreparedReport(nullptr, made.report, made.pages(), 1));
    EXPECT_EQ(shown, QStringList({"在你的系统没有安装打印机"}));
}

TEST_F(PrintCommandTest, AFailingJobIsReportedAndTheProgressCountsThePages)
{
    preview::setFrxPrinters(recordingPrinters());
    auto& printer = static_cast<RecordingPrinter&>(preview::frxPrinters().Items(0));
    QStringList progress;
    preview::PrintJobHooks hooks;
    hooks.OnProgress = [&](const QString& message) { progress << message; };
    EXPECT_TRUE(preview::printPreparedReport(nullptr, made.report, made.pages(), 1, hooks));
    EXPECT_EQ(progress, QStringList({"正在打印第 1 页", "正在打印第 2 页", "正在打印第 3 页"}));
    EXPECT_TRUE(shown.isEmpty());

    printer.failOnPage = printer.pagesBegun + 2;
    EXPECT_FALSE(preview::printPreparedReport(nullptr, made.report, made.pages(), 1, hooks));
    EXPECT_EQ(shown, QStringList({"The printer went away"}));
    EXPECT_FALSE(printer.Printing);
}

} // namespace
} // namespace printtest
