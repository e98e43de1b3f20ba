#pragma once

// Drawing a laid-out rich document on any canvas. The layout was made on the reference
// device; drawing only scales it, so every device shows the same lines.

#include "report/rich/rich_layout.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;

namespace report::rich {

// Draws the lines whose bottom lies within `maxHeight` reference pixels (the first line
// always): reference point (x, y) of the layout lands at origin + (x × scaleX, y × scaleY),
// the scales being device pixels per reference pixel. `onLine`, when set, is told of every
// line drawn, in drawing order: its text and its rectangle on the canvas's device.
using RichLineObserver = std::function<void(const QString& text, const QRectF& deviceRect)>;
void paintRich(QPainter& canvas, const RichDocument& document, const RichLayout& layout, QPointF origin,
               double scaleX, double scaleY, int maxHeight, const RichLineObserver& onLine = {});

} // namespace report::rich
