#include "app/report_dialogs.h"

#include "platform/widgets/dialogs.h"
#include "report/engine/report_shell.h"
#include "report/frx_resources.h"
#include "report/model/frx_report.h"

#include <QApplication>

namespace app {

void installReportDialogs()
{
    report::TfrxReport::setPasswordPrompt([](QString& password) {
        const auto typed = platform::passwordQuery(QApplication::activeWindow(), frxGet(5000),
                                                   frxGet(5001));
        if (!typed)
            return false;
        password = *typed;
        return true;
    });
    report::TfrxReport::setErrorReporter(
        [](const QString& text) { platform::showMessage(QApplication::activeWindow(), text); });
    // The error lines of a preparation, once at its end.
    report::ReportShell::setErrorReporter([](const QString&, const QString& text) {
        platform::showErrorReport(QApplication::activeWindow(), text);
    });
}

} // namespace app
