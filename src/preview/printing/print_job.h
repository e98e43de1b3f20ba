#pragma once

// The print job of prepared pages: the report's PrintOptions (page list, odd/even, order,
// copies and collation, one of four print modes with its sheet), the page's paper, source
// and duplex, the copy number reaching the drawn texts, on the current printer of a list.

#include <QString>
#include <functional>

namespace report {
class TfrxReport;
class TfrxReportPage;
class TfrxPreviewPages;
} // namespace report

namespace preview {

class TfrxPrinters;

struct PrintJobHooks {
    // The print dialog, shown when PrintOptions.ShowDialog is on; it writes the options on
    // OK and sets the duplex override (0 = each page's own). False cancels the job.
    std::function<bool(int& duplex)> ShowDialog;
    std::function<void()> OnPrintReport;
    std::function<void(report::TfrxReportPage& page, int copyNo)> OnPrintPage;
    std::function<void()> OnAfterPrintReport;
    // The preview shows only its background while locked.
    std::function<void(bool locked)> LockPreview;
    // Progress display: started, told "Printing page N", stopped.
    std::function<void()> OnProgressStart;
    std::function<void(const QString& message)> OnProgress;
    std::function<void()> OnProgressStop;
    // Lets pending user-interface events run between pages (a Cancel button may set the
    // report's Terminated).
    std::function<void()> ProcessMessages;
};

// Prints the pages on the printer that PrintOptions.Printer names (or the current one).
// True when the job ran to its end; false when the dialog was cancelled or the report was
// terminated (the document is then aborted). Throws platform::Error when the page list is
// malformed (nothing is printed) or the printer fails; no document stays open. The
// report's PrintOptions are the same afterwards whatever happened.
bool printPages(report::TfrxReport& report, report::TfrxPreviewPages& pages, TfrxPrinters& printers,
                const PrintJobHooks& hooks);

// Millimetres of overlap between the sheets of a split page, and between joined pages' sheet
// arrangement checks.
inline constexpr double kSheetOverlapMm = 3;

// Sheets needed to lay a length over pieces of another: the whole count plus one, or the
// rounded quotient when the whole count falls within 11 mm of the length. At least 1.
int fitCount(double length, double piece);

} // namespace preview
