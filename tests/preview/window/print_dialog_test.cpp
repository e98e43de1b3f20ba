// The print dialog: the options shown, written back on OK only, Cancel giving back the
// printer, a malformed page list refused, and the print-to-file name.

#include "../printing/print_fixture.h"

#include "preview/window/print_dialog.h"
#include "platform/widgets/dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace printtest {
namespace {

class PrintDialogTest : public ::testing::Test {
protected:
    PrintDialogTest()
    {
        previous = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            requests.push_back(request);
            platform::DialogAnswer answer;
            answer.value = saveAnswer;
            return answer;
        });
        TfrxPrintOptions& o = report.PrintOptions();
        o.Copies = 3;
        o.Collate = false;
        o.PageNumbers = QStringLiteral("2-3");
        o.PrintPages = TfrxPrintPages::ppEven;
        o.Reverse = true;
        o.PrintMode = TfrxPrintMode::pmScale;
        o.PrintOnSheet = 11;
    }
    ~PrintDialogTest() override { platform::setDialogResponder(previous); }

    TfrxReport report;
    std::unique_ptr<preview::TfrxPrinters> printers = recordingPrinters(2);
    std::vector<platform::DialogRequest> requests;
    QString saveAnswer;
    platform::DialogResponder previous;
};

TEST_F(PrintDialogTest, ShowsTheOptionsAndWritesThemBackOnOkOnly)
{
    {
        preview::TfrxPrintDialog dialog(nullptr, report, *printers, 4);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("打印"));
        EXPECT_EQ(dialog.CopiesE->value(), 3);
        EXPECT_FALSE(dialog.CollateCB->isChecked());
        EXPECT_TRUE(dialog.PageNumbersRB->isChecked());
        EXPECT_EQ(dialog.PageNumbersE->text(), QStringLiteral("2-3"));
        EXPECT_EQ(dialog.PrintPagesCB->currentIndex(), 2);
        EXPECT_EQ(dialog.OrderCB->currentIndex(), 1);
        EXPECT_EQ(dialog.DuplexCB->currentText(), QStringLiteral("Default"));
        EXPECT_EQ(dialog.PrintModeCB->currentIndex(), 3);
        EXPECT_EQ(dialog.PagPageSizeCB->currentData().toInt(), 11);
        EXPECT_EQ(dialog.PagPageSizeCB->itemText(0), QStringLiteral("Default"));
        EXPECT_EQ(dialog.WhereL1->text(), QStringLiteral("port of Recorder"));
        dialog.CopiesE->setValue(7);
        dialog.reject();
    }
    EXPECT_EQ(report.PrintOptions().Copies, 3);

    preview::TfrxPrintDialog dialog(nullptr, report, *printers, 4);
    dialog.CopiesE->setValue(2);
    dialog.CollateCB->setChecked(true);
    dialog.CurPageRB->setChecked(true);
    dialog.PrintPagesCB->setCurrentIndex(0);
    dialog.OrderCB->setCurrentIndex(0);
    dialog.DuplexCB->setCurrentIndex(2);
    dialog.PrintModeCB->setCurrentIndex(0);
    emit dialog.PrintModeCB->activated(0); // "Default" takes the sheet back to "Default"
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const TfrxPrintOptions& o = report.PrintOptions();
    EXPECT_EQ(o.Copies, 2);
    EXPECT_TRUE(o.Collate);
    EXPECT_EQ(o.PageNumbers, QStringLiteral("4"));
    EXPECT_EQ(o.PrintPages, TfrxPrintPages::ppAll);
    EXPECT_FALSE(o.Reverse);
    EXPECT_EQ(o.PrintMode, TfrxPrintMode::pmDefault);
    EXPECT_EQ(o.PrintOnSheet, customPaperSize);
    EXPECT_EQ(dialog.Duplex(), 2);
}

TEST_F(PrintDialogTest, ChoosingAPrinterKeepsTheSheetAndCancelGivesThePreviousPrinterBack)
{
    preview::TfrxPrintDialog dialog(nullptr, report, *printers, 1);
    dialog.PrintersCB->setCurrentIndex(1);
    emit dialog.PrintersCB->activated(1);
    EXPECT_EQ(printers->PrinterIndex(), 1);
    EXPECT_EQ(dialog.WhereL1->text(), QStringLiteral("port of Second"));
    EXPECT_EQ(dialog.PagPageSizeCB->currentData().toInt(), 11);
    dialog.reject();
    EXPECT_EQ(printers->PrinterIndex(), 0);
}

TEST_F(PrintDialogTest, AMalformedPageListIsRefusedBeforeTheDialogCloses)
{
    preview::TfrxPrintDialog dialog(nullptr, report, *printers, 1);
    dialog.PageNumbersE->setText(QStringLiteral("1,,3"));
    dialog.accept();
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].text.contains(QStringLiteral("1,,3")));
    EXPECT_EQ(report.PrintOptions().PageNumbers, QStringLiteral("2-3"));
    // Entering the list field chooses the list.
    dialog.AllRB->setChecked(true);
    QFocusEvent focus(QEvent::FocusIn);
    QCoreApplication::sendEvent(dialog.PageNumbersE, &focus);
    EXPECT_TRUE(dialog.PageNumbersRB->isChecked());
}

TEST_F(PrintDialogTest, PrintToFileTakesTheChosenNameAsPrnAndItsCancelCancelsThePrint)
{
    {
        preview::TfrxPrintDialog dialog(nullptr, report, *printers, 1);
        dialog.FileCB->setChecked(true);
        saveAnswer = QStringLiteral("/tmp/some folder/quote.txt");
        dialog.accept();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].caption, QStringLiteral("Print To File"));
        EXPECT_EQ(printers->Printer().FileName, QStringLiteral("/tmp/some folder/quote.prn"));
    }
    preview::TfrxPrintDialog dialog(nullptr, report, *printers, 1);
    dialog.PrintersCB->setCurrentIndex(1);
    emit dialog.PrintersCB->activated(1);
    dialog.FileCB->setChecked(true);
    dialog.CopiesE->setValue(9);
    saveAnswer.clear();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(printers->PrinterIndex(), 0);
    EXPECT_EQ(report.PrintOptions().Copies, 3);
}

} // namespace
} // namespace printtest
