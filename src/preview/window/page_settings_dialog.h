#pragma once

// The page-settings dialog of the preview: paper, orientation and margins of one page.

class QWidget;

namespace report {
class TfrxReport;
class TfrxReportPage;
} // namespace report

namespace preview {

enum class PageSettingsApply { Cancelled, CurrentPage, AllPages };

// Shows the dialog over page (the rebuilt current prepared page of report). On OK the page
// object holds the new settings and the answer says whether they are meant for the shown
// page alone or for every page of the report; the caller applies them.
PageSettingsApply showPageSettings(QWidget* parent, report::TfrxReport& report,
                                   report::TfrxReportPage& page);

} // namespace preview
