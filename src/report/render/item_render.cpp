#include "report/render/item_render.h"

#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/frame_paint.h"
#include "report/text/text_context.h"

#include <QPainter>
#include <unordered_map>

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
    return {&painter, &measurer};
}

} // namespace detail

namespace {

class ItemTable {
public:
    ItemTable()
    {
        add(TfrxView::staticClassInfo(), detail::plainViewKind());
        add(TfrxCustomMemoView::staticClassInfo(), detail::memoKind());
        add(TfrxCustomLineView::staticClassInfo(), detail::lineKind());
        add(TfrxShapeView::staticClassInfo(), detail::shapeKind());
        add(TfrxPictureView::staticClassInfo(), detail::pictureKind());
        add(TfrxRichView::staticClassInfo(), detail::richKind());
    }

    void add(const ClassInfo& cls, detail::ItemKind kind) { kinds_.insert_or_assign(&cls, kind); }

    // The class's own entry or its nearest registered ancestor's; TfrxView's at the root.
    // The chain is a handful of classes deep, so no cache of inherited entries is kept.
    const detail::ItemKind& find(const ClassInfo& cls) const
    {
        for (const ClassInfo* c = &cls; c; c = c->parent()) {
            const auto it = kinds_.find(c);
            if (it != kinds_.end())
                return it->second;
        }
        return kinds_.at(&TfrxView::staticClassInfo());
    }

private:
    std::unordered_map<const ClassInfo*, detail::ItemKind> kinds_;
};

ItemTable& table()
{
    static ItemTable instance;
    return instance;
}

} // namespace

double ItemMeasurer::calcHeight(TfrxView& view, TfrxTextContext& texts) const
{
    (void)texts;
    return view.Height();
}

double ItemMeasurer::calcWidth(TfrxView& view, TfrxTextContext& texts) const
{
    (void)texts;
    return view.Width();
}

void ItemMeasurer::initPart(TfrxView& view) const { (void)view; }

double ItemMeasurer::drawPart(TfrxView& view, TfrxTextContext& texts) const
{
    (void)view;
    (void)texts;
    return 0;
}

void registerItemKind(const ClassInfo& cls, const ItemPainter& painter, const ItemMeasurer& measurer)
{
    table().add(cls, {&painter, &measurer});
}

const ItemPainter& painterFor(const TfrxView& view) { return *table().find(view.classInfo()).painter; }

const ItemMeasurer& measurerFor(const TfrxView& view) { return *table().find(view.classInfo()).measurer; }

void paintItem(TfrxView& view, const PaintTarget& target) { painterFor(view).paint(view, target); }

double calcItemHeight(TfrxView& view) { return measurerFor(view).calcHeight(view, TfrxTextContext::of(view)); }

double calcItemWidth(TfrxView& view) { return measurerFor(view).calcWidth(view, TfrxTextContext::of(view)); }

void initItemPart(TfrxView& view) { measurerFor(view).initPart(view); }

double drawItemPart(TfrxView& view) { return measurerFor(view).drawPart(view, TfrxTextContext::of(view)); }

} // namespace report
