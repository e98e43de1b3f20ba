#pragma once

// The object of a prepared page under the mouse: examined from the last object to the
// first, so the one drawn on top wins; only group headers and views take part.

#include <QPointF>
#include <Qt>

namespace report {
class TfrxComponent;
class TfrxGroupHeader;
class TfrxReportPage;
} // namespace report

namespace preview {

// pagePos: the mouse on the paper drawn at zoom 1 (pixels from the paper's corner); the
// page's margins count as PaintPage places objects, with left and right exchanged on a
// mirrored page (mirrored true).
report::TfrxComponent* objectUnderMouse(report::TfrxReportPage& page, QPointF pagePos, bool mirrored);
// The drill-down group header of an object: itself or its parent band when that is a group
// header with DrillDown; null otherwise.
report::TfrxGroupHeader* drillDownGroupOf(report::TfrxComponent* object);
// The mouse cursor for a view's Cursor value; Qt::ArrowCursor for the default (0).
Qt::CursorShape cursorShapeOf(int cursor);

} // namespace preview
