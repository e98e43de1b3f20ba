#include "app/quotation_printout.h"

#include "preview/window/show_preview.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"
#include "report/rich/rich_view.h"
#include "report/storage/quotation_sheet_details.h"
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

void QuotationPrintout::setSheetDetails(const report::SheetDetails& details)
{
    report::applySheetDetails(*frxReport1, details);
}

int QuotationPrintout::exportPages(const report::TfrxPageExport& filter, const QString& fileName, int dpi)
{
    // A preparation that fails has shown its error lines already; nothing is written.
    if (!shell_->PrepareReport(true))
        return 0;
    report::TfrxExportSettings settings;
    settings.Dpi = dpi;
    filter.Export(shell_->PreviewPages(), fileName, settings);
    return shell_->PreviewPages().PageCount();
}

} // namespace app
