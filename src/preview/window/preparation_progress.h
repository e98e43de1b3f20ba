#pragma once

// The progress window of a report's preparation shell: the print job's window (message
// line and Cancel), shown while a report is prepared in the old style (OldStyleProgress),
// printed or exported.

namespace report {
class ReportShell;
}

namespace preview {

// A new window at each start replaces the earlier one; the stop destroys it; its Cancel
// stops the run at the next page.
void attachProgressWindow(report::ReportShell& shell);

} // namespace preview
