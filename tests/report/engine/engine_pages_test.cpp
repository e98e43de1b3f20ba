// Pages of the band engine: where bands land, when pages break, what headers and footers
// repeat, page and line numbers, and empty data. After a preparation the template has
// been reloaded, so band pointers taken before it are not used again.
#include "engine_fixture.h"

using namespace enginetest;

namespace {

// Page header 100, rows 50, page footer 60 high: 19 rows of 50 fill the 971.3 - 160 units.
class PageTest : public EngineTest {
protected:
    PageTest()
    {
        header = band<TfrxPageHeader>(QStringLiteral("PageHeader1"), 0, 100);
        header->PrintOnFirstPage = true;
        memo(header, QStringLiteral("PageNo"), QStringLiteral("[Page#]"));
        data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 50);
        memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]/[Line#]"));
        footer = band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 400, 60);
        footer->PrintOnFirstPage = footer->PrintOnLastPage = true;
        memo(footer, QStringLiteral("Total"), QStringLiteral("[Page#] of [TotalPages#]"));
    }
    TfrxPageHeader* header;
    TfrxMasterData* data;
    TfrxPageFooter* footer;
};

TEST_F(PageTest, RowsFillThePageAboveTheFooterAndHeadersRepeat)
{
    setRowCount(40);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 3u);
    // (971.3 - 60 - 100) / 50 = 16.2 rows on each page.
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")).size(), 16);
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("MasterData1")).size(), 16);
    EXPECT_EQ(textsOf(pages[2], QStringLiteral("MasterData1")).size(), 8);
    for (const PageLayout& p : pages) {
        EXPECT_EQ(p.front().name, QStringLiteral("PageHeader1"));
        EXPECT_DOUBLE_EQ(p.front().top, 0);
        const Placed* f = find(p, QStringLiteral("PageFooter1"));
        ASSERT_NE(f, nullptr);
        EXPECT_NEAR(f->top, kPageHeight - 60, 1e-6);
    }
    const Placed* second = &pages[0][2];
    EXPECT_DOUBLE_EQ(second->top, 150);
    // Page# in the header of page 3, Line# going on across the pages, the total filled in
    // when pages are drawn.
    EXPECT_EQ(textsOf(pages[2], QStringLiteral("PageHeader1")), QStringList{QStringLiteral("3")});
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("MasterData1")).front(), QStringLiteral("17/17"));
    EXPECT_EQ(textsOf(pages[2], QStringLiteral("MasterData1")).back(), QStringLiteral("40/40"));
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("PageFooter1")), QStringList{QStringLiteral("2 of [TotalPages#]")});
}

TEST_F(PageTest, ABandExactlyAsHighAsTheFreeSpaceFits)
{
    // 16 rows leave 971.33921 - 60 - 100 - 800 = 11.33921 units.
    auto* last = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 600, kPageHeight - 60 - 100 - 16 * 50);
    memo(last, QStringLiteral("Sum"), QStringLiteral("end"), 0, 5);
    setRowCount(16);
    ASSERT_TRUE(prepare());
    auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_NEAR(find(pages[0], QStringLiteral("ReportSummary1"))->top, 900, 1e-6);

    // A little higher and it goes to a page of its own, with the page header.
    auto* summary = static_cast<TfrxBand*>(report.FindObject(QStringLiteral("ReportSummary1")));
    summary->SetHeight(summary->Height() + 0.01);
    ASSERT_TRUE(prepare());
    pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(names(pages[1]), (QStringList{QStringLiteral("PageHeader1"), QStringLiteral("ReportSummary1"),
                                            QStringLiteral("PageFooter1")}));
}

TEST_F(PageTest, AFooterLeftOutOfTheFirstPageStillTakesItsRoom)
{
    footer->PrintOnFirstPage = false;
    header->PrintOnFirstPage = false;
    setRowCount(20);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(find(pages[0], QStringLiteral("PageFooter1")), nullptr);
    EXPECT_EQ(find(pages[0], QStringLiteral("PageHeader1")), nullptr);
    ASSERT_NE(find(pages[1], QStringLiteral("PageFooter1")), nullptr);
    // Without the header the first page starts at 0, and the footer's 60 units stay free.
    EXPECT_DOUBLE_EQ(pages[0].front().top, 0);
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")).size(), 18); // (971.3 - 60) / 50
}

TEST_F(PageTest, StartNewPageBreaksBeforeEveryRowButTheFirst)
{
    data->StartNewPage = true;
    setRowCount(3);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(textsOf(pages[size_t(i)], QStringLiteral("MasterData1")), QStringList{QStringLiteral("%1/%1").arg(i + 1)});
        EXPECT_DOUBLE_EQ(find(pages[size_t(i)], QStringLiteral("MasterData1"))->top, 100);
    }
}

TEST_F(PageTest, EmptyDataPrintsOnePageUnlessPrintIfEmptyIsOff)
{
    auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 600, 40);
    memo(summary, QStringLiteral("Sum"), QStringLiteral("[SUM(<ds.\"V\">)]"));
    setRowCount(0);
    ASSERT_TRUE(prepare());
    auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(names(pages[0]), (QStringList{QStringLiteral("PageHeader1"), QStringLiteral("ReportSummary1"),
                                            QStringLiteral("PageFooter1")}));
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("ReportSummary1")), QStringList{QStringLiteral("0")});

    report.EngineOptions().PrintIfEmpty = false;
    ASSERT_TRUE(prepare());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 0);
}

TEST_F(PageTest, APageWithoutDataBandsNeedsPrintIfEmpty)
{
    delete data;
    report.EngineOptions().PrintIfEmpty = false;
    ASSERT_TRUE(prepare());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 0);
    report.EngineOptions().PrintIfEmpty = true;
    ASSERT_TRUE(prepare());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 1);
}

TEST_F(PageTest, AHeaderWithReprintOnNewPageFollowsItsDataBandOntoEveryPage)
{
    auto* columns = band<TfrxHeader>(QStringLiteral("Header1"), 150, 30);
    memo(columns, QStringLiteral("Caption"), QStringLiteral("N"));
    setRowCount(40);
    ASSERT_TRUE(prepare());
    auto pages = layout();
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("Header1")).size(), 1);
    EXPECT_TRUE(textsOf(pages[1], QStringLiteral("Header1")).isEmpty());

    static_cast<TfrxHeader*>(report.FindObject(QStringLiteral("Header1")))->ReprintOnNewPage = true;
    ASSERT_TRUE(prepare());
    pages = layout();
    for (const PageLayout& p : pages) {
        ASSERT_GE(p.size(), 3u);
        EXPECT_EQ(p[1].name, QStringLiteral("Header1"));
        EXPECT_DOUBLE_EQ(p[1].top, 100);
        EXPECT_DOUBLE_EQ(p[2].top, 130);
    }
}

TEST_F(PageTest, DoublePassGivesTheTotalToExpressions)
{
    memo(footer, QStringLiteral("Computed"), QStringLiteral("[<TotalPages#>]"), 20);
    setRowCount(40);
    ASSERT_TRUE(prepare());
    auto pages = layout();
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(find(pages[0], QStringLiteral("PageFooter1"))->texts.value(1), QStringLiteral("0"));

    report.EngineOptions().DoublePass = true;
    ASSERT_TRUE(prepare());
    pages = layout();
    ASSERT_EQ(pages.size(), 3u);
    for (const PageLayout& p : pages)
        EXPECT_EQ(find(p, QStringLiteral("PageFooter1"))->texts.value(1), QStringLiteral("3"));
}

TEST_F(PageTest, TerminatedFromABandEventStopsAfterThatRow)
{
    setRowCount(40);
    shell.Hooks().OnBeforePrint = [this](TfrxComponent& c) {
        if (c.Name() == QStringLiteral("Row") && rows.size() > 0 && ds.RecNo == 4)
            report.Terminated = true;
    };
    EXPECT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")).size(), 5);
    // The page is still ended with its footer.
    EXPECT_NE(find(pages[0], QStringLiteral("PageFooter1")), nullptr);
}

TEST_F(PageTest, TitleOnceAndSummaryAfterTheLastRow)
{
    auto* title = band<TfrxReportTitle>(QStringLiteral("ReportTitle1"), 120, 40);
    memo(title, QStringLiteral("T"), QStringLiteral("title"));
    auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 600, 40);
    memo(summary, QStringLiteral("Sum"), QStringLiteral("[SUM(<ds.\"V\">)] [COUNT()]"));
    setRowCount(20);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    // The title comes before the page header (TitleBeforeHeader), on the first page only.
    EXPECT_EQ(names(pages[0]).mid(0, 2), (QStringList{QStringLiteral("ReportTitle1"), QStringLiteral("PageHeader1")}));
    EXPECT_EQ(find(pages[1], QStringLiteral("ReportTitle1")), nullptr);
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("ReportSummary1")), QStringList{QStringLiteral("2100 20")});
    // The summary directly follows the last row.
    const Placed* s = find(pages[1], QStringLiteral("ReportSummary1"));
    EXPECT_DOUBLE_EQ(s->top, 100 + 5 * 50);
}

} // namespace

namespace {

TEST_F(PageTest, ViewsPlacedOnThePageGoOutOnceWhereTheyStand)
{
    auto* stamp = new TfrxMemoView(page);
    stamp->SetName(QStringLiteral("Stamp"));
    stamp->SetBounds(10, 500, 80, 20);
    stamp->SetText(QStringLiteral("[Page#]"));
    page->SetChildIndex(stamp, 0);
    setRowCount(40);
    report.EngineOptions().DestroyForms = false; // the page's children come back in their order
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 3u);
    // They go out through a band of their own (without a name), on the first page only.
    const auto carriers = [](const PageLayout& p) { return textsOf(p, QString()); };
    EXPECT_EQ(carriers(pages[0]), QStringList{QStringLiteral("1")});
    EXPECT_TRUE(carriers(pages[1]).isEmpty());
    EXPECT_TRUE(carriers(pages[2]).isEmpty());
    EXPECT_EQ(page->Objects().front(), stamp);
    EXPECT_DOUBLE_EQ(stamp->Top(), 500);
    // The rows start below the page header as on any page.
    EXPECT_DOUBLE_EQ(find(pages[0], QStringLiteral("MasterData1"))->top, 100);
}

} // namespace
