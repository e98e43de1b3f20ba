#include "report/pages/detail/view_painter.h"

#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"
#include "report/text/memo_drawing.h"
#include "report/text/view_paint.h"

#include <QImage>
#include <QPainter>
#include <QPen>

namespace report::detail {

namespace {

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
              TfrxTextContext& texts)
{
    // Lines and shapes draw themselves, frame and fill included.
    if (dynamic_cast<TfrxCustomLineView*>(&view) || dynamic_cast<TfrxShapeView*>(&view)) {
        view.Draw(&canvas, scaleX, scaleY, offsetX, offsetY);
        return;
    }
    // Text objects draw their own background and frame, with the report's draw-time values.
    if (auto* memo = dynamic_cast<TfrxCustomMemoView*>(&view)) {
        drawMemoWith(*memo, texts, &canvas, scaleX, scaleY, offsetX, offsetY);
        return;
    }
    const QRectF r = viewDeviceRect(view, scaleX, scaleY, offsetX, offsetY);
    canvas.save();
    drawViewBackground(view, canvas, r);
    if (const auto* picture = dynamic_cast<const TfrxPictureView*>(&view))
        drawPicture(*picture, canvas, r);
    else
        view.Draw(&canvas, scaleX, scaleY, offsetX, offsetY);
    drawViewFrame(view, canvas, r, scaleX, scaleY);
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
    drawFrame(canvas, page.Frame(), paper, scale, scale);
    canvas.restore();
}

} // namespace report::detail
