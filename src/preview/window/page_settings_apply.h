#pragma once

// What "套用全部页面" does to the template: every report page takes the orientation, paper
// and margins of the page set in the page-settings dialog.

namespace report {
class TfrxReport;
class TfrxReportPage;
} // namespace report

namespace preview {

// In the dialog's order: orientation, paper width and height, paper size, margins.
void copyPageSettingsToTemplate(const report::TfrxReportPage& from, report::TfrxReport& report);

} // namespace preview
