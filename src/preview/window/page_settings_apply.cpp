#include "preview/window/page_settings_apply.h"

#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"

namespace preview {

void copyPageSettingsToTemplate(const report::TfrxReportPage& from, report::TfrxReport& report)
{
    for (int i = 0; i < report.PagesCount(); ++i) {
        auto* page = dynamic_cast<report::TfrxReportPage*>(report.Pages(i));
        if (!page)
            continue;
        page->SetOrientation(from.Orientation());
        page->SetPaperWidth(from.PaperWidth());
        page->SetPaperHeight(from.PaperHeight());
        page->SetPaperSize(from.PaperSize());
        page->LeftMargin = from.LeftMargin;
        page->RightMargin = from.RightMargin;
        page->TopMargin = from.TopMargin;
        page->BottomMargin = from.BottomMargin;
    }
}

} // namespace preview
