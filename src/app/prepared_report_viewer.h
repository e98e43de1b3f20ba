#pragma once
#include <QString>
#include <memory>

namespace report {
class ReportShell;
class TfrxReport;
class TfrxRichObject;
} // namespace report
namespace preview {
class TfrxPreviewForm;
}

namespace app {

// `qmxdiy --open FILE.fp3` (a double click on a prepared-report file): the preview window
// alone over the pages of the file, without the main window or the catalogue.
class PreparedReportViewer {
public:
    PreparedReportViewer();
    ~PreparedReportViewer();
    PreparedReportViewer(const PreparedReportViewer&) = delete;
    PreparedReportViewer& operator=(const PreparedReportViewer&) = delete;

    // Shows the window with the file's pages; an unreadable file is reported in the window
    // as its own Open command reports it. An empty answer, or why the file cannot be opened
    // at all (it does not exist, it is a folder).
    QString open(const QString& fileName);

    preview::TfrxPreviewForm* window() const { return form_.get(); }

private:
    std::unique_ptr<report::TfrxRichObject> richObjects_; // rich text in the pages is drawn
    std::unique_ptr<report::TfrxReport> report_;
    std::unique_ptr<report::ReportShell> shell_;
    std::unique_ptr<preview::TfrxPreviewForm> form_;
};

} // namespace app
