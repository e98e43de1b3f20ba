#include "preview/window/page_settings_dialog.h"

namespace preview {

// The dialog itself comes with the printer layer it reads its papers from.
PageSettingsApply showPageSettings(QWidget*, report::TfrxReport&, report::TfrxReportPage&)
{
    return PageSettingsApply::Cancelled;
}

} // namespace preview
