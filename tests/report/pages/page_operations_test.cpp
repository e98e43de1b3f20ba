// Page operations of the store: empty store, page insertion and removal, cut and paste,
// anchors and outline, passes and logical page numbers, the page cache.
#include "pages_fixture.h"

using namespace pages_test;

namespace {

TEST(PageOperations, EmptyStoreAndTheLastPage)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    EXPECT_EQ(pages.PageCount(), 0);
    EXPECT_EQ(pages.GetPreparedPage(0), nullptr);
    EXPECT_EQ(pages.GetPreparedPageSize(0), QSize(0, 0));
    pages.RemovePage(0);
    pages.InsertEmptyPage(0);
    EXPECT_EQ(pages.PageCount(), 0);

    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("only"));
    e.finish();
    pages.RemovePage(0);
    ASSERT_EQ(pages.PageCount(), 1);
    EXPECT_EQ(pages.GetPreparedPageSize(0), QSize(794, 1123)); // A4 at 96 dpi
    EXPECT_EQ(pages.GetPreparedPageSize(1), QSize(0, 0));
    EXPECT_EQ(pages.GetPreparedPageSize(-1), QSize(0, 0));

    pages.InsertEmptyPage(0);
    ASSERT_EQ(pages.PageCount(), 2);
    EXPECT_EQ(pageElement(pages, 0)->name(), "page0");
    EXPECT_EQ(pageElement(pages, 0)->count(), 0);
    pages.RemovePage(0);
    ASSERT_EQ(pages.PageCount(), 1);
    EXPECT_EQ(pageElement(pages, 0)->count(), 1);
}

TEST(PageOperations, EndlessPagesTakeTheirPreparedSize)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("x"));
    pages.SetPreparedPageSize(*t.page, 500, 2000);
    e.finish();
    EXPECT_EQ(pages.GetPreparedPageSize(0), QSize(500, 2000));
    EXPECT_EQ(qRound(pages.GetPreparedPage(0)->PaperHeight() * fr01cm), 2000);
}

TEST(PageOperations, CutObjectsKeepTheirDistancesWhenPasted)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("stays"));
    EXPECT_EQ(pages.CurrentObjectCount(), 1);
    t.band->SetLeft(0); // equal to the template: no " l" stored
    e.row(150, QStringLiteral("first cut"));
    t.band->SetLeft(40);
    e.row(190, QStringLiteral("second cut"));
    EXPECT_EQ(pages.CutObjectsFrom(1), 1);
    EXPECT_EQ(pages.CurrentObjectCount(), 1);
    e.newPage();
    pages.PasteCutObjects(20, 30);
    EXPECT_EQ(pages.CurrentObjectCount(), 2);
    EXPECT_EQ(pages.Root()->findChild("cutted"), -1);
    // Nothing to paste: nothing changes.
    pages.PasteCutObjects(0, 0);
    EXPECT_EQ(pages.CurrentObjectCount(), 2);
    e.finish();

    TfrxReportPage* page = pages.GetPreparedPage(1);
    ASSERT_EQ(page->Objects().size(), 2);
    const TfrxComponent* first = page->Objects()[0];
    const TfrxComponent* second = page->Objects()[1];
    EXPECT_DOUBLE_EQ(first->Left(), 20);
    EXPECT_DOUBLE_EQ(first->Top(), 30);
    EXPECT_DOUBLE_EQ(second->Left() - first->Left(), 40);
    EXPECT_DOUBLE_EQ(second->Top() - first->Top(), 40);
}

TEST(PageOperations, BandsOnThePageAndTheirLowestBottom)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    EXPECT_DOUBLE_EQ(pages.LowestBandBottom(), 0);
    EXPECT_FALSE(pages.PageHasBand(*t.band));
    e.row(100, QStringLiteral("a"));
    t.band->SetHeight(35); // stored as " h"
    e.row(200, QStringLiteral("b"));
    t.footer->SetTop(1000);
    pages.AppendObject(*t.footer);
    EXPECT_TRUE(pages.PageHasBand(*t.band));
    EXPECT_DOUBLE_EQ(pages.LowestBandBottom(), 235); // the page footer does not count
    TfrxPageFooter otherFooter(t.page);
    EXPECT_TRUE(pages.PageHasBand(otherFooter));
    e.finish();
}

TEST(PageOperations, AnchorsAndOutline)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    EXPECT_EQ(pages.FindAnchorPage(QStringLiteral("nowhere")), 1);
    EXPECT_EQ(pages.LastAnchorIndex(), -1);
    e.newPage();
    pages.Engine().CurY = 40.6;
    pages.AddAnchorRecord(QStringLiteral("Total"));
    e.newPage();
    e.newPage();
    pages.Engine().CurY = 10;
    pages.AddAnchorRecord(QStringLiteral("total"));
    pages.AddAnchorRecord(QStringLiteral("Other"));
    EXPECT_EQ(pages.FindAnchorPage(QStringLiteral("TOTAL")), 3);
    EXPECT_EQ(pages.FindAnchorPage(QStringLiteral("unknown")), 1);
    EXPECT_EQ(pages.LastAnchorIndex(), 2);
    const TfrxXMLItem* anchors = pages.Root()->childByName("anchors");
    EXPECT_EQ(anchors->item(0)->getAttr("top"), "41");
    pages.MoveAnchorsToNextPage(0, 5);
    EXPECT_EQ(anchors->item(1)->getAttr("page"), "3");
    EXPECT_EQ(anchors->item(1)->getAttr("top"), "5");
    EXPECT_EQ(anchors->item(2)->getAttr("top"), "5");
    EXPECT_EQ(anchors->item(0)->getAttr("page"), "0");

    TfrxOutline& outline = pages.Outline();
    EXPECT_EQ(outline.ItemCount(), 0);
    outline.LevelRoot();
    outline.AddItem(QStringLiteral("Group A"), 100);
    outline.AddItem(QStringLiteral("Line 1"), 120);
    outline.LevelUp();
    outline.LevelUp();
    outline.LevelUp(); // stays at the root
    outline.AddItem(QStringLiteral("Group B"), 300);
    outline.AddItem(QStringLiteral("Line 2"), 320);
    outline.LevelRoot();
    EXPECT_EQ(outline.ItemCount(), 2);
    TfrxXMLItem* groupA = outline.LastItem()->parent()->item(0);
    outline.MoveItemsToNextPage(groupA, 7);
    QString text;
    int page = -1, top = -1;
    outline.ReadItem(1, text, page, top);
    EXPECT_EQ(text, "Group B");
    EXPECT_EQ(page, 3);
    EXPECT_EQ(top, 7);
    outline.OpenItem(1);
    outline.ReadItem(0, text, page, top);
    EXPECT_EQ(page, 3);
    EXPECT_EQ(top, 27);
    outline.ReadItem(5, text, page, top); // out of range: untouched
    EXPECT_EQ(text, "Line 2");
    e.finish();
}

TEST(PageOperations, LogicalPageNumbersAcrossAPageGroupAndTwoPasses)
{
    Template t;
    t.report.EngineOptions().DoublePass = true;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    pages.MarkPassStart(); // no page yet
    e.newPage();
    e.row(100, QStringLiteral("a"));
    e.newPage();
    e.newPage();
    pages.CloseLogicalPageGroup(); // a group restarts the numbering
    e.newPage();
    e.newPage();
    pages.CloseLogicalPageGroup();
    EXPECT_EQ(pages.LogicalPageNumber(), 2);
    EXPECT_EQ(pages.LogicalPageTotal(), 2);

    // The final pass starts from scratch and keeps the numbers of the first pass.
    pages.RewindToPassStart();
    EXPECT_EQ(pages.PageCount(), 0);
    EXPECT_EQ(pages.CurPage(), -1);
    pages.Engine().FinalPass = true;
    for (int i = 0; i < 5; ++i)
        e.newPage();
    const TfrxXMLItem* numbers = pages.Root()->childByName("logicalpagenumbers");
    ASSERT_EQ(numbers->count(), 5);
    const char* expected[][2] = {{"1", "3"}, {"2", "3"}, {"3", "3"}, {"1", "2"}, {"2", "2"}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(numbers->item(i)->getAttr("n"), expected[i][0]) << i;
        EXPECT_EQ(numbers->item(i)->getAttr("t"), expected[i][1]) << i;
    }
    EXPECT_EQ(pages.LogicalPageNumber(), 2);
    e.finish();
}

TEST(PageOperations, RewindingKeepsWhatCameBeforeThePassStart)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("earlier report"));
    pages.MarkPassStart();
    e.row(120, QStringLiteral("pass"));
    e.newPage();
    e.row(100, QStringLiteral("pass, page 2"));
    pages.RewindToPassStart();
    EXPECT_EQ(pages.PageCount(), 1);
    EXPECT_EQ(pages.CurPage(), 0);
    EXPECT_EQ(pages.CurrentObjectCount(), 1);
    EXPECT_EQ(pages.MemoryEstimate(), 0);
    // The overwrite mode lets the next pass write over the page instead of adding one.
    e.row(120, QStringLiteral("again"));
    EXPECT_EQ(pages.CurrentObjectCount(), 2);
    e.finish();
}

TEST(PageOperations, PageCacheHoldsFiftyPagesMostRecentFirst)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    for (int i = 0; i < 52; ++i) {
        e.newPage();
        e.row(100, QString::number(i));
    }
    e.finish();
    TfrxReportPage* first = pages.GetPreparedPage(0);
    EXPECT_EQ(pages.GetPreparedPage(0), first); // from the cache
    for (int i = 1; i <= 50; ++i)
        pages.GetPreparedPage(i);
    EXPECT_EQ(pages.CachedPageCount(), 50);
    // Page 0 dropped out; asking for it rebuilds it.
    TfrxReportPage* again = pages.GetPreparedPage(0);
    ASSERT_NE(again, nullptr);
    auto* memo = dynamic_cast<TfrxMemoView*>(again->FindObject(QStringLiteral("Memo1")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "0");

    // A page found in the cache moves to the front and is not the next to go.
    TfrxReportPage* page2 = pages.GetPreparedPage(2); // page 1 is now the oldest
    pages.GetPreparedPage(51);                         // drops page 1
    EXPECT_EQ(pages.GetPreparedPage(2), page2);
    const int before = pages.CachedPageCount();
    pages.RemovePage(51);
    EXPECT_EQ(before, 50);
    EXPECT_EQ(pages.CachedPageCount(), 0);
}

TEST(PageOperations, ReplacedAndAppendedPagesAreStoredInFull)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("one"));
    e.row(120, QStringLiteral("two"));
    e.newPage();
    e.row(100, QStringLiteral("three"));
    e.finish();

    TfrxReportPage edited;
    edited.AssignAll(*pages.GetPreparedPage(1));
    auto* memo = dynamic_cast<TfrxMemoView*>(edited.FindObject(QStringLiteral("Memo1")));
    memo->SetText(QStringLiteral("edited"));
    pages.ReplacePage(1, edited);
    EXPECT_EQ(pageElement(pages, 1)->name(), "TfrxReportPage");
    EXPECT_FALSE(pageElement(pages, 1)->unloadable());
    memo = dynamic_cast<TfrxMemoView*>(pages.GetPreparedPage(1)->FindObject(QStringLiteral("Memo1")));
    EXPECT_EQ(memo->Text(), "edited");

    TfrxReport other;
    TfrxPreviewPages target(other);
    target.AppendPagesFrom(pages);
    ASSERT_EQ(target.PageCount(), 2);
    // Objects that share their source's name all come back.
    TfrxReportPage* copied = target.GetPreparedPage(0);
    ASSERT_EQ(copied->Objects().size(), 2);
    auto* second = dynamic_cast<TfrxMemoView*>(copied->Objects()[1]->Objects()[0]);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->Text(), "two");
    EXPECT_DOUBLE_EQ(copied->Objects()[1]->Top(), 120);
}

} // namespace
