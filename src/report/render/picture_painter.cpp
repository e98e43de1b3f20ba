// Pictures: the stored image at its own size (centred or not), stretched, or stretched with
// its aspect kept, clipped to the object, between its background and frame.

#include "report/calc/frx_object_data.h"
#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/frame_paint.h"

#include <QImage>
#include <QPainter>

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

class PicturePainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        const QRectF r = viewDeviceRect(view, t.scaleX, t.scaleY, t.offsetX, t.offsetY);
        t.canvas.save();
        paintFramedView(view, t.canvas, r, t.scaleX, t.scaleY,
                        [&] { drawPicture(static_cast<const TfrxPictureView&>(view), t.canvas, r); });
        t.canvas.restore();
    }
};

} // namespace

ItemKind pictureKind()
{
    static const PicturePainter painter;
    static const ItemMeasurer measurer;
    const DataGetter getData = [](ReportCalc&, TfrxView& view) { getPictureData(static_cast<TfrxPictureView&>(view)); };
    return {&painter, &measurer, getData, PreparedKind::Picture};
}

} // namespace report::detail
