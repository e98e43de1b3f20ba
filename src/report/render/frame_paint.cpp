#include "report/render/frame_paint.h"

#include "report/model/frx_views.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace report {

namespace {

Qt::PenStyle penStyle(TfrxFrameStyle style)
{
    switch (style) {
    case TfrxFrameStyle::fsDash: return Qt::DashLine;
    case TfrxFrameStyle::fsDot: return Qt::DotLine;
    case TfrxFrameStyle::fsDashDot: return Qt::DashDotLine;
    case TfrxFrameStyle::fsDashDotDot: return Qt::DashDotDotLine;
    case TfrxFrameStyle::fsSolid:
    case TfrxFrameStyle::fsDouble: break;
    }
    return Qt::SolidLine;
}

void drawFrameLine(QPainter& canvas, const TfrxFrameLine& line, QPointF from, QPointF to, double scale)
{
    if (!toQColor(line.Color).isValid() || line.Width <= 0)
        return;
    canvas.setPen(framePen(line.Color, line.Width, line.Style, scale, Qt::SquareCap));
    canvas.drawLine(from, to);
}

} // namespace

QPen framePen(TColor color, double width, TfrxFrameStyle style, double scale, Qt::PenCapStyle cap)
{
    QPen pen(toQColor(color));
    pen.setWidthF(std::max(1.0, width * scale));
    pen.setStyle(penStyle(style));
    pen.setCapStyle(cap);
    return pen;
}

QRectF viewDeviceRect(const TfrxView& view, double scaleX, double scaleY, double offsetX, double offsetY)
{
    QRectF r(view.AbsLeft() * scaleX + offsetX, view.AbsTop() * scaleY + offsetY, view.Width() * scaleX,
             view.Height() * scaleY);
    const TfrxFrame& frame = view.Frame();
    if (frame.DropShadow) {
        r.setRight(std::max(r.left(), r.right() - frame.ShadowWidth * scaleX));
        r.setBottom(std::max(r.top(), r.bottom() - frame.ShadowWidth * scaleY));
    }
    return r;
}

void drawBackground(QPainter& canvas, TColor color, TBrushStyle brush, const QRectF& rect)
{
    const QColor fill = toQColor(color);
    if (!fill.isValid())
        return;
    canvas.fillRect(rect, fill);
    static const Qt::BrushStyle hatches[] = {Qt::NoBrush,   Qt::NoBrush,     Qt::HorPattern,   Qt::VerPattern,
                                             Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    const Qt::BrushStyle hatch = hatches[int(brush) & 7];
    if (hatch != Qt::NoBrush)
        canvas.fillRect(rect, QBrush(Qt::black, hatch));
}

void drawViewBackground(const TfrxView& view, QPainter& canvas, const QRectF& rect)
{
    drawBackground(canvas, view.Color, view.BrushStyle, rect);
}

void drawFrame(QPainter& canvas, const TfrxFrame& frame, const QRectF& rect, double scaleX, double scaleY)
{
    const QColor shadow = toQColor(frame.ShadowColor);
    const bool shadowed = frame.DropShadow && shadow.isValid() && frame.ShadowWidth > 0;
    if (frame.Typ == 0 && !shadowed)
        return; // nothing to draw, and a saved state costs a PDF writer
    canvas.save();
    if (shadowed) {
        const double wx = frame.ShadowWidth * scaleX;
        const double wy = frame.ShadowWidth * scaleY;
        canvas.fillRect(QRectF(rect.right(), rect.top() + wy, wx, rect.height()), shadow);
        canvas.fillRect(QRectF(rect.left() + wx, rect.bottom(), rect.width(), wy), shadow);
    }
    if (inSet(frame.Typ, TfrxFrameType::ftLeft))
        drawFrameLine(canvas, frame.LeftLine(), rect.topLeft(), rect.bottomLeft(), scaleX);
    if (inSet(frame.Typ, TfrxFrameType::ftTop))
        drawFrameLine(canvas, frame.TopLine(), rect.topLeft(), rect.topRight(), scaleY);
    if (inSet(frame.Typ, TfrxFrameType::ftRight))
        drawFrameLine(canvas, frame.RightLine(), rect.topRight(), rect.bottomRight(), scaleX);
    if (inSet(frame.Typ, TfrxFrameType::ftBottom))
        drawFrameLine(canvas, frame.BottomLine(), rect.bottomLeft(), rect.bottomRight(), scaleY);
    canvas.restore();
}

void drawViewFrame(const TfrxView& view, QPainter& canvas, const QRectF& rect, double scaleX, double scaleY)
{
    drawFrame(canvas, view.Frame(), rect, scaleX, scaleY);
}

} // namespace report
