#include "preview/window/show_preview.h"

#include "preview/window/preview_form.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QScreen>

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
    auto* form = new TfrxPreviewForm(QApplication::activeWindow(), shell);
    openWindows().insert(&shell, form);
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
        delete form;
    } else {
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->show();
    }
}

} // namespace

void attachPreviewWindow(report::ReportShell& shell)
{
    shell.Preview.show = [](report::ReportShell& s) {
        try {
            showWindow(s);
        } catch (...) {
            // The window reports its own failures; nothing more to say here.
        }
    };
    shell.Preview.close = [](report::ReportShell& s) {
        if (TfrxPreviewForm* form = openWindows().value(&s))
            form->close();
    };
}

} // namespace preview
