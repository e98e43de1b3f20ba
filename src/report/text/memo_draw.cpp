// Drawing a text object: draw-time placeholders, highlight, automatic width, background,
// frame, underlines and the text itself.

#include "report/layout/draw_text.h"
#include "report/model/frx_views.h"
#include "report/text/detail/memo_layout.h"
#include "report/text/memo_drawing.h"
#include "report/text/text_context.h"
#include "report/text/view_paint.h"

#include <QPainter>
#include <QPen>
#include <algorithm>

namespace report {

namespace {

// The width follows the text; the right edge or the centre stays put when the text is
// aligned to it, and the parent re-arranges its aligned children around the new width.
void applyAutoWidth(TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text)
{
    const double width = detail::memoWidthOf(memo, drawText, text);
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

} // namespace

void drawMemoWith(TfrxCustomMemoView& memo, TfrxTextContext& context, QPainter* canvas, double scaleX, double scaleY,
                  double offsetX, double offsetY)
{
    if (!canvas)
        return;
    TfrxDrawText& drawText = context.drawText();
    TfrxDrawTextLock lock(drawText);

    // The template's text stays as written: placeholders are filled into a copy.
    const QString text = memo.IsDesigning ? memo.Text() : context.fillPlaceholders(memo.Text());
    const TColor ownColor = memo.Color;
    if (memo.Highlight().Active)
        memo.Color = memo.Highlight().Color;
    if (memo.AutoWidth && !memo.IsDesigning)
        applyAutoWidth(memo, drawText, text);

    const QRectF rect = viewDeviceRect(memo, scaleX, scaleY, offsetX, offsetY);
    const QRectF area = detail::memoTextArea(memo).translated(memo.AbsLeft(), memo.AbsTop());
    const QRectF device(area.left() * scaleX + offsetX, area.top() * scaleY + offsetY, area.width() * scaleX,
                        area.height() * scaleY);

    detail::applyMemoSettings(memo, drawText);
    drawText.SetDimensions(scaleX, scaleY, context.PrintScale, device, area);
    drawText.SetText(text);

    canvas->save();
    drawViewBackground(memo, *canvas, rect);
    drawViewFrame(memo, *canvas, rect, scaleX, scaleY);
    if (memo.Underlines && memo.Rotation % 360 == 0)
        drawUnderlines(memo, *canvas, area, drawText.LineHeight(), scaleX, scaleY, offsetX, offsetY);
    drawText.DrawText(canvas, static_cast<TextHAlign>(memo.HAlign), static_cast<TextVAlign>(memo.VAlign));
    canvas->restore();
    memo.Color = ownColor;
}

void TfrxCustomMemoView::Draw(QPainter* canvas, double scaleX, double scaleY, double offsetX, double offsetY)
{
    drawMemoWith(*this, TfrxTextContext::of(*this), canvas, scaleX, scaleY, offsetX, offsetY);
}

} // namespace report
