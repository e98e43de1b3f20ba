// Drawing and measuring a rich-text object: its content laid out on the reference device
// inside the gaps, scaled to the device rectangle.

#include "platform/error.h"
#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/layout/draw_text.h"
#include "report/render/frame_paint.h"
#include "report/text/text_context.h"
#include "report/rich/rich_paint.h"
#include "report/rich/rich_view.h"

#include <QPainter>

#include <cmath>

namespace report::detail {

namespace {

class RichPainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        auto& richView = static_cast<TfrxRichView&>(view);
        const QRectF rect = viewDeviceRect(richView, t.scaleX, t.scaleY, t.offsetX, t.offsetY);
        t.canvas.save();
        paintFramedView(richView, t.canvas, rect, t.scaleX, t.scaleY, [&] {
            try {
                paintContent(richView, t);
            } catch (const platform::Error&) {
                // content the object could not load is not drawn; its loading reported it
            }
        });
        t.canvas.restore();
    }

private:
    static void paintContent(const TfrxRichView& view, const PaintTarget& t)
    {
        const rich::RichDocument doc = richContent(view);
        if (doc.isEmpty())
            return;
        const auto reference = [](double units) { return int(std::lround(units * rich::kReferencePerUnit)); };
        const rich::RichLayout layout = rich::layOutRich(doc, reference(view.Width() - 2 * view.GapX));
        // The picture the content is rendered into has the object's size.
        const QRectF bounds(view.AbsLeft() * t.scaleX + t.offsetX, view.AbsTop() * t.scaleY + t.offsetY,
                            view.Width() * t.scaleX, view.Height() * t.scaleY);
        const QPointF origin((view.AbsLeft() + view.GapX) * t.scaleX + t.offsetX,
                             (view.AbsTop() + view.GapY) * t.scaleY + t.offsetY);
        t.canvas.save();
        t.canvas.setClipRect(bounds, Qt::IntersectClip);
        rich::paintRich(t.canvas, doc, layout, origin, t.scaleX / rich::kReferencePerUnit,
                        t.scaleY / rich::kReferencePerUnit, reference(view.Height() - 2 * view.GapY),
                        t.texts.drawText().OnLineDrawn);
        t.canvas.restore();
    }
};

// Content that fails to load was reported where it was loaded (getting the data); here
// it measures as empty and leaves nothing over.
class RichMeasurer final : public ItemMeasurer {
public:
    double calcHeight(TfrxView& view, TfrxTextContext&) const override
    {
        try {
            return richCalcHeight(static_cast<const TfrxRichView&>(view));
        } catch (const platform::Error&) {
            return 0;
        }
    }
    void initPart(TfrxView& view) const override { richInitPart(static_cast<TfrxRichView&>(view)); }
    double drawPart(TfrxView& view, TfrxTextContext&) const override
    {
        auto& richView = static_cast<TfrxRichView&>(view);
        try {
            return richDrawPart(richView);
        } catch (const platform::Error&) {
            richView.PartRemainder.clear();
            return 0;
        }
    }
};

} // namespace

ItemKind richKind()
{
    static const RichPainter painter;
    static const RichMeasurer measurer;
    TfrxRichView::SetTextReader(&richPlainText);
    const DataGetter getData = [](ReportCalc& calc, TfrxView& view) {
        getRichData(calc, static_cast<TfrxRichView&>(view));
    };
    // Rich text keeps a whole difference: its content does not fit the compact one.
    return {&painter, &measurer, getData, PreparedKind::FullDifference};
}

} // namespace report::detail
