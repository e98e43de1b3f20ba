#include "report/text/memo_layout.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_views.h"

#include <algorithm>
#include <cmath>

namespace report {

MemoInsets memoInsets(const TfrxCustomMemoView& memo)
{
    const TfrxFrame& frame = memo.Frame();
    MemoInsets in;
    in.left = in.right = memo.GapX;
    in.top = in.bottom = memo.GapY;
    // A frame line is centred on the object's edge: the half inside takes room from the text.
    if (inSet(frame.Typ, TfrxFrameType::ftLeft))
        in.left += (frame.LeftLine().Width - 1) / 2;
    if (inSet(frame.Typ, TfrxFrameType::ftTop))
        in.top += (frame.TopLine().Width - 1) / 2;
    if (inSet(frame.Typ, TfrxFrameType::ftRight))
        in.right += frame.RightLine().Width / 2;
    if (inSet(frame.Typ, TfrxFrameType::ftBottom))
        in.bottom += frame.BottomLine().Width / 2;
    if (frame.DropShadow) {
        in.right += frame.ShadowWidth;
        in.bottom += frame.ShadowWidth;
    }
    return in;
}

QRectF memoTextArea(const TfrxCustomMemoView& memo)
{
    const MemoInsets in = memoInsets(memo);
    return QRectF(in.left, in.top, std::max(0.0, memo.Width() - in.horizontal()),
                  std::max(0.0, memo.Height() - in.vertical()));
}

const TfrxFont& memoFont(const TfrxCustomMemoView& memo)
{
    return memo.Highlight().Active ? memo.Highlight().Font() : memo.Font();
}

QColor memoTextColor(const TfrxCustomMemoView& memo)
{
    const QColor color = toQColor(memoFont(memo).Color());
    return color.isValid() ? color : QColor(Qt::black);
}

void applyMemoSettings(const TfrxCustomMemoView& memo, TfrxDrawText& drawText)
{
    const TfrxFont& font = memoFont(memo);
    QFont qfont = font.toQFont();
    // Layout works in whole points, whatever pixel height the template stores.
    qfont.setPointSize(std::max(1, font.Size()));
    drawText.SetFont(qfont, memoTextColor(memo));
    drawText.SetOptions(memo.WordWrap, memo.AllowHTMLTags, memo.Rotation, memo.Wysiwyg, memo.Clipped,
                        memo.WordBreak, memo.RTLReading);
    drawText.SetGaps(memo.ParagraphGap, memo.CharSpacing, memo.LineSpacing);
}

void layOutForMeasure(const TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text, double width,
                      double height)
{
    applyMemoSettings(memo, drawText);
    const QRectF area(0, 0, width, height);
    drawText.SetDimensions(1, 1, 1, area, area);
    drawText.SetText(text);
}

double memoWidthOf(const TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text)
{
    layOutForMeasure(memo, drawText, text, kUnboundedExtent, kUnboundedExtent);
    // Whole units, rounded up: a width rounded down is narrower than the line it was
    // measured for, and an automatic width would then wrap its own text ("电源 | PSU").
    return std::ceil(drawText.TextWidth() + memoInsets(memo).horizontal() - 1e-6);
}

void layOutAtWidth(const TfrxCustomMemoView& memo, TfrxDrawText& drawText)
{
    if (memo.AutoWidth) {
        layOutForMeasure(memo, drawText, memo.Text(), kUnboundedExtent, kUnboundedExtent);
    } else {
        const QRectF area = memoTextArea(memo);
        layOutForMeasure(memo, drawText, memo.Text(), area.width(), area.height());
    }
}

} // namespace report
