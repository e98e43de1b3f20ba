#pragma once

// The main window's report component frxReport1 with its data source frxDBDataset1 over the
// quotation lines view and the rich-text registration frxRichObject1: the built-in quotation
// template, prepared and shown in the preview window.

#include <memory>

class QWidget;

namespace db {
class Dataset;
}
namespace report {
class ReportShell;
class TfrxDBDataset;
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
