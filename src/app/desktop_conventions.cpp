#include "app/desktop_conventions.h"
#include "platform/chinese_conventions.h"
#include "report/value/frx_value.h"
#include <QCoreApplication>
#include <QLocale>

namespace app {

void useChineseConventions(QCoreApplication& application)
{
    platform::useChineseConventions();
    report::setFormatLocale(QLocale());
    // Without the translations Qt's dialogs stay English; the program still works.
    platform::installQtChineseTranslations(application);
}

} // namespace app
