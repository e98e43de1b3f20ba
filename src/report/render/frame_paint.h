#pragma once

// Background and frame of a view, or of a page's paper, on a canvas with scale and offset:
// the one drawing of these that every item kind and prepared pages share.

#include "report/model/frx_types.h"

#include <QPen>
#include <QRectF>

class QPainter;

namespace report {

class TfrxView;
class TfrxFrame;

// A pen for a frame or line of the colour, width (at least one device pixel) and style;
// fsDouble is drawn solid.
QPen framePen(TColor color, double width, TfrxFrameStyle style, double scale, Qt::PenCapStyle cap);

// The view's rectangle on the device; a drop shadow takes its width from the right and
// bottom edges.
QRectF viewDeviceRect(const TfrxView& view, double scaleX, double scaleY, double offsetX, double offsetY);

// Fills with the colour unless it is transparent, then hatches with the brush style when
// that is a pattern.
void drawBackground(QPainter& canvas, TColor color, TBrushStyle brush, const QRectF& rect);
void drawViewBackground(const TfrxView& view, QPainter& canvas, const QRectF& rect);

// The drop shadow, then each frame line the frame type asks for, in its own colour, style
// and width.
void drawFrame(QPainter& canvas, const TfrxFrame& frame, const QRectF& rect, double scaleX, double scaleY);
void drawViewFrame(const TfrxView& view, QPainter& canvas, const QRectF& rect, double scaleX, double scaleY);

// The view's background, then the content drawn into its device rectangle, then its frame.
template <class Content>
void paintFramedView(const TfrxView& view, QPainter& canvas, const QRectF& rect, double scaleX, double scaleY,
                     Content&& content)
{
    drawViewBackground(view, canvas, rect);
    content();
    drawViewFrame(view, canvas, rect, scaleX, scaleY);
}

} // namespace report
