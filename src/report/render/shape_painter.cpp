// Shapes: rectangle, rounded rectangle, ellipse, triangle, diamond and the two diagonals,
// outlined with the frame's pen and filled with the colour and brush.

#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/frame_paint.h"

#include <QPainter>

namespace report::detail {

namespace {

void drawShape(QPainter& canvas, TfrxShapeKind shape, const QRectF& r, double radius)
{
    switch (shape) {
    case TfrxShapeKind::skRectangle: canvas.drawRect(r); break;
    case TfrxShapeKind::skRoundRectangle: canvas.drawRoundedRect(r, radius, radius); break;
    case TfrxShapeKind::skEllipse: canvas.drawEllipse(r); break;
    case TfrxShapeKind::skTriangle:
        canvas.drawPolygon(QPolygonF({QPointF(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()}));
        break;
    case TfrxShapeKind::skDiamond:
        canvas.drawPolygon(QPolygonF({QPointF(r.center().x(), r.top()), QPointF(r.right(), r.center().y()),
                                      QPointF(r.center().x(), r.bottom()), QPointF(r.left(), r.center().y())}));
        break;
    case TfrxShapeKind::skDiagonal1: canvas.drawLine(r.bottomLeft(), r.topRight()); break;
    case TfrxShapeKind::skDiagonal2: canvas.drawLine(r.topLeft(), r.bottomRight()); break;
    }
}

class ShapePainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        const auto& shape = static_cast<const TfrxShapeView&>(view);
        const QRectF r(shape.AbsLeft() * t.scaleX + t.offsetX, shape.AbsTop() * t.scaleY + t.offsetY,
                       shape.Width() * t.scaleX, shape.Height() * t.scaleY);
        QPainter& canvas = t.canvas;
        canvas.save();
        canvas.setRenderHint(QPainter::Antialiasing, shape.Shape != TfrxShapeKind::skRectangle);
        const TfrxFrame& frame = shape.Frame();
        if (frame.Color() == clTransparent || frame.Width() == 0)
            canvas.setPen(Qt::NoPen);
        else
            canvas.setPen(framePen(frame.Color(), frame.Width(), frame.Style(), t.scaleX, Qt::FlatCap));
        if (shape.Color == clTransparent || shape.BrushStyle == TBrushStyle::bsClear) {
            canvas.setBrush(Qt::NoBrush);
        } else {
            static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush,      Qt::HorPattern,
                                                    Qt::VerPattern,   Qt::FDiagPattern, Qt::BDiagPattern,
                                                    Qt::CrossPattern, Qt::DiagCrossPattern};
            canvas.setBrush(QBrush(toQColor(shape.Color), styles[int(shape.BrushStyle) & 7]));
        }
        drawShape(canvas, shape.Shape, r, (shape.Curve > 0 ? shape.Curve : 2) * t.scaleX * 2);
        canvas.restore();
    }
};

} // namespace

ItemKind shapeKind()
{
    static const ShapePainter painter;
    static const ItemMeasurer measurer;
    return {&painter, &measurer, nullptr, PreparedKind::Shape};
}

} // namespace report::detail
