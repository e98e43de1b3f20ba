// "5、打印出单": the open quotation's lines, prepared by the built-in quotation template with
// the shop's details and the customer, and shown in the preview window, from which they are
// printed or saved.
#include "app/main_window.h"
#include "app/quotation_printout.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "platform/widgets/dialogs.h"
#include "report/storage/quotation_sheet_details.h"

namespace app {

void TFrm_main::btn_print1Click()
{
    platform::guarded([this] { printQuotation(); });
}

QuotationPrintout* TFrm_main::printoutOfOpenQuotation()
{
    if (!currentQuotation.open) {
        platform::showMessage(this, QStringLiteral("没有要打印的装机单：请先用“1、建立清单”建立或打开一张装机单。"));
        return nullptr;
    }
    // A line being edited is saved first, or the command stops here with the text kept.
    ADOQueryDIY->postPending();
    // The sheet shows exactly the lines the grid shows. A closed view (after a delete from
    // the management panel, say) is opened on the quotation's number: the statement it ran
    // last is never run again.
    db::Dataset& lines = *ADOQueryDIY;
    if (!lines.active())
        db::openStatement(lines, db::statements::linesOfNumber(currentQuotation.number));
    // Lines stored before amounts were kept in step (or changed by another program) are
    // recomputed, so that the sheet's amounts agree with its quantities and prices.
    if (!amountsAgree())
        recompute();
    if (!printout_)
        printout_ = std::make_unique<QuotationPrintout>(lines);
    // The customer is the one of the number the sheet's header shows: its first line's.
    const QString number = numbersShown().value(0, currentQuotation.number);
    printout_->setSheetDetails(report::sheetDetailsOf(*ADOConnection1, number));
    return printout_.get();
}

void TFrm_main::printQuotation()
{
    db::Dataset& lines = *ADOQueryDIY;
    const QString key = QStringLiteral("DIY_SYS_ID");
    const auto keyed = [&] { return lines.active() && !lines.isEmpty() && lines.fieldIndex(key) >= 0; };
    const QVariant current = keyed() ? lines.value(key) : QVariant();
    QuotationPrintout* printout = printoutOfOpenQuotation();
    if (!printout)
        return;
    printout->prepareAndShow();
    // The grid shows the line it showed before the report walked the view.
    if (current.isValid() && lines.active())
        for (int row = 0; row < lines.recordCount(); ++row)
            if (lines.valueAt(row, lines.fieldIndex(key)) == current) {
                lines.setCurrentRow(row);
                break;
            }
}

} // namespace app
