// The outline pane and the objects under the mouse: hyperlinks to pages and anchors,
// cursors, status text, and drill-down groups toggled and prepared again in the window.
#include "preview_fixture.h"

#include "report/model/csv_dataset.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTreeWidget>
#include <cmath>

using namespace previewtest;
using namespace report;

namespace {

TfrxXMLItem* addItem(TfrxXMLItem* parent, const char* text, int page, int top)
{
    TfrxXMLItem* item = parent->addChild("item");
    item->setAttr("text", text);
    item->setAttr("page", QByteArray::number(page));
    item->setAttr("top", QByteArray::number(top));
    return item;
}

} // namespace

TEST_F(PreviewTest, AQuotationWithoutOutlineItemsOpensWithTheLeftPaneHidden)
{
    prepare(20);
    openWindow();
    EXPECT_FALSE(pv().outlineVisible());
    EXPECT_FALSE(pv().thumbnailVisible());
    EXPECT_FALSE(form->button(QStringLiteral("OutlineB"))->isChecked());
}

TEST_F(PreviewTest, OutlineNodesGoToTheirPageAndPositionAlsoFarDownALongPage)
{
    prepare(40);
    // Page 2 becomes a tall page (an endless page's size), so positions past 4096 pixels exist.
    TfrxReportPage* tall = shell->PreviewPages().GetPreparedPage(1);
    tall->SetPaperHeight(2000);
    const double topMargin = tall->TopMargin * fr01cm;
    shell->PreviewPages().ReplacePage(1, *tall); // the cached page object goes
    TfrxXMLItem* outline = shell->PreviewPages().Root()->childByName("outline");
    TfrxXMLItem* first = addItem(outline, "第一组", 0, 0);
    addItem(first, "明细", 1, 5001);
    addItem(outline, "第二组", 2, 300);
    openWindow();

    QTreeWidget* tree = pv().outlineTree();
    EXPECT_TRUE(pv().outlineVisible());
    EXPECT_TRUE(form->button(QStringLiteral("OutlineB"))->isChecked());
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QTreeWidgetItem* detail = tree->topLevelItem(0)->child(0);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->text(0), "明细");
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded());

    const double zoom = pv().zoom();
    emit tree->itemClicked(detail, 0);
    EXPECT_EQ(pv().pageNo(), 2);
    // Page top + (top margin + the position rounded down to even) x zoom - 10.
    const int expected = area().pageList().item(1).top + int(std::lround((topMargin + 5000) * zoom)) - 10;
    EXPECT_EQ(area().scrollPos().y(), expected);

    emit tree->itemClicked(tree->topLevelItem(0), 0); // position 0: the page's top less 10
    EXPECT_EQ(pv().pageNo(), 1);
    EXPECT_EQ(area().scrollPos().y(), area().pageList().item(0).top - 10);

    // The thumbnail pane replaces the outline and the buttons follow.
    form->button(QStringLiteral("ThumbB"))->trigger();
    EXPECT_TRUE(pv().thumbnailVisible());
    EXPECT_FALSE(pv().outlineVisible());
    EXPECT_FALSE(form->button(QStringLiteral("OutlineB"))->isChecked());
    form->button(QStringLiteral("OutlineB"))->trigger();
    EXPECT_TRUE(pv().outlineVisible());
    EXPECT_FALSE(form->button(QStringLiteral("ThumbB"))->isChecked());
}

class ObjectMouseTest : public PreviewTest {
protected:
    // Page 1 gets three views in its first band: a link to page 3, a link to an anchor and
    // one with a cross cursor; an anchor "Total" is on page 3 at 100 pixels.
    void SetUp() override
    {
        prepare(60);
        TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(0);
        band = dynamic_cast<TfrxBand*>(page->Objects().value(0));
        ASSERT_NE(band, nullptr);
        const auto add = [&](const char* name, double left, const QString& url, int cursor) {
            auto* memo = new TfrxMemoView(band);
            memo->SetName(QString::fromLatin1(name));
            memo->SetBounds(left, 0, 60, 10);
            memo->URL = url;
            memo->Cursor = cursor;
            return memo;
        };
        add("LinkPage", 0, QStringLiteral("@3"), 0);
        add("LinkAnchor", 100, QStringLiteral("#total"), 0);
        add("Cross", 200, QString(), -3);
        margins = {page->LeftMargin * fr01cm, page->TopMargin * fr01cm};
        bandTop = band->AbsTop();
        shell->PreviewPages().ReplacePage(0, *page);
        addItem(shell->PreviewPages().Root()->childByName("anchors"), "Total", 2, 100);
        openWindow();
    }
    // The middle of a view of the first band on the window.
    QPoint at(double left) const
    {
        const QRect page = area().pageList().item(0).rect().translated(-area().scrollPos());
        return page.topLeft() + QPointF((margins.x() + left + 30) * pv().zoom(), (margins.y() + bandTop + 5) * pv().zoom()).toPoint();
    }
    TfrxBand* band = nullptr;
    QPointF margins;
    double bandTop = 0;
};

TEST_F(ObjectMouseTest, LinksShowTheirAddressAndGoToPagesAndAnchors)
{
    QWidget* viewport = area().viewport();
    QTest::mouseMove(viewport, at(0));
    EXPECT_EQ(form->statusText(1), "@3");
    EXPECT_EQ(viewport->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(viewport, at(200));
    EXPECT_EQ(form->statusText(1), "");
    EXPECT_EQ(viewport->cursor().shape(), Qt::CrossCursor);

    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(0));
    EXPECT_EQ(pv().pageNo(), 3);

    pv().setPageNo(1);
    // The right button neither follows links nor leaves the page.
    QTest::mouseClick(viewport, Qt::RightButton, {}, at(100));
    EXPECT_EQ(pv().pageNo(), 1);
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at(100));
    EXPECT_EQ(pv().pageNo(), 3);
    const TfrxReportPage* third = shell->PreviewPages().GetPreparedPage(2);
    EXPECT_EQ(area().scrollPos().y(),
              area().pageList().item(2).top + int(std::lround((third->TopMargin * fr01cm + 100) * pv().zoom())) - 10);
}

TEST_F(ObjectMouseTest, ADrillDownGroupIsToggledAndPreparedAgainInTheWindow)
{
    TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(0);
    auto* group = new TfrxGroupHeader(page);
    group->SetName(QStringLiteral("GroupHeader1"));
    group->SetBounds(0, 600, 300, 40);
    group->DrillDown = true;
    group->Tag = 7;
    auto* inside = new TfrxMemoView(group);
    inside->SetName(QStringLiteral("GroupMemo"));
    inside->SetBounds(10, 5, 100, 20);
    shell->PreviewPages().ReplacePage(0, *page);
    form.reset();
    openWindow();
    pv().setZoom(1);
    const QRect onView = area().pageList().item(0).rect().translated(-area().scrollPos());
    const QPoint point = onView.topLeft() + QPointF(margins.x() + 50, margins.y() + 615).toPoint();
    QTest::mouseMove(area().viewport(), point);
    EXPECT_EQ(area().viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(area().viewport(), Qt::LeftButton, {}, point);
    EXPECT_EQ(report->ToggledGroups, QStringList{QStringLiteral("GroupHeader1.7")});
    // Prepared again from the template: the replaced page is an engine page again.
    EXPECT_EQ(shell->PreviewPages().Root()->childByName("previewpages")->item(0)->name(), "page0");
    EXPECT_EQ(pv().pageCount(), 4);
    EXPECT_FALSE(pv().locked());
    EXPECT_FALSE(pv().running());
}

TEST_F(ObjectMouseTest, AViewChangedByTheHostsClickHandlerIsStoredWithItsPage)
{
    QStringList seen;
    pv().OnMouseOverObject = [&](TfrxView& view) { seen << view.Name(); };
    pv().OnClickObject = [](TfrxView& view, Qt::MouseButton button, Qt::KeyboardModifiers) {
        auto* memo = dynamic_cast<TfrxMemoView*>(&view);
        if (!memo || button != Qt::LeftButton)
            return false;
        memo->SetText(QStringLiteral("已点"));
        return true;
    };
    QTest::mouseMove(area().viewport(), at(200));
    EXPECT_EQ(seen, QStringList{QStringLiteral("Cross")});
    QTest::mouseClick(area().viewport(), Qt::MiddleButton, {}, at(200));
    QTest::mouseClick(area().viewport(), Qt::LeftButton, {}, at(200));
    TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(0);
    auto* memo = dynamic_cast<TfrxMemoView*>(page->FindObject(QStringLiteral("Cross")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "已点");
}

namespace {

int itemCount(TfrxPreviewPages& pages)
{
    int items = 0;
    for (int i = 0; i < pages.PageCount(); ++i)
        for (TfrxComponent* c : pages.GetPreparedPage(i)->AllObjects())
            items += c->Name() == QLatin1StringView("Item") ? 1 : 0;
    return items;
}

} // namespace

TEST_F(PreviewTest, DrillDownGroupsOpenWithAClickAndAllTogetherFromThePopup)
{
    const QString folder = QStringLiteral(QMX_SOURCE_DIR "/tests/report/engine/templates/");
    auto items = makeCsvDataSet(QStringLiteral("Items"), folder + QStringLiteral("items.csv"));
    report = std::make_unique<TfrxReport>();
    ASSERT_TRUE(report->LoadFromFile(folder + QStringLiteral("drilldown_groups.xml")));
    report->DataSets().Add(report.get()).SetDataSet(items.get());
    report->EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
    shell = std::make_unique<ReportShell>(*report);
    ASSERT_TRUE(shell->PrepareReport(true));
    openWindow();
    ASSERT_EQ(itemCount(shell->PreviewPages()), 0); // the groups start closed

    QStringList entries;
    for (QAction* a : form->popupMenu()->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(entries.mid(0, 4), (QStringList{"Collapse all", "Expand all", "-", "打印"}));

    // A click on the first group's header opens that group only.
    TfrxReportPage* page = shell->PreviewPages().GetPreparedPage(0);
    TfrxComponent* header = nullptr;
    for (TfrxComponent* c : page->AllObjects())
        if (dynamic_cast<TfrxGroupHeader*>(c) && !header)
            header = c;
    ASSERT_NE(header, nullptr);
    const QString key = header->Name() + u'.' + QString::number(header->Tag);
    const QPointF inside(page->LeftMargin * fr01cm + header->AbsLeft() + 5, page->TopMargin * fr01cm + header->AbsTop() + 5);
    const QPoint at = area().pageList().item(0).rect().translated(-area().scrollPos()).topLeft()
                      + (inside * pv().zoom()).toPoint();
    QTest::mouseClick(area().viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(report->ToggledGroups, QStringList{key});
    const int opened = itemCount(shell->PreviewPages());
    EXPECT_GT(opened, 0);

    form->popupMenu()->actions()[1]->trigger(); // Expand all
    EXPECT_TRUE(report->ToggledGroups.isEmpty());
    EXPECT_GT(itemCount(shell->PreviewPages()), opened);
    form->popupMenu()->actions()[0]->trigger(); // Collapse all
    EXPECT_EQ(itemCount(shell->PreviewPages()), 0);
    form.reset();
}
