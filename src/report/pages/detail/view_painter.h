#pragma once

// Drawing of one prepared view and of a page's paper, for views whose kind leaves drawing
// to the preview (text, picture) and for the frame and background every view has.

class QPainter;
class QRectF;

namespace report {
class TfrxView;
class TfrxReportPage;
class TfrxTextContext;
}

namespace report::detail {

void drawView(TfrxView& view, QPainter& canvas, double scaleX, double scaleY, double offsetX, double offsetY,
              TfrxTextContext& texts);
// The paper's colour and frame inside the rectangle.
void drawPaper(const TfrxReportPage& page, QPainter& canvas, const QRectF& paper, double scale);

} // namespace report::detail
