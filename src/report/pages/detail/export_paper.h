#pragma once

// What the export filters share.

#include "report/pages/page_export.h"

#include <QSizeF>

namespace report {
class TfrxReportPage;
}

namespace report::detail {

// A PDF page is at most 200 inches a side.
inline constexpr double kMinPaperMm = 1;
inline constexpr double kMaxPaperMm = 5080;

// The page's paper (width and height as the page is turned), kept within those bounds.
QSizeF paperMillimetres(const TfrxReportPage& page);
// The settings' progress callback; false when it asks to stop.
bool reportProgress(const TfrxExportSettings& settings, int done, int total);

} // namespace report::detail
