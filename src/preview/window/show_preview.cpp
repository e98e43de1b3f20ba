#include "preview/window/show_preview.h"

#include "platform/widgets/dialogs.h"
#include "preview/window/preview_form.h"
#include "preview/window/preparation_progress.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>
#include <memory>

namespace preview {

namespace {

// The open preview window of each shell.
QHash<report::ReportShell*, QPointer<TfrxPreviewForm>>& openWindows()
{
    static QHash<report::ReportShell*, QPointer<TfrxPreviewForm>> windows;
    return windows;
}

void showWindow(report::ReportShell& shell)
{
    const report::TfrxPreviewOptions& options = shell.Report().PreviewOptions();
    // Owned here until a modeless window takes care of itself.
    auto form = std::make_unique<TfrxPreviewForm>(QApplication::activeWindow(), shell);
    openWindows().insert(&shell, form.get());
    form->Init();
    if (options.Maximized) {
        // Where no window manager applies the maximised state the window still covers the
        // screen's free area.
        if (QScreen* screen = form->screen())
            form->setGeometry(screen->availableGeometry());
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
    }
    if (options.Modal) {
        form->exec();
    } else {
        form->setAttribute(Qt::WA_DeleteOnClose);
        form.release()->show();
    }
}

} // namespace

void attachPreviewWindow(report::ReportShell& shell)
{
    shell.Preview.show = [](report::ReportShell& s) {
        // Nothing escapes into the shell's caller: what the window did not report itself
        // is shown with the standard error report.
        platform::reported(QApplication::activeWindow(), [&s] { showWindow(s); });
    };
    shell.Preview.close = [](report::ReportShell& s) {
        if (TfrxPreviewForm* form = openWindows().value(&s))
            form->close();
    };
    attachProgressWindow(shell);
}

} // namespace preview
