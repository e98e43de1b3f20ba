#pragma once

// Background and frame of a view on a canvas with scale and offset.

#include <QRectF>

class QPainter;

namespace report {
class TfrxView;
}

namespace report::detail {

// The view's rectangle on the device; a drop shadow takes its width from the right and
// bottom edges.
QRectF viewDeviceRect(const TfrxView& view, double scaleX, double scaleY, double offsetX, double offsetY);

// Fills with the view's colour unless it is transparent, then hatches with its brush style
// when that is a pattern.
void drawViewBackground(const TfrxView& view, QPainter& canvas, const QRectF& rect);

// The drop shadow, then each frame line the frame type asks for, in its own colour, style
// and width.
void drawViewFrame(const TfrxView& view, QPainter& canvas, const QRectF& rect, double scaleX, double scaleY);

} // namespace report::detail
