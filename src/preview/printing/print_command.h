#pragma once

// The print command as the preview window and the program call it: the print dialog (when
// the report's PrintOptions ask for it) and the print job over the prepared pages.

#include <functional>

class QWidget;

namespace report {
class TfrxReport;
class TfrxPreviewPages;
} // namespace report

namespace preview {

struct PrintJobHooks;

// True when the system has at least one real printer (not only the virtual one).
bool systemHasPrinters();

// Prints the prepared pages of the report; currentPage (1-based) is the page the dialog's
// "本页" choice means. True when a job ran to its end. Without a printer it says "在你的系统
// 没有安装打印机" and prints nothing; a failing job is shown with the standard error report.
bool printPreparedReport(QWidget* parent, report::TfrxReport& report,
                         report::TfrxPreviewPages& pages, int currentPage);

// The same with the report's print events (OnPrintReport, OnPrintPage, OnAfterPrintReport)
// and further hooks; the dialog, progress window and preview lock are filled in here when the
// hooks leave them empty.
bool printPreparedReport(QWidget* parent, report::TfrxReport& report, report::TfrxPreviewPages& pages,
                         int currentPage, const PrintJobHooks& events);

// The preview window locks itself for the length of a job: it installs this (locked true at
// the start, false at the end, for the report being printed).
using PreviewLockHandler = std::function<void(report::TfrxReport& report, bool locked)>;
void setPreviewLockHandler(PreviewLockHandler handler);

} // namespace preview
