// Keep blocks, multi-column data bands, page columns and the outline: where the bands land,
// what moves together, and the outline's items with their pages and tops.
#include "engine_fixture.h"

#include "report/pages/outline_text.h"

using namespace enginetest;

namespace {

QStringList numbers(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

class KeepTest : public EngineTest {
protected:
    // Groups of `groupSize` rows: header 30, rows 50, footer 30 with the group's sum; the
    // page footer (60) sums the rows of its page.
    void build(int groupSize, int count)
    {
        auto* footer = band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 500, 60);
        footer->PrintOnFirstPage = footer->PrintOnLastPage = true;
        memo(footer, QStringLiteral("PageSum"), QStringLiteral("[SUM(<ds.\"V\">)]"));
        group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 30);
        group->Condition = QStringLiteral("<ds.\"G\">");
        group->KeepTogether = true;
        memo(group, QStringLiteral("GH"), QStringLiteral("[ds.\"G\"]"));
        auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 50);
        memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
        auto* gf = band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 300, 30);
        memo(gf, QStringLiteral("GF"), QStringLiteral("[SUM(<ds.\"V\">)]"));
        setRowCount(count, groupSize);
    }
    TfrxGroupHeader* group = nullptr;
};

TEST_F(KeepTest, AGroupThatDoesNotFitMovesWholeToTheNextPageWithItsSums)
{
    // Each group is 310 high; the third starts at 620 and would cross 911.34.
    build(5, 15);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("GroupHeader1")), (QStringList{"A", "B"}));
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")), numbers(1, 10));
    const Placed* moved = find(pages[1], QStringLiteral("GroupHeader1"));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->texts, QStringList{"C"});
    EXPECT_DOUBLE_EQ(moved->top, 0);
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("MasterData1")), numbers(11, 15));
    EXPECT_DOUBLE_EQ(pages[1][1].top, 30);
    // Sums of the groups, and of the rows each page really holds.
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupFooter1")), (QStringList{"150", "400", "650"}));
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("PageFooter1")), QStringList{"550"});
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("PageFooter1")), QStringList{"650"});
}

TEST_F(KeepTest, ABlockLargerThanAPageGoesOnAcrossPagesWithNothingLost)
{
    // Group A (3 rows) fits; group B (37 rows, 1910 high) moves once and then continues.
    build(1000, 40);
    for (int i = 0; i < 3; ++i)
        rows[std::size_t(i)][QStringLiteral("G")] = QStringLiteral("0");
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")), numbers(1, 3));
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("GroupHeader1")), QStringList{"A"});
    EXPECT_DOUBLE_EQ(pages[1].front().top, 0);
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("MasterData1")), numbers(4, 20));
    EXPECT_EQ(allTexts(pages, QStringLiteral("MasterData1")), numbers(1, 40));
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupFooter1")), (QStringList{"60", "8140"}));
}

TEST_F(EngineTest, AFooterKeptWithTheLastRowTakesTheRowAndItsValueAlong)
{
    auto* pageFooter = band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 500, 60);
    pageFooter->PrintOnFirstPage = pageFooter->PrintOnLastPage = true;
    memo(pageFooter, QStringLiteral("PageSum"), QStringLiteral("[SUM(<ds.\"V\">)]"));
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 50);
    data->KeepFooter = true;
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    auto* footer = band<TfrxFooter>(QStringLiteral("Footer1"), 200, 100);
    memo(footer, QStringLiteral("Total"), QStringLiteral("[SUM(<ds.\"V\">)]"));
    // 18 rows fill 900 of 911.34; the footer (100) does not fit and takes row 18 along.
    setRowCount(18);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")), numbers(1, 17));
    EXPECT_EQ(names(pages[1]), (QStringList{"MasterData1", "Footer1", "PageFooter1"}));
    EXPECT_EQ(pages[1][0].texts, QStringList{"18"});
    EXPECT_DOUBLE_EQ(pages[1][0].top, 0);
    EXPECT_DOUBLE_EQ(pages[1][1].top, 50);
    EXPECT_EQ(pages[1][1].texts, QStringList{"1710"});
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("PageFooter1")), QStringList{"1530"});
    EXPECT_EQ(textsOf(pages[1], QStringLiteral("PageFooter1")), QStringList{"180"});
}

TEST_F(KeepTest, AKeptRowTallerThanAnEmptyPageEndsWithOnePageARow)
{
    build(1000, 3);
    static_cast<TfrxBand*>(report.FindObject(QStringLiteral("MasterData1")))->SetHeight(2 * kPageHeight);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_LE(pages.size(), 5u);
    EXPECT_EQ(allTexts(pages, QStringLiteral("MasterData1")), numbers(1, 3));
}

TEST_F(EngineTest, AMultiColumnBandFillsAcrossThenDownAndMovesAWholeRowOfColumns)
{
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 50);
    data->Columns = 3;
    data->ColumnWidth = 200;
    data->ColumnGap = 10;
    data->SetWidth(200);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 300, 20);
    memo(summary, QStringLiteral("Sum"), QStringLiteral("[COUNT()]"));
    // 19 rows of columns fit 971.34; the 20th (rows 58 to 60) moves to page 2.
    setRowCount(61);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& prepared = shell.PreviewPages();
    ASSERT_EQ(prepared.PageCount(), 2);
    const QList<TfrxComponent*> first = prepared.GetPreparedPage(0)->Objects();
    ASSERT_EQ(first.size(), 57);
    for (int i = 0; i < 6; ++i) {
        EXPECT_DOUBLE_EQ(first[i]->Left(), (i % 3) * 210.0) << i;
        EXPECT_DOUBLE_EQ(first[i]->Top(), (i / 3) * 50.0) << i;
    }
    const QList<TfrxComponent*> second = prepared.GetPreparedPage(1)->Objects();
    ASSERT_EQ(second.size(), 5);
    const QStringList texts = textsOf(layout()[1], QStringLiteral("MasterData1"));
    EXPECT_EQ(texts, numbers(58, 61));
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(second[i]->Top(), 0);
        EXPECT_DOUBLE_EQ(second[i]->Left(), i * 210.0);
    }
    // Row 61 starts a row of columns of its own; the summary comes below it.
    EXPECT_DOUBLE_EQ(second[3]->Top(), 50);
    EXPECT_DOUBLE_EQ(second[3]->Left(), 0);
    EXPECT_EQ(second[4]->Name(), QStringLiteral("ReportSummary1"));
    EXPECT_DOUBLE_EQ(second[4]->Top(), 100);
}

TEST_F(EngineTest, ThreePageColumnsFillDownThenAcross)
{
    page->SetColumns(3);
    auto* header = band<TfrxColumnHeader>(QStringLiteral("ColumnHeader1"), 0, 20);
    memo(header, QStringLiteral("CH"), QStringLiteral("head"));
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 50);
    data->SetWidth(page->ColumnWidth * fr01cm);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    // (971.34 - 20) / 50: 19 rows in each column.
    setRowCount(60);
    const QStringList positions = page->ColumnPositions;
    ASSERT_EQ(positions.size(), 3);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& prepared = shell.PreviewPages();
    ASSERT_EQ(prepared.PageCount(), 2);
    QList<double> lefts;
    QStringList rowTexts;
    for (TfrxComponent* c : prepared.GetPreparedPage(0)->Objects())
        if (c->Name() == QStringLiteral("MasterData1"))
            lefts << c->Left();
    for (int column = 0; column < 3; ++column) {
        const double x = positions[column].toDouble() * fr01cm;
        for (int i = 0; i < 19; ++i)
            EXPECT_NEAR(lefts[column * 19 + i], x, 1e-6) << column << ' ' << i;
    }
    EXPECT_EQ(textsOf(layout()[0], QStringLiteral("MasterData1")), numbers(1, 57));
    EXPECT_EQ(textsOf(layout()[1], QStringLiteral("MasterData1")), numbers(58, 60));
    // The column header stands above every column.
    EXPECT_EQ(textsOf(layout()[0], QStringLiteral("ColumnHeader1")).size(), 3);
}

TEST_F(EngineTest, TheOutlineNestsRowsUnderGroupsAndDetailsUnderRowsWithTheirPages)
{
    page->OutlineText = QStringLiteral("'Page ' + IntToStr(<Page#>)");
    auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 100);
    group->Condition = QStringLiteral("<ds.\"G\">");
    group->OutlineText = QStringLiteral("'Group ' + <ds.\"G\">");
    auto* master = band<TfrxMasterData>(QStringLiteral("MasterData1"), 250, 100);
    master->OutlineText = QStringLiteral("<ds.\"N\">");
    auto* detail = band<TfrxDetailData>(QStringLiteral("DetailData1"), 400, 100);
    detail->SetDataSet(nullptr);
    detail->SetRowCount(2);
    detail->OutlineText = QStringLiteral("'d' + IntToStr(<Line>)");
    auto* gf = band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 550, 20);
    (void)gf;
    setRowCount(4, 2);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    // Group A 100 + row 1 (100) + 2 details (200) + row 2 with details (300) + footer 20 =
    // 720; group B's header at 720, row 3 at 820 and its first detail does not fit.
    const QStringList expected{
        "Page 1 (page 1, y 0)",
        "  Group A (page 1, y 0)",
        "    1 (page 1, y 100)",
        "      d1 (page 1, y 200)",
        "      d2 (page 1, y 300)",
        "    2 (page 1, y 400)",
        "      d1 (page 1, y 500)",
        "      d2 (page 1, y 600)",
        "  Group B (page 1, y 720)",
        "    3 (page 1, y 820)",
        // The page item takes the items after the break; row 3's level-up leaves it.
        "Page 2 (page 2, y 0)",
        "  d1 (page 2, y 0)",
        "  d2 (page 2, y 100)",
        "4 (page 2, y 200)",
        "  d1 (page 2, y 300)",
        "  d2 (page 2, y 400)",
    };
    EXPECT_EQ(outlineLines(shell.PreviewPages()), expected) << outlineLines(shell.PreviewPages()).join(u'\n').toStdString();
}

TEST_F(EngineTest, WithoutAPageItemTheOutlineKeepsItsNestingAcrossPageBreaks)
{
    auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 100);
    group->Condition = QStringLiteral("<ds.\"G\">");
    group->OutlineText = QStringLiteral("<ds.\"G\">");
    auto* master = band<TfrxMasterData>(QStringLiteral("MasterData1"), 250, 300);
    master->OutlineText = QStringLiteral("<ds.\"N\">");
    band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 600, 20);
    setRowCount(4, 3);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const QStringList expected{
        "A (page 1, y 0)", "  1 (page 1, y 100)", "  2 (page 1, y 400)", "  3 (page 2, y 0)",
        "B (page 2, y 320)", "  4 (page 2, y 420)",
    };
    EXPECT_EQ(outlineLines(shell.PreviewPages()), expected) << outlineLines(shell.PreviewPages()).join(u'\n').toStdString();
}

TEST_F(KeepTest, TheOutlineItemsAndAnchorsOfAMovedBlockMoveWithIt)
{
    build(5, 15);
    group->OutlineText = QStringLiteral("<ds.\"G\">");
    // An anchor at each group header, as a script's AddAnchor would make it.
    int groups = 0;
    shell.Hooks().OnBeforePrint = [&](TfrxComponent& c) {
        if (c.Name() == QStringLiteral("GroupHeader1"))
            shell.PreviewPages().AddAnchorRecord(QString(QChar(u'A' + groups++)));
    };
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    EXPECT_EQ(outlineLines(shell.PreviewPages()),
              (QStringList{"A (page 1, y 0)", "B (page 1, y 310)", "C (page 2, y 0)"}));
    EXPECT_EQ(shell.PreviewPages().FindAnchorPage(QStringLiteral("B")), 1);
    EXPECT_EQ(shell.PreviewPages().FindAnchorPage(QStringLiteral("C")), 2);
}

} // namespace
