// The classes a template may name.

#include "report/model/frx_bands.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

namespace report {

void registerBuiltInClasses()
{
    for (const ClassInfo* info : {
             &TfrxReport::staticClassInfo(),       &TfrxReportPage::staticClassInfo(),
             &TfrxDataPage::staticClassInfo(),     &TfrxDialogPage::staticClassInfo(),
             &TfrxMemoView::staticClassInfo(),     &TfrxSysMemoView::staticClassInfo(),
             &TfrxLineView::staticClassInfo(),     &TfrxShapeView::staticClassInfo(),
             &TfrxPictureView::staticClassInfo(),  &TfrxSubreport::staticClassInfo(),
             &TfrxRichView::staticClassInfo(),     &TfrxReportTitle::staticClassInfo(),
             &TfrxReportSummary::staticClassInfo(), &TfrxPageHeader::staticClassInfo(),
             &TfrxPageFooter::staticClassInfo(),   &TfrxHeader::staticClassInfo(),
             &TfrxFooter::staticClassInfo(),       &TfrxMasterData::staticClassInfo(),
             &TfrxDetailData::staticClassInfo(),   &TfrxSubdetailData::staticClassInfo(),
             &TfrxDataBand4::staticClassInfo(),    &TfrxDataBand5::staticClassInfo(),
             &TfrxDataBand6::staticClassInfo(),    &TfrxGroupHeader::staticClassInfo(),
             &TfrxGroupFooter::staticClassInfo(),  &TfrxChild::staticClassInfo(),
             &TfrxColumnHeader::staticClassInfo(), &TfrxColumnFooter::staticClassInfo(),
             &TfrxOverlay::staticClassInfo(),      &TfrxNullBand::staticClassInfo(),
             &TfrxUserDataSet::staticClassInfo(),  &TfrxDBDataset::staticClassInfo(),
         })
        registerClass(*info);
}

} // namespace report
