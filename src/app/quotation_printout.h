#pragma once

// The main window's report component frxReport1 with its data source frxDBDataset1 over the
// quotation lines view and the rich-text registration frxRichObject1: the built-in quotation
// template, prepared and shown in the preview window.

#include <memory>

class QString;

class QWidget;

namespace db {
class Dataset;
}
namespace report {
struct SheetDetails;
class ReportShell;
class TfrxDBDataset;
class TfrxPageExport;
class TfrxReport;
class TfrxRichObject;
} // namespace report

namespace app {

class QuotationPrintout {
public:
    // The lines view must outlive the printout.
    explicit QuotationPrintout(db::Dataset& lines);
    ~QuotationPrintout();
    QuotationPrintout(const QuotationPrintout&) = delete;
    QuotationPrintout& operator=(const QuotationPrintout&) = delete;

    // Prepares the report from the lines view as it stands and shows it: the preview window
    // prepares it again inside itself, so an error line is reported by each run.
    void prepareAndShow();
    // The shop's details and the customer on the sheets prepared from now on.
    void setSheetDetails(const report::SheetDetails& details);
    // Prepares the report without a window and writes its pages through the filter (PDF, or
    // one PNG picture per page at `dpi`); answers the number of pages written, 0 when the
    // preparation failed (its error lines shown). Throws when a file cannot be written.
    int exportPages(const report::TfrxPageExport& filter, const QString& fileName, int dpi);

    report::TfrxReport& report() const { return *frxReport1; }
    report::ReportShell& shell() const { return *shell_; }

private:
    // The data source exists before the template is loaded, which finds it by name, and
    // goes after the report that points to it.
    std::unique_ptr<report::TfrxDBDataset> frxDBDataset1;
    std::unique_ptr<report::TfrxRichObject> frxRichObject1;
    std::unique_ptr<report::TfrxReport> frxReport1;
    std::unique_ptr<report::ReportShell> shell_;
};

} // namespace app
