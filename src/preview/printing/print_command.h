#pragma once

// The print command as the preview window and the program call it: the print dialog (when
// the report's PrintOptions ask for it) and the print job over the prepared pages.

class QWidget;

namespace report {
class TfrxReport;
class TfrxPreviewPages;
} // namespace report

namespace preview {

// True when the system has at least one real printer (not only the virtual one).
bool systemHasPrinters();

// Prints the prepared pages of the report; currentPage (1-based) is the page the dialog's
// "本页" choice means. True when a job ran to its end.
bool printPreparedReport(QWidget* parent, report::TfrxReport& report,
                         report::TfrxPreviewPages& pages, int currentPage);

} // namespace preview
