#include "app/report_dialogs.h"

#include "platform/widgets/dialogs.h"
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
}

} // namespace app
