#include "preview/window/preparation_progress.h"

#include "preview/printing/print_progress.h"
#include "report/engine/report_shell.h"

#include <memory>

namespace preview {

void attachProgressWindow(report::ReportShell& shell)
{
    // Shared by the three hooks; the window lives from a start to its stop.
    auto window = std::make_shared<std::unique_ptr<TfrxProgress>>();
    shell.ProgressWindow.open = [window] {
        *window = std::make_unique<TfrxProgress>();
        (*window)->Start();
    };
    shell.ProgressWindow.step = [window](const QString& message) {
        if (!*window)
            return false;
        (*window)->SetMessage(message);
        return (*window)->Terminated();
    };
    shell.ProgressWindow.close = [window] { window->reset(); };
}

} // namespace preview
