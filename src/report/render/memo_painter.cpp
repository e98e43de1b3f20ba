// Drawing a text object: draw-time placeholders, highlight, automatic width, background,
// frame, underlines and the text itself.

#include "report/calc/frx_text_data.h"
#include "report/layout/draw_text.h"
#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/detail/memo_kind.h"
#include "report/render/frame_paint.h"
#include "report/text/memo_layout.h"
#include "report/text/text_context.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace report::detail {

namespace {

// The width follows the text; the right edge or the centre stays put when the text is
// aligned to it, and the parent re-arranges its aligned children around the new width.
void applyAutoWidth(TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text)
{
    const double width = memoWidthOf(memo, drawText, text);
    const double oldLeft = memo.Left();
    const double oldWidth = memo.Width();
    memo.SetWidth(width);
    if (memo.HAlign == TfrxHAlign::haRight)
        memo.SetLeft(oldLeft + oldWidth - width);
    else if (memo.HAlign == TfrxHAlign::haCenter)
        memo.SetLeft(oldLeft + (oldWidth - width) / 2);
    if (TfrxComponent* parent = memo.Parent())
        parent->AlignChildren();
}

// Ruled lines under the text lines, down to the bottom of the text area.
void drawUnderlines(const TfrxCustomMemoView& memo, QPainter& canvas, const QRectF& area, double lineHeight,
                    double scaleX, double scaleY, double offsetX, double offsetY)
{
    const QColor color = toQColor(memo.Frame().Color());
    // A negative line spacing can bring the pitch near zero; a rule per pixel row is no rule.
    if (!color.isValid() || lineHeight < 1)
        return;
    QPen pen(color);
    pen.setWidthF(std::max(1.0, memo.Frame().Width() * scaleY));
    pen.setCapStyle(Qt::FlatCap);
    canvas.save();
    canvas.setPen(pen);
    const double left = area.left() * scaleX + offsetX;
    const double right = area.right() * scaleX + offsetX;
    for (double y = area.top() + memo.GapY - memo.LineSpacing + 1 + lineHeight; y <= area.bottom() + 1e-9;
         y += lineHeight) {
        const double dy = y * scaleY + offsetY;
        canvas.drawLine(QPointF(left, dy), QPointF(right, dy));
    }
    canvas.restore();
}

// Text objects draw their own background and frame, with the report's draw-time values.
class MemoPainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        auto& memo = static_cast<TfrxCustomMemoView&>(view);
        TfrxDrawText& drawText = t.texts.drawText();
        TfrxDrawTextLock lock(drawText);

        // The template's text stays as written: placeholders are filled into a copy.
        const QString text = memo.IsDesigning ? memo.Text() : t.texts.fillPlaceholders(memo.Text());
        const TColor ownColor = memo.Color;
        if (memo.Highlight().Active)
            memo.Color = memo.Highlight().Color;
        if (memo.AutoWidth && !memo.IsDesigning)
            applyAutoWidth(memo, drawText, text);

        const QRectF rect = viewDeviceRect(memo, t.scaleX, t.scaleY, t.offsetX, t.offsetY);
        const QRectF area = memoTextArea(memo).translated(memo.AbsLeft(), memo.AbsTop());
        const QRectF device(area.left() * t.scaleX + t.offsetX, area.top() * t.scaleY + t.offsetY,
                            area.width() * t.scaleX, area.height() * t.scaleY);

        applyMemoSettings(memo, drawText);
        drawText.SetDimensions(t.scaleX, t.scaleY, t.texts.PrintScale, device, area);
        drawText.SetText(text);

        QPainter& canvas = t.canvas;
        drawViewBackground(memo, canvas, rect);
        drawViewFrame(memo, canvas, rect, t.scaleX, t.scaleY);
        if (memo.Underlines && memo.Rotation % 360 == 0)
            drawUnderlines(memo, canvas, area, drawText.LineHeight(), t.scaleX, t.scaleY, t.offsetX, t.offsetY);
        drawText.DrawText(&canvas, static_cast<TextHAlign>(memo.HAlign), static_cast<TextVAlign>(memo.VAlign));
        memo.Color = ownColor;
    }
};

} // namespace

ItemKind memoKind()
{
    static const MemoPainter painter;
    static const MemoMeasurer measurer;
    const DataGetter getData = [](ReportCalc& calc, TfrxView& view) {
        getMemoData(calc, static_cast<TfrxCustomMemoView&>(view));
    };
    return {&painter, &measurer, getData, PreparedKind::Memo};
}

} // namespace report::detail
