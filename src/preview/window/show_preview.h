#pragma once

// Connects a report's preparation shell to the preview window: after this, the shell's
// ShowReport opens the window over its prepared pages, and a preparation in the old style
// shows the progress window.

namespace report {
class ReportShell;
}

namespace preview {

void attachPreviewWindow(report::ReportShell& shell);

} // namespace preview
