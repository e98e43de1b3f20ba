#include "preview/pages/detail/view_painter.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"

#include <QImage>
#include <QPainter>
#include <QPen>

namespace report::detail {

namespace {

Qt::PenStyle penStyle(TfrxFrameStyle style)
{
    switch (style) {
    case TfrxFrameStyle::fsDash: return Qt::DashLine;
    case TfrxFrameStyle::fsDot: return Qt::DotLine;
    case TfrxFrameStyle::fsDashDot: return Qt::DashDotLine;
    case TfrxFrameStyle::fsDashDotDot: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

void drawLine(QPainter& canvas, const TfrxFrameLine& line, QPointF from, QPointF to, double scale)
{
    if (line.Color == clTransparent || line.Width <= 0)
        return;
    QPen pen(toQColor(line.Color));
    pen.setWidthF(std::max(line.Width * scale, 0.5));
    pen.setStyle(penStyle(line.Style));
    pen.setCapStyle(Qt::SquareCap);
    canvas.setPen(pen);
    canvas.drawLine(from, to);
}

void drawBackground(QPainter& canvas, TColor color, TBrushStyle brush, const QRectF& r)
{
    if (color == clTransparent || brush == TBrushStyle::bsClear)
        return;
    canvas.fillRect(r, toQColor(color));
}

void drawFrame(QPainter& canvas, const TfrxFrame& frame, const QRectF& r, double scale)
{
    if (frame.DropShadow && frame.ShadowColor != clTransparent) {
        const double w = frame.ShadowWidth * scale;
        canvas.fillRect(QRectF(r.right(), r.top() + w, w, r.height()), toQColor(frame.ShadowColor));
        canvas.fillRect(QRectF(r.left() + w, r.bottom(), r.width(), w), toQColor(frame.ShadowColor));
    }
    if (inSet(frame.Typ, TfrxFrameType::ftLeft))
        drawLine(canvas, frame.LeftLine(), r.topLeft(), r.bottomLeft(), scale);
    if (inSet(frame.Typ, TfrxFrameType::ftTop))
        drawLine(canvas, frame.TopLine(), r.topLeft(), r.topRight(), scale);
    if (inSet(frame.Typ, TfrxFrameType::ftRight))
        drawLine(canvas, frame.RightLine(), r.topRight(), r.bottomRight(), scale);
    if (inSet(frame.Typ, TfrxFrameType::ftBottom))
        drawLine(canvas, frame.BottomLine(), r.bottomLeft(), r.bottomRight(), scale);
}

void drawMemo(TfrxCustomMemoView& memo, QPainter& canvas, const QRectF& r, double scaleX, double scaleY,
              const PrintJobInfo& job)
{
    if (memo.Text().isEmpty())
        return;
    TfrxDrawText& text = TfrxDrawText::global();
    TfrxDrawTextLock lock(text);
    QColor color = toQColor(memo.Font().Color());
    if (!color.isValid())
        color = Qt::black;
    text.SetFont(memo.Font().toQFont(), color);
    text.SetOptions(memo.WordWrap, memo.AllowHTMLTags, memo.Rotation, memo.Wysiwyg, memo.Clipped, memo.WordBreak,
                    memo.RTLReading);
    text.SetGaps(memo.ParagraphGap, memo.CharSpacing, memo.LineSpacing);
    const QRectF layout(memo.GapX, memo.GapY, std::max(0.0, memo.Width() - 2 * memo.GapX),
                        std::max(0.0, memo.Height() - 2 * memo.GapY));
    const QRectF device(r.left() + memo.GapX * scaleX, r.top() + memo.GapY * scaleY, layout.width() * scaleX,
                        layout.height() * scaleY);
    text.SetDimensions(scaleX, scaleY, job.printScale, device, layout);
    text.SetText(memo.Text());
    text.DrawText(&canvas, static_cast<TextHAlign>(memo.HAlign), static_cast<TextVAlign>(memo.VAlign));
}

void drawPicture(const TfrxPictureView& view, QPainter& canvas, const QRectF& r)
{
    if (view.Picture.isEmpty())
        return;
    const QImage image = QImage::fromData(view.Picture);
    if (image.isNull())
        return;
    QRectF target = r;
    if (!view.Stretched) {
        target.setSize(image.size());
        if (view.Center)
            target.moveCenter(r.center());
    } else if (view.KeepAspectRatio) {
        const QSizeF size = QSizeF(image.size()).scaled(r.size(), Qt::KeepAspectRatio);
        target.setSize(size);
        if (view.Center)
            target.moveCenter(r.center());
    }
    canvas.save();
    canvas.setClipRect(r, Qt::IntersectClip);
    canvas.drawImage(target, image);
    canvas.restore();
}

} // namespace

void drawView(TfrxView& view, QPainter& canvas, double scaleX, double scaleY, double offsetX, double offsetY,
              const PrintJobInfo& job)
{
    // Lines and shapes draw themselves, frame and fill included.
    if (dynamic_cast<TfrxCustomLineView*>(&view) || dynamic_cast<TfrxShapeView*>(&view)) {
        view.Draw(&canvas, scaleX, scaleY, offsetX, offsetY);
        return;
    }
    const QRectF r(view.AbsLeft() * scaleX + offsetX, view.AbsTop() * scaleY + offsetY, view.Width() * scaleX,
                   view.Height() * scaleY);
    canvas.save();
    drawBackground(canvas, view.Color, view.BrushStyle, r);
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(&view))
        drawMemo(*memo, canvas, r, scaleX, scaleY, job);
    else if (const auto* picture = dynamic_cast<const TfrxPictureView*>(&view))
        drawPicture(*picture, canvas, r);
    else
        view.Draw(&canvas, scaleX, scaleY, offsetX, offsetY);
    drawFrame(canvas, view.Frame(), r, scaleX);
    canvas.restore();
}

void drawPaper(const TfrxReportPage& page, QPainter& canvas, const QRectF& paper, double scale)
{
    canvas.save();
    drawBackground(canvas, page.Color, TBrushStyle::bsSolid, paper);
    if (!page.BackPicture.isEmpty()) {
        const QImage image = QImage::fromData(page.BackPicture);
        if (!image.isNull())
            canvas.drawImage(paper, image);
    }
    drawFrame(canvas, page.Frame(), paper, scale);
    canvas.restore();
}

} // namespace report::detail
