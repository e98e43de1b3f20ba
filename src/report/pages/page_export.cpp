// The list of export filters and what they share: the pages to write and the page's
// paper in millimetres.

#include "report/pages/page_export.h"
#include "report/pages/detail/export_paper.h"
#include "report/pages/preview_pages.h"
#include "report/model/frx_pages.h"
#include "platform/error.h"

#include <QFileInfo>
#include <cmath>

namespace report {

const QList<const TfrxPageExport*>& exportFilters()
{
    static const QList<const TfrxPageExport*> filters{&pdfExport(), &pngExport()};
    return filters;
}

const TfrxPageExport* exportFilterFor(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    for (const TfrxPageExport* filter : exportFilters())
        if (suffix.compare(filter->Name(), Qt::CaseInsensitive) == 0)
            return filter;
    return nullptr;
}

namespace detail {

QList<int> exportedPages(TfrxPreviewPages& pages, const TfrxExportSettings& settings)
{
    const int count = pages.PageCount();
    if (settings.Pages.isEmpty()) {
        QList<int> all;
        all.reserve(count);
        for (int i = 0; i < count; ++i)
            all.append(i);
        return all;
    }
    for (const int index : settings.Pages)
        if (index < 0 || index >= count)
            throw platform::Error(
                QStringLiteral("没有第 %1 页：报表共 %2 页").arg(index + 1).arg(count));
    return settings.Pages;
}

QSizeF paperMillimetres(const TfrxReportPage& page)
{
    // A damaged file may carry any number; the paper is kept to what a PDF page can be.
    const auto clamp = [](double mm, double fallback) {
        if (!std::isfinite(mm) || mm < kMinPaperMm)
            return std::isfinite(mm) ? kMinPaperMm : fallback;
        return std::min(mm, kMaxPaperMm);
    };
    return {clamp(page.PaperWidth(), 210), clamp(page.PaperHeight(), 297)};
}

bool reportProgress(const TfrxExportSettings& settings, int done, int total)
{
    return !settings.OnProgress || settings.OnProgress(done, total);
}

} // namespace detail

} // namespace report
