// Splitting bands, endless pages, a page printed on the previous one, subreports, vertical
// bands and drill-down groups; and templates that could never fit, which must end.
#include "engine_fixture.h"

#include "report/model/frx_font.h"

using namespace enginetest;

namespace {

// The views of the prepared band `index` on page `pageIndex`, by name.
const TfrxComponent* child(TfrxPreviewPages& pages, int pageIndex, int index, const QString& name)
{
    const TfrxComponent* band = pages.GetPreparedPage(pageIndex)->Objects().value(index);
    if (!band)
        return nullptr;
    for (TfrxComponent* c : band->Objects())
        if (c->Name() == name)
            return c;
    return nullptr;
}

QString longText()
{
    QString text;
    for (int i = 1; text.size() < 600; ++i)
        text += QStringLiteral("word%1 ").arg(i);
    return text.left(600).trimmed();
}

class SplitTest : public EngineTest {
protected:
    // A title of `titleHeight`, then one row whose long text cannot fit below it.
    void build(double titleHeight)
    {
        auto* title = band<TfrxReportTitle>(QStringLiteral("ReportTitle1"), 0, titleHeight);
        memo(title, QStringLiteral("T"), QStringLiteral("title"));
        data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 60);
        data->AllowSplit = true;
        data->Stretched = true;
        text = memo(data, QStringLiteral("Text"), longText(), 0, 40);
        text->StretchMode = TfrxStretchMode::smActualHeight;
        memo(data, QStringLiteral("Below"), QStringLiteral("below"), 42, 18);
        auto* bottom = memo(data, QStringLiteral("Bottom"), QStringLiteral("bottom"), 0, 10);
        bottom->SetLeft(300);
        bottom->Align = TfrxAlign::baBottom;
        setRowCount(1);
    }
    TfrxMasterData* data = nullptr;
    TfrxMemoView* text = nullptr;
};

TEST_F(SplitTest, ALongTextSplitsOverTwoPagesWithNothingLostOrPrintedTwice)
{
    build(kPageHeight - 150);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& pages = shell.PreviewPages();
    ASSERT_EQ(pages.PageCount(), 2);
    const auto* first = child(pages, 0, 1, QStringLiteral("Text"));
    const auto* second = child(pages, 1, 0, QStringLiteral("Text"));
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    const QString a = static_cast<const TfrxMemoView*>(first)->Text().trimmed();
    const QString b = static_cast<const TfrxMemoView*>(second)->Text().trimmed();
    EXPECT_FALSE(a.isEmpty());
    EXPECT_FALSE(b.isEmpty());
    EXPECT_EQ((a + u' ' + b).simplified(), longText().simplified());
    // The first piece fills the free space at most; the rest starts page 2.
    const TfrxComponent* piece = pages.GetPreparedPage(0)->Objects()[1];
    EXPECT_NEAR(piece->Top(), kPageHeight - 150, 1e-6);
    EXPECT_LE(piece->Height(), 150 + 1e-6);
    const TfrxComponent* rest = pages.GetPreparedPage(1)->Objects()[0];
    EXPECT_DOUBLE_EQ(rest->Top(), 0);
    // What stood below the text follows its last part; the bottom-aligned object is on
    // the last piece at the band's bottom.
    EXPECT_EQ(child(pages, 0, 1, QStringLiteral("Below")), nullptr);
    const auto* below = child(pages, 1, 0, QStringLiteral("Below"));
    ASSERT_NE(below, nullptr);
    EXPECT_GE(below->Top(), second->Top() + second->Height() - 1e-6);
    const auto* bottom = child(pages, 1, 0, QStringLiteral("Bottom"));
    ASSERT_NE(bottom, nullptr);
    EXPECT_NEAR(bottom->Top() + bottom->Height(), rest->Height(), 1e-6);
    EXPECT_EQ(child(pages, 0, 1, QStringLiteral("Bottom")), nullptr);
}

TEST_F(SplitTest, ObjectsTallerThanAnEmptyPageStillEnd)
{
    build(kPageHeight - 150);
    auto* block = new TfrxShapeView(data);
    block->SetName(QStringLiteral("Block"));
    block->SetBounds(500, 0, 50, 2.5 * kPageHeight);
    auto* huge = memo(data, QStringLiteral("Huge"), QStringLiteral("X"), 0, 20);
    huge->SetLeft(600);
    huge->StretchMode = TfrxStretchMode::smActualHeight;
    huge->Font().SetHeight(-int(2 * kPageHeight)); // one line taller than a page
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const int count = shell.PreviewPages().PageCount();
    EXPECT_GE(count, 2);
    EXPECT_LE(count, 5);
}

TEST_F(EngineTest, AnEndlessPageTakesTheSizeOfItsContent)
{
    page->EndlessHeight = true;
    page->EndlessWidth = true;
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 50);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    auto* footer = band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 300, 60);
    footer->PrintOnFirstPage = footer->PrintOnLastPage = true;
    setRowCount(40);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& pages = shell.PreviewPages();
    ASSERT_EQ(pages.PageCount(), 1);
    const auto placed = layout()[0];
    EXPECT_EQ(textsOf(placed, QStringLiteral("MasterData1")).size(), 40);
    EXPECT_DOUBLE_EQ(find(placed, QStringLiteral("PageFooter1"))->top, 2000);
    const QSize size = pages.GetPreparedPageSize(0);
    EXPECT_NEAR(size.height(), 40 * fr01cm + 2060, 1);
    EXPECT_NEAR(size.width(), 210 * fr01cm, 1);
}

TEST_F(EngineTest, APageWithPrintOnPreviousPageGoesOnBelowTheLastPage)
{
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 50);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
    setRowCount(3);
    auto* second = new TfrxReportPage(&report);
    second->SetName(QStringLiteral("Page2"));
    second->SetPaperSize(9);
    second->PrintOnPreviousPage = true;
    auto* header = band<TfrxPageHeader>(QStringLiteral("PageHeader2"), 0, 40, second);
    memo(header, QStringLiteral("PH2"), QStringLiteral("not on the previous page"));
    auto* more = band<TfrxMasterData>(QStringLiteral("MasterData2"), 100, 30, second);
    more->SetDataSet(nullptr);
    more->SetRowCount(2);
    memo(more, QStringLiteral("More"), QStringLiteral("m[Line]"));
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(names(pages[0]), (QStringList{"MasterData1", "MasterData1", "MasterData1", "MasterData2", "MasterData2"}));
    EXPECT_DOUBLE_EQ(pages[0][3].top, 150);
    EXPECT_DOUBLE_EQ(pages[0][4].top, 180);
}

class SubreportTest : public EngineTest {
protected:
    SubreportTest()
    {
        data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 30);
        memo(data, QStringLiteral("Row"), QStringLiteral("row [ds.\"N\"]"));
        inner = new TfrxReportPage(&report);
        inner->SetName(QStringLiteral("Page2"));
        inner->SetPaperSize(9);
        auto* rowsBand = band<TfrxMasterData>(QStringLiteral("SubData"), 0, 20, inner);
        rowsBand->SetDataSet(nullptr);
        rowsBand->SetRowCount(3);
        memo(rowsBand, QStringLiteral("S"), QStringLiteral("s[Line]"));
        sub = new TfrxSubreport(data);
        sub->SetName(QStringLiteral("Subreport1"));
        sub->SetBounds(300, 5, 200, 20);
        sub->SetPage(inner);
        auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 300, 20);
        memo(summary, QStringLiteral("End"), QStringLiteral("end"));
        setRowCount(1);
    }
    TfrxMasterData* data;
    TfrxReportPage* inner;
    TfrxSubreport* sub;
};

TEST_F(SubreportTest, ASubreportPrintsBesideItsBandAndTheReportGoesOnBelowIt)
{
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& pages = shell.PreviewPages();
    ASSERT_EQ(pages.PageCount(), 1); // the subreport's page is not run by itself
    const auto placed = layout()[0];
    EXPECT_EQ(names(placed), (QStringList{"MasterData1", "SubData", "SubData", "SubData", "ReportSummary1"}));
    const QList<TfrxComponent*> objects = pages.GetPreparedPage(0)->Objects();
    for (int i = 1; i <= 3; ++i) {
        EXPECT_DOUBLE_EQ(objects[i]->Left(), 300);
        EXPECT_DOUBLE_EQ(objects[i]->Top(), 5 + (i - 1) * 20);
    }
    EXPECT_EQ(textsOf(placed, QStringLiteral("SubData")), (QStringList{"s1", "s2", "s3"}));
    EXPECT_DOUBLE_EQ(placed.back().top, 65);
}

TEST_F(SubreportTest, ASubreportPrintedOnItsParentBecomesPartOfTheBand)
{
    sub->PrintOnParent = true;
    data->Stretched = true;
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    TfrxPreviewPages& pages = shell.PreviewPages();
    ASSERT_EQ(pages.PageCount(), 1);
    const auto placed = layout()[0];
    ASSERT_EQ(names(placed), (QStringList{"MasterData1", "ReportSummary1"}));
    EXPECT_EQ(placed[0].texts, (QStringList{"row 1", "s1", "s2", "s3"}));
    const TfrxComponent* band = pages.GetPreparedPage(0)->Objects()[0];
    const TfrxComponent* last = band->Objects().back();
    EXPECT_DOUBLE_EQ(last->Left(), 300);
    EXPECT_DOUBLE_EQ(last->Top(), 45);
    // The band grows to the subreport's last text (45 + 18).
    EXPECT_DOUBLE_EQ(placed[0].height, 63);
    EXPECT_DOUBLE_EQ(placed[1].top, 63);
    // The template's band has its own objects again.
    EXPECT_EQ(static_cast<TfrxComponent*>(report.FindObject(QStringLiteral("MasterData1")))->Objects().size(), 2);
}

TEST_F(SubreportTest, ASubreportThatContainsItselfEndsWithAnErrorLine)
{
    auto* loop = new TfrxSubreport(inner->Objects()[0]);
    loop->SetName(QStringLiteral("Subreport2"));
    loop->SetBounds(200, 0, 100, 20);
    loop->SetPage(inner);
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(report.Errors().join(u'\n').contains(QStringLiteral("Subreport2 contains itself")))
        << report.Errors().join(u'\n').toStdString();
}

class VerticalTest : public EngineTest {
protected:
    // Two rows, each with a label and one cell per column of "vs" (10 columns of 80 from
    // x 100).
    VerticalTest()
    {
        columns.SetName(QStringLiteral("vs"));
        columns.Fields = QStringList{QStringLiteral("C")};
        columns.RangeEnd = TfrxRangeEnd::reCount;
        columns.RangeEndCount = 10;
        columns.GetValueHandler = [](TfrxUserDataSet& self, const QString&) { return QVariant(self.RecNo + 1); };
        report.DataSets().Add(&report).SetDataSet(&columns);
        auto* rowsBand = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
        memo(rowsBand, QStringLiteral("Label"), QStringLiteral("r[ds.\"N\"]"));
        auto* cell = memo(rowsBand, QStringLiteral("Cell"), QStringLiteral("[ds.\"N\"]x[vs.\"C\"]"));
        cell->SetBounds(100, 0, 80, 20);
        auto* vertical = new TfrxMasterData(page);
        vertical->SetName(QStringLiteral("MasterData2"));
        vertical->Vertical = true;
        vertical->SetBounds(100, 0, 80, 300);
        vertical->SetDataSet(&columns);
        setRowCount(2);
    }
    TfrxUserDataSet columns;
};

TEST_F(VerticalTest, AnEndlessWidthPageGrowsToHoldEveryColumn)
{
    page->EndlessWidth = true;
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0][0].texts.size(), 11);
    EXPECT_EQ(pages[0][0].texts.back(), QStringLiteral("1x10"));
    EXPECT_NEAR(shell.PreviewPages().GetPreparedPageSize(0).width(), 40 * fr01cm + 900, 1);
}

TEST_F(VerticalTest, VerticalBandsWiderThanThePageGoOnAFurtherSheet)
{
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    // 642.5 wide from x 100: six cells of 80 fit, the other four go on a second sheet.
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_EQ(names(pages[0]), (QStringList{"MasterData1", "MasterData1"}));
    EXPECT_EQ(pages[0][1].texts, (QStringList{"r2", "2x1", "2x2", "2x3", "2x4", "2x5", "2x6"}));
    EXPECT_EQ(pages[1][0].texts, (QStringList{"r1", "1x7", "1x8", "1x9", "1x10"}));
    const TfrxComponent* first = shell.PreviewPages().GetPreparedPage(1)->Objects()[0];
    EXPECT_DOUBLE_EQ(first->Objects()[1]->Left(), 100);
    EXPECT_DOUBLE_EQ(first->Objects()[4]->Left(), 340);
    // The template keeps its cell object in its band.
    EXPECT_EQ(static_cast<TfrxComponent*>(report.FindObject(QStringLiteral("MasterData1")))->Objects().size(), 2);
}

class DrillDownTest : public EngineTest {
protected:
    DrillDownTest()
    {
        auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 20);
        group->Condition = QStringLiteral("<ds.\"G\">");
        group->DrillDown = true;
        group->ShowFooterIfDrillDown = true;
        memo(group, QStringLiteral("GH"), QStringLiteral("[ds.\"G\"]"));
        auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 20);
        memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]"));
        auto* gf = band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 300, 20);
        // Rows of the hidden data band count too (flags 1).
        memo(gf, QStringLiteral("GF"), QStringLiteral("[SUM(<ds.\"V\">, MasterData1, 1)]"));
        auto* detail = band<TfrxDetailData>(QStringLiteral("DetailData1"), 250, 20);
        detail->SetDataSet(nullptr);
        detail->SetRowCount(1);
        memo(detail, QStringLiteral("D"), QStringLiteral("detail"));
        setRowCount(6, 3);
    }
};

// The detail rows of a collapsed group's data band stay hidden with it.
TEST_F(DrillDownTest, ACollapsedGroupShowsItsHeaderAndFooterOnly)
{
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    EXPECT_EQ(names(pages[0]), (QStringList{"GroupHeader1", "GroupFooter1", "GroupHeader1", "GroupFooter1"}));
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupFooter1")), (QStringList{"60", "150"}));
    EXPECT_DOUBLE_EQ(pages[0][1].top, 20);
}

TEST_F(DrillDownTest, AToggledGroupIsExpandedAndExpandDrillDownTurnsTheListAround)
{
    report.ToggledGroups = QStringList{QStringLiteral("GroupHeader1.2")};
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    auto pages = layout();
    EXPECT_EQ(names(pages[0]), (QStringList{"GroupHeader1", "GroupFooter1", "GroupHeader1", "MasterData1",
                                            "DetailData1", "MasterData1", "DetailData1", "MasterData1", "DetailData1",
                                            "GroupFooter1"}));
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")), (QStringList{"4", "5", "6"}));
    static_cast<TfrxGroupHeader*>(report.FindObject(QStringLiteral("GroupHeader1")))->ExpandDrillDown = true;
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    pages = layout();
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("MasterData1")), (QStringList{"1", "2", "3"}));
}

} // namespace
