#include "report/render/item_render.h"

#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/frame_paint.h"
#include "report/text/text_context.h"

#include <QPainter>

namespace report {

namespace detail {

namespace {

// What every view has: its background and frame.
class PlainViewPainter final : public ItemPainter {
public:
    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        const QRectF r = viewDeviceRect(view, t.scaleX, t.scaleY, t.offsetX, t.offsetY);
        t.canvas.save();
        paintFramedView(view, t.canvas, r, t.scaleX, t.scaleY, [] {});
        t.canvas.restore();
    }
};

} // namespace

ItemKind plainViewKind()
{
    static const PlainViewPainter painter;
    static const ItemMeasurer measurer;
    return {&painter, &measurer, nullptr, PreparedKind::View};
}

} // namespace detail

const ItemPainter& painterFor(const TfrxView& view) { return *itemKindOf(view.classInfo()).painter; }

const ItemMeasurer& measurerFor(const TfrxView& view) { return *itemKindOf(view.classInfo()).measurer; }

void paintItem(TfrxView& view, const PaintTarget& target) { painterFor(view).paint(view, target); }

double calcItemHeight(TfrxView& view) { return measurerFor(view).calcHeight(view, TfrxTextContext::of(view)); }

double calcItemWidth(TfrxView& view) { return measurerFor(view).calcWidth(view, TfrxTextContext::of(view)); }

void initItemPart(TfrxView& view) { measurerFor(view).initPart(view); }

double drawItemPart(TfrxView& view) { return measurerFor(view).drawPart(view, TfrxTextContext::of(view)); }

} // namespace report
