// Lines: axis-parallel or diagonal, in the frame's colour, width and style, with arrows.

#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/frame_paint.h"

#include <QPainter>
#include <cmath>

namespace report::detail {

namespace {

void drawArrow(QPainter& p, QPointF from, QPointF tip, double length, double width)
{
    const double dx = tip.x() - from.x();
    const double dy = tip.y() - from.y();
    const double len = std::hypot(dx, dy);
    if (len <= 0)
        return;
    const double ux = dx / len, uy = dy / len;
    const QPointF base(tip.x() - ux * length, tip.y() - uy * length);
    const QPointF left(base.x() - uy * width, base.y() + ux * width);
    const QPointF right(base.x() + uy * width, base.y() - ux * width);
    p.drawLine(tip, left);
    p.drawLine(tip, right);
}

// Nothing is drawn for a transparent colour or zero width; a line that is not diagonal is
// made axis-parallel first.
class LinePainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        auto& line = static_cast<TfrxCustomLineView&>(view);
        line.MakeAxisParallel();
        const TfrxFrame& frame = line.Frame();
        if (frame.Color() == clTransparent || frame.Width() == 0)
            return;
        const QPointF start(line.AbsLeft() * t.scaleX + t.offsetX, line.AbsTop() * t.scaleY + t.offsetY);
        const QPointF end(start.x() + line.Width() * t.scaleX, start.y() + line.Height() * t.scaleY);
        // The pen stays set rather than the canvas being saved and restored around every
        // line: the next line mostly takes the same pen, which then costs a PDF writer no new
        // graphics state. Every painter sets the pen it strokes with.
        QPainter& canvas = t.canvas;
        const bool smooth = canvas.testRenderHint(QPainter::Antialiasing);
        canvas.setRenderHint(QPainter::Antialiasing, line.Diagonal);
        canvas.setPen(framePen(frame.Color(), frame.Width(), frame.Style(), t.scaleX, Qt::FlatCap));
        canvas.drawLine(start, end);
        if (line.ArrowStart)
            drawArrow(canvas, end, start, line.ArrowLength * t.scaleX, line.ArrowWidth * t.scaleX);
        if (line.ArrowEnd)
            drawArrow(canvas, start, end, line.ArrowLength * t.scaleX, line.ArrowWidth * t.scaleX);
        canvas.setRenderHint(QPainter::Antialiasing, smooth);
    }
};

} // namespace

ItemKind lineKind()
{
    static const LinePainter painter;
    static const ItemMeasurer measurer;
    return {&painter, &measurer, nullptr, PreparedKind::Line};
}

} // namespace report::detail
