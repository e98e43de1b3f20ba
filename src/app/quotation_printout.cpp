#include "app/quotation_printout.h"

#include "preview/window/show_preview.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/rich/rich_view.h"
#include "report/storage/quotation_template.h"

namespace app {

QuotationPrintout::QuotationPrintout(db::Dataset& lines)
    : frxDBDataset1(std::make_unique<report::TfrxDBDataset>()),
      frxRichObject1(std::make_unique<report::TfrxRichObject>()),
      frxReport1(std::make_unique<report::TfrxReport>())
{
    frxDBDataset1->SetName(QStringLiteral("frxDBDataset1"));
    frxDBDataset1->DataSet = &lines;
    // The lines grid keeps showing the view after the report has run.
    frxDBDataset1->CloseDataSource = false;
    report::loadQuotationTemplate(*frxReport1);
    shell_ = std::make_unique<report::ReportShell>(*frxReport1);
    preview::attachPreviewWindow(*shell_);
}

QuotationPrintout::~QuotationPrintout() = default;

void QuotationPrintout::prepareAndShow()
{
    shell_->PrepareReport(true);
    shell_->ShowReport(true);
}

} // namespace app
