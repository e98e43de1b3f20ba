// The item table: each kind draws and measures through its registered entry, a class
// without an entry of its own takes its nearest ancestor's, and prepared pages are drawn
// through it.
#include "pages/pages_fixture.h"
#include "report/render/detail/item_kinds.h"
#include "report/render/item_render.h"

#include <QPainter>

using namespace pages_test;

namespace {

// Records what it was asked to draw and measure.
struct Recorder final : ItemPainter, ItemMeasurer {
    mutable QStringList painted;
    mutable QList<QPointF> origins;
    mutable int measured = 0;

    void paint(TfrxView& view, const PaintTarget& t) const override
    {
        painted << view.Name();
        origins << QPointF(view.AbsLeft() * t.scaleX + t.offsetX, view.AbsTop() * t.scaleY + t.offsetY);
    }
    double calcHeight(TfrxView& view, TfrxTextContext& texts) const override
    {
        (void)view;
        (void)texts;
        ++measured;
        return 123;
    }
};

// Gives a class the recorder for the test's length, keeping the rest of its entry, then its
// built-in kind again.
class Registered {
public:
    Registered(const ClassInfo& cls, const Recorder& recorder, ItemKind builtIn) : cls_(cls), builtIn_(builtIn)
    {
        ItemKind recording = builtIn;
        recording.painter = &recorder;
        recording.measurer = &recorder;
        registerItemKind(cls, recording);
    }
    ~Registered() { registerItemKind(cls_, builtIn_); }

private:
    const ClassInfo& cls_;
    ItemKind builtIn_;
};

} // namespace

TEST(ItemRender, PreparedPagesAreDrawnThroughTheTableAtTheirScaleAndMargins)
{
    Template t;
    t.page->LeftMargin = 10;
    t.page->TopMargin = 20;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("Hello"));
    e.finish();

    Recorder recorder;
    Registered picture(TfrxPictureView::staticClassInfo(), recorder, detail::pictureKind());
    QImage image(1000, 1400, QImage::Format_RGB32);
    QPainter painter(&image);
    pages.PaintPage(0, painter, 0.5, 0.5, 5, 7);

    ASSERT_EQ(recorder.painted, QStringList{QStringLiteral("Picture1")});
    // The band sits at 100 and the picture at 500 inside it, both after the margins.
    EXPECT_NEAR(recorder.origins[0].x(), 5 + 10 * fr01cm * 0.5 + 500 * 0.5, 1e-9);
    EXPECT_NEAR(recorder.origins[0].y(), 7 + 20 * fr01cm * 0.5 + 100 * 0.5, 1e-9);
}

TEST(ItemRender, AClassWithoutAnEntryTakesItsNearestAncestorsAndSiblingsKeepTheirs)
{
    TfrxSysMemoView sys;
    TfrxMemoView memo;
    TfrxShapeView shape;
    TfrxLineView line;
    for (TfrxCustomMemoView* text : {static_cast<TfrxCustomMemoView*>(&sys), static_cast<TfrxCustomMemoView*>(&memo)}) {
        text->SetBounds(0, 0, 200, 1);
        text->SetText(QStringLiteral("one\ntwo\nthree"));
    }
    shape.SetBounds(0, 0, 200, 37);
    line.SetBounds(0, 0, 200, 0);

    // Both text classes measure their three lines through the text objects' entry.
    const double threeLines = calcItemHeight(memo);
    EXPECT_GT(threeLines, 30);
    EXPECT_EQ(calcItemHeight(sys), threeLines);
    // Kinds without content of their own keep their size.
    EXPECT_EQ(calcItemHeight(shape), 37);
    EXPECT_EQ(calcItemHeight(line), 0);

    Recorder recorder;
    {
        Registered sysOnly(TfrxSysMemoView::staticClassInfo(), recorder, detail::memoKind());
        EXPECT_EQ(calcItemHeight(sys), 123);
        EXPECT_EQ(calcItemHeight(memo), threeLines);
        EXPECT_EQ(recorder.measured, 1);
    }
    EXPECT_EQ(calcItemHeight(sys), threeLines);
}

TEST(ItemRender, AnEntryThatSetsSomeFieldsInheritsTheRestAndEveryClassHasAStoredForm)
{
    const ClassInfo& sys = TfrxSysMemoView::staticClassInfo();
    const ItemKind memo = itemKindOf(TfrxCustomMemoView::staticClassInfo());
    ASSERT_NE(memo.getData, nullptr);

    Recorder recorder;
    registerItemKind(sys, {.painter = &recorder, .measurer = nullptr, .getData = nullptr, .prepared = std::nullopt});
    {
        const ItemKind& kind = itemKindOf(sys);
        EXPECT_EQ(kind.painter, &recorder);
        EXPECT_EQ(kind.measurer, memo.measurer);
        EXPECT_EQ(kind.getData, memo.getData);
        EXPECT_EQ(kind.prepared, PreparedKind::Memo);
    }
    // An empty entry inherits everything again.
    registerItemKind(sys, {});
    EXPECT_EQ(itemKindOf(sys).painter, memo.painter);

    const ItemKind& view = itemKindOf(TfrxView::staticClassInfo());
    const ItemKind& subreport = itemKindOf(TfrxSubreport::staticClassInfo());
    EXPECT_EQ(subreport.prepared, PreparedKind::Hidden);
    EXPECT_EQ(subreport.painter, view.painter);
    EXPECT_EQ(itemKindOf(TfrxMasterData::staticClassInfo()).prepared, PreparedKind::Band);
    EXPECT_EQ(itemKindOf(TfrxGroupHeader::staticClassInfo()).prepared, PreparedKind::GroupHeader);
    EXPECT_EQ(itemKindOf(TfrxRichView::staticClassInfo()).prepared, PreparedKind::FullDifference);
    EXPECT_EQ(itemKindOf(TfrxReportPage::staticClassInfo()).prepared, PreparedKind::Hidden);
    EXPECT_EQ(itemKindOf(TfrxReportPage::staticClassInfo()).painter, nullptr);
}
