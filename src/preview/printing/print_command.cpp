#include "preview/printing/print_command.h"

#include "preview/printing/frx_printers.h"
#include "preview/printing/print_job.h"
#include "preview/printing/print_progress.h"
#include "preview/window/print_dialog.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include "report/frx_resources.h"
#include "report/model/frx_report.h"

#include <QCoreApplication>

namespace preview {

namespace {

PreviewLockHandler& lockHandler()
{
    static PreviewLockHandler handler;
    return handler;
}

// Report pages made from now on take the default printer's paper.
const bool defaultPaperInstalled = (installDefaultPaperProvider(), true);

} // namespace

void setPreviewLockHandler(PreviewLockHandler handler)
{
    lockHandler() = std::move(handler);
}

bool systemHasPrinters()
{
    refreshFrxPrinters();
    return frxPrinters().HasPhysicalPrinters();
}

bool printPreparedReport(QWidget* parent, report::TfrxReport& report, report::TfrxPreviewPages& pages,
                         int currentPage)
{
    return printPreparedReport(parent, report, pages, currentPage, PrintJobHooks{});
}

bool printPreparedReport(QWidget* parent, report::TfrxReport& report, report::TfrxPreviewPages& pages,
                         int currentPage, const PrintJobHooks& events)
{
    (void)defaultPaperInstalled;
    bool printed = false;
    platform::reported(parent, [&] {
        refreshFrxPrinters();
        TfrxPrinters& printers = frxPrinters();
        if (!printers.HasPhysicalPrinters()) {
            platform::showMessage(parent, frxGet(QStringLiteral("clNoPrinters")));
            return;
        }
        PrintJobHooks hooks = events;
        if (!hooks.ShowDialog)
            hooks.ShowDialog = [&](int& duplex) {
                return showPrintDialog(parent, report, printers, currentPage, duplex);
            };
        if (!hooks.LockPreview && lockHandler())
            hooks.LockPreview = [&](bool locked) { lockHandler()(report, locked); };
        TfrxProgress progress;
        if (report.ShowProgress && !hooks.OnProgress) {
            hooks.OnProgressStart = [&] { progress.Start(); };
            hooks.OnProgress = [&](const QString& message) { progress.SetMessage(message); };
            hooks.OnProgressStop = [&] { progress.Stop(); };
        }
        if (!hooks.ProcessMessages)
            hooks.ProcessMessages = [&] {
                QCoreApplication::processEvents();
                if (progress.Terminated())
                    report.Terminated = true;
            };
        printed = printPages(report, pages, printers, hooks);
    });
    return printed;
}

} // namespace preview
