// The report object model: names, fonts, paper, columns, lines, alignment, lookups.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/frx_resources.h"

#include <gtest/gtest.h>

using namespace report;

namespace {

struct Fixture {
    TfrxReport report;
    TfrxReportPage* page = new TfrxReportPage(&report);
    TfrxMasterData* band = new TfrxMasterData(page);
    Fixture()
    {
        page->SetName(QStringLiteral("Page1"));
        band->SetName(QStringLiteral("MasterData1"));
    }
};

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const ReportError& e) {
        return e.message();
    }
    return {};
}

TEST(ReportNames, NewObjectTakesTheSmallestFreeNumber)
{
    Fixture f;
    auto* a = new TfrxMemoView(f.band);
    a->SetName(QStringLiteral("Memo1"));
    auto* b = new TfrxMemoView(f.band);
    b->SetName(QStringLiteral("Memo3"));
    auto* c = new TfrxMemoView(f.band);
    c->CreateUniqueName();
    EXPECT_EQ(c->Name(), "Memo2");
    auto* line = new TfrxLineView(f.band);
    line->CreateUniqueName();
    EXPECT_EQ(line->Name(), "Line1");
    auto* page = new TfrxReportPage(&f.report);
    page->CreateUniqueName();
    EXPECT_EQ(page->Name(), "Page2");
    EXPECT_EQ(f.band->BaseName(), "MasterData");
}

TEST(ReportNames, DuplicatesIgnoringCaseFailAndTheOldNameStays)
{
    Fixture f;
    auto* memo1 = new TfrxMemoView(f.band);
    memo1->SetName(QStringLiteral("Memo1"));
    auto* other = new TfrxMemoView(f.band);
    other->SetName(QStringLiteral("Other"));
    EXPECT_EQ(errorOf([&] { other->SetName(QStringLiteral("memo1")); }), frxGet(QStringLiteral("prDupl")));
    EXPECT_EQ(other->Name(), "Other");
    memo1->SetName(QStringLiteral("MEMO1"));
    EXPECT_EQ(memo1->Name(), "Memo1");
    memo1->IsAncestor = true;
    EXPECT_EQ(errorOf([&] { memo1->SetName(QStringLiteral("Memo9")); }),
              "Could not rename Memo1, it was introduced in the ancestor report");
}

TEST(ReportNames, FindObjectSearchesEveryPageAndBandIgnoringCase)
{
    Fixture f;
    auto* page2 = new TfrxReportPage(&f.report);
    auto* header = new TfrxPageHeader(page2);
    auto* memo = new TfrxMemoView(header);
    memo->SetName(QStringLiteral("Memo7"));
    EXPECT_EQ(f.report.FindObject(QStringLiteral("mEmO7")), memo);
    EXPECT_EQ(f.report.FindObject(QStringLiteral("masterdata1")), f.band);
    EXPECT_EQ(f.report.FindObject(QStringLiteral("Nothing")), nullptr);
    // Pre-order: each object before its children.
    const QList<TfrxComponent*> all = f.report.AllObjects();
    EXPECT_EQ(all.indexOf(page2) + 1, all.indexOf(header));
    EXPECT_EQ(all.indexOf(header) + 1, all.indexOf(memo));
    delete header;
    EXPECT_EQ(f.report.FindObject(QStringLiteral("Memo7")), nullptr);
}

TEST(ReportFonts, ChildTakesTheBandsFontUntilItGetsItsOwn)
{
    Fixture f;
    TfrxFont song;
    song.SetName(QStringLiteral("宋体"));
    song.SetSize(12);
    f.band->SetFont(song);
    EXPECT_FALSE(f.band->ParentFont());
    auto* memo = new TfrxMemoView(f.band);
    EXPECT_TRUE(memo->ParentFont());
    EXPECT_EQ(memo->Font().Name(), "宋体");
    EXPECT_EQ(memo->Font().Size(), 12);
    EXPECT_EQ(memo->Font().Height(), -16);

    memo->Font().SetStyle(setBit(TFontStyle::fsBold));
    EXPECT_FALSE(memo->ParentFont());
    f.band->Font().SetName(QStringLiteral("Arial"));
    EXPECT_EQ(memo->Font().Name(), "宋体"); // no longer follows
    memo->SetParentFont(true);
    EXPECT_EQ(memo->Font().Name(), "Arial");
    EXPECT_EQ(memo->Font().Style(), 0);
}

TEST(ReportFonts, ParentFontChangesReachGrandchildren)
{
    TfrxReport report;
    auto* page = new TfrxReportPage(&report);
    auto* band = new TfrxPageHeader(page);
    auto* memo = new TfrxMemoView(band);
    page->Font().SetColor(clRed);
    EXPECT_EQ(band->Font().Color(), clRed);
    EXPECT_EQ(memo->Font().Color(), clRed);
    EXPECT_TRUE(band->ParentFont());
}

TEST(ReportPaper, A4InUnitsAndTurnedToLandscape)
{
    TfrxReportPage page;
    EXPECT_EQ(page.PaperSize(), 9);
    EXPECT_EQ(page.Width(), 794);
    EXPECT_EQ(page.Height(), 1123);
    page.LeftMargin = 1;
    page.RightMargin = 2;
    page.TopMargin = 3;
    page.BottomMargin = 4;
    page.SetOrientation(TPrinterOrientation::poLandscape);
    EXPECT_EQ(page.PaperWidth(), 297);
    EXPECT_EQ(page.PaperHeight(), 210);
    EXPECT_EQ(page.Width(), 1123);
    EXPECT_EQ(page.LeftMargin, 3);
    EXPECT_EQ(page.RightMargin, 4);
    EXPECT_EQ(page.TopMargin, 2);
    EXPECT_EQ(page.BottomMargin, 1);
    page.SetOrientation(TPrinterOrientation::poPortrait);
    EXPECT_EQ(page.LeftMargin, 1);
    EXPECT_EQ(page.RightMargin, 2);
    EXPECT_EQ(page.TopMargin, 3);
    EXPECT_EQ(page.BottomMargin, 4);
    // A code looked up in landscape comes out exchanged.
    page.SetOrientation(TPrinterOrientation::poLandscape);
    page.SetPaperSize(11);
    EXPECT_EQ(page.PaperWidth(), 210);
    EXPECT_EQ(page.PaperHeight(), 148);
}

TEST(ReportPaper, WidthRoundsToEightDecimalsAndMakesTheSizeCustom)
{
    TfrxReportPage page;
    page.SetPaperWidth(123.123456789);
    EXPECT_DOUBLE_EQ(page.PaperWidth(), 123.12345679);
    EXPECT_EQ(page.PaperSize(), 256);
    page.SetPaperSize(300); // codes from 256 on keep the dimensions
    EXPECT_DOUBLE_EQ(page.PaperWidth(), 123.12345679);
    page.SetPaperSize(48); // no such code
    EXPECT_DOUBLE_EQ(page.PaperWidth(), 123.12345679);
}

TEST(ReportPaper, TableHasTheSixtySixCodes)
{
    EXPECT_EQ(paperCount(), 66);
    EXPECT_EQ(findPaper(48), nullptr);
    EXPECT_EQ(findPaper(49), nullptr);
    EXPECT_EQ(findPaper(69), nullptr);
    ASSERT_NE(findPaper(1), nullptr);
    EXPECT_DOUBLE_EQ(findPaper(1)->widthMm, 215.9);
    EXPECT_DOUBLE_EQ(findPaper(1)->heightMm, 279.4);
    EXPECT_DOUBLE_EQ(findPaper(8)->heightMm, 420);
    EXPECT_DOUBLE_EQ(findPaper(66)->widthMm, 420);
    EXPECT_DOUBLE_EQ(findPaper(66)->heightMm, 594);
    for (int i = 0; i < paperCount(); ++i)
        EXPECT_GT(paperAt(i).widthMm, 0) << paperAt(i).code;
}

TEST(ReportPaper, ColumnsSplitThePrintableWidth)
{
    TfrxReportPage page;
    page.LeftMargin = page.RightMargin = 20;
    page.SetColumns(3);
    EXPECT_DOUBLE_EQ(page.ColumnWidth, 170.0 / 3);
    ASSERT_EQ(page.ColumnPositions.size(), 3);
    EXPECT_EQ(page.ColumnPositions[0], "0");
    EXPECT_NEAR(page.ColumnPositions[2].toDouble(), 2 * 170.0 / 3, 1e-12);
    page.SetColumns(0);
    EXPECT_TRUE(page.ColumnPositions.isEmpty());
}

TEST(ReportLines, NonDiagonalLinesBecomeAxisParallel)
{
    TfrxLineView line;
    line.SetWidth(0);
    line.SetHeight(37.8);
    line.MakeAxisParallel();
    EXPECT_EQ(line.Width(), 0);
    EXPECT_DOUBLE_EQ(line.Height(), 37.8);
    EXPECT_EQ(line.Frame().Typ, setBit(TfrxFrameType::ftLeft));
    line.SetWidth(50);
    line.SetHeight(10);
    line.MakeAxisParallel();
    EXPECT_EQ(line.Height(), 0);
    EXPECT_EQ(line.Width(), 50);
    EXPECT_EQ(line.Frame().Typ, setBit(TfrxFrameType::ftTop));
    TfrxLineView diagonal;
    diagonal.Diagonal = true;
    diagonal.SetBounds(0, 0, 50, 10);
    diagonal.MakeAxisParallel();
    EXPECT_EQ(diagonal.Height(), 10);
}

TEST(ReportAlign, LeftAlignedViewTouchesItsNeighbourOrTheEdge)
{
    Fixture f;
    f.band->SetBounds(0, 0, 600, 40);
    auto* a = new TfrxMemoView(f.band);
    a->SetBounds(10, 0, 100, 20);
    auto* b = new TfrxMemoView(f.band);
    b->SetBounds(300, 5, 50, 20);
    b->Align = TfrxAlign::baLeft;
    auto* c = new TfrxMemoView(f.band);
    c->SetBounds(400, 25, 50, 10); // below a: shares no rows with it
    c->Align = TfrxAlign::baLeft;
    f.band->AlignChildren();
    EXPECT_EQ(b->Left(), 110);
    EXPECT_EQ(c->Left(), 0);
}

TEST(ReportAlign, RightWidthCenterBottomAndClient)
{
    Fixture f;
    f.band->SetBounds(0, 0, 600, 40);
    auto* left = new TfrxMemoView(f.band);
    left->SetBounds(0, 0, 100, 20);
    auto* stretch = new TfrxMemoView(f.band);
    stretch->SetBounds(150, 0, 10, 20);
    stretch->Align = TfrxAlign::baWidth;
    auto* right = new TfrxMemoView(f.band);
    right->SetBounds(200, 0, 80, 20);
    right->Align = TfrxAlign::baRight;
    auto* center = new TfrxMemoView(f.band);
    center->SetBounds(0, 30, 100, 5);
    center->Align = TfrxAlign::baCenter;
    f.band->AlignChildren();
    EXPECT_EQ(right->Left(), 520);
    EXPECT_EQ(stretch->Left(), 100);
    EXPECT_EQ(stretch->Width(), 420);
    EXPECT_EQ(center->Left(), 250);

    center->Align = TfrxAlign::baBottom;
    f.band->AlignChildren();
    EXPECT_EQ(center->Top(), 35);
    center->Align = TfrxAlign::baClient;
    f.band->AlignChildren();
    EXPECT_EQ(center->Width(), 600);
    EXPECT_EQ(center->Height(), 40);
}

TEST(ReportAlign, EqualLeftsPutTheLaterChildFirst)
{
    // A left-aligned text standing on a column line keeps its place: the line, later in
    // the child order, counts as the earlier view.
    Fixture f;
    f.band->SetBounds(0, 0, 642, 37.8);
    auto* memo = new TfrxMemoView(f.band);
    memo->SetBounds(128.50402, 0, 283.46, 37.7953);
    memo->Align = TfrxAlign::baLeft;
    auto* line = new TfrxLineView(f.band);
    line->SetBounds(128.50402, 0, 0, 37.7953);
    f.band->AlignChildren();
    EXPECT_DOUBLE_EQ(memo->Left(), 128.50402);
}

TEST(ReportPageAlign, BandsGetThePrintableWidthAndThePageItsPaperSize)
{
    Fixture f;
    f.page->LeftMargin = f.page->RightMargin = 20;
    f.band->SetBounds(0, 0, 10, 40);
    f.page->AlignChildren();
    EXPECT_NEAR(f.band->Width(), 170 * fr01cm, 1e-9);
    EXPECT_EQ(f.page->Width(), 794);
}

TEST(ReportBands, KindNumbersAndCircularChildren)
{
    Fixture f;
    EXPECT_EQ(TfrxReportTitle().BandNumber(), 0);
    EXPECT_EQ(f.band->BandNumber(), 6);
    EXPECT_EQ(TfrxOverlay().BandNumber(), 17);
    EXPECT_EQ(TfrxNullBand().BandNumber(), 0);
    EXPECT_TRUE(TfrxPageHeader().PrintOnFirstPage);
    EXPECT_TRUE(TfrxPageFooter().PrintOnLastPage);

    auto* child1 = new TfrxChild(f.page);
    auto* child2 = new TfrxChild(f.page);
    f.band->SetChild(child1);
    child1->SetChild(child2);
    EXPECT_EQ(errorOf([&] { child2->SetChild(child1); }), "Circular child reference is not allowed");
    EXPECT_EQ(child2->Child(), nullptr);
    delete child1;
    EXPECT_EQ(f.band->Child(), nullptr); // no dangling reference
}

TEST(ReportBands, RowCountDrivesTheBandsOwnSource)
{
    TfrxMasterData band;
    band.SetRowCount(5);
    EXPECT_EQ(band.VirtualDataSet().RangeEndCount, 5);
    EXPECT_EQ(band.VirtualDataSet().RangeEnd, TfrxRangeEnd::reCount);
}

TEST(ReportDataSets, UserNameFollowsNameAndResolvesDataSetNames)
{
    Fixture f;
    TfrxDBDataset outside;
    outside.SetName(QStringLiteral("frxDBDataset1"));
    EXPECT_EQ(outside.UserName(), "frxDBDataset1");
    outside.SetName(QStringLiteral("frxDBDataset2"));
    EXPECT_EQ(outside.UserName(), "frxDBDataset2");
    outside.SetUserName(QStringLiteral("Lines"));
    outside.SetName(QStringLiteral("frxDBDataset3"));
    EXPECT_EQ(outside.UserName(), "Lines");
    EXPECT_EQ(errorOf([&] { outside.SetUserName(QStringLiteral("  ")); }), frxGet(QStringLiteral("prInvProp")));
    EXPECT_EQ(outside.UserName(), "Lines");

    f.band->SetDataSetName(QStringLiteral("LINES"));
    EXPECT_EQ(f.band->DataSet(), &outside);
    EXPECT_EQ(f.band->DataSetName(), "Lines");
    f.band->SetDataSetName(QStringLiteral("Missing"));
    EXPECT_EQ(f.band->DataSet(), &outside); // the previous reference is kept

    // A source of another report is not found.
    TfrxReport other;
    auto* otherData = new TfrxDataPage(&other);
    auto* foreign = new TfrxUserDataSet(otherData);
    foreign->SetName(QStringLiteral("Foreign"));
    EXPECT_EQ(TfrxDataSet::find(QStringLiteral("Foreign"), &f.report), nullptr);
    EXPECT_EQ(TfrxDataSet::find(QStringLiteral("Foreign"), &other), foreign);

    f.report.DataSets().Add(&f.report).SetDataSet(&outside);
    EXPECT_EQ(f.report.GetDataset(QStringLiteral("lines")), &outside);
    EXPECT_EQ(f.report.GetDataset(QStringLiteral("frxDBDataset3")), nullptr);
}

TEST(ReportOptions, DefaultsOnCreationAndAfterClear)
{
    TfrxReport report;
    EXPECT_EQ(report.Version, "4.0.11");
    EXPECT_EQ(report.ScriptLanguage, "PascalScript");
    EXPECT_EQ(report.ScriptText, (QStringList{"begin", "", "end."}));
    EXPECT_EQ(report.PrintOptions().Printer, "预设");
    EXPECT_EQ(report.PreviewOptions().Buttons, (1 << 12) - 1);
    EXPECT_EQ(report.PreviewOptions().OutlineWidth, 120);
    EXPECT_TRUE(report.EngineOptions().ConvertNulls);
    EXPECT_EQ(report.EngineOptions().MaxMemSize, 10);
    EXPECT_TRUE(report.IniFile.startsWith("\\Software\\"));
    EXPECT_GT(report.ReportOptions().CreateDate, 40000);
    EXPECT_EQ(report.SystemVariables.size(), 9);

    report.EngineOptions().SetSilentMode(true);
    EXPECT_EQ(report.EngineOptions().NewSilentMode, TfrxSilentMode::simSilent);
    report.ScriptText = {QStringLiteral("x")};
    report.DotMatrixReport = true;
    new TfrxReportPage(&report);
    report.Variables().Add().Name = QStringLiteral("v");
    report.Clear();
    EXPECT_EQ(report.PagesCount(), 0);
    EXPECT_EQ(report.Variables().Count(), 0);
    EXPECT_FALSE(report.EngineOptions().SilentMode());
    EXPECT_EQ(report.ScriptText.size(), 3);
    EXPECT_FALSE(report.DotMatrixReport);
}

TEST(ReportObjects, DefaultsComeFromThePropertyTables)
{
    TfrxMemoView memo;
    EXPECT_EQ(memo.Color, clTransparent);
    EXPECT_EQ(memo.GapX, 2);
    EXPECT_EQ(memo.GapY, 1);
    EXPECT_EQ(memo.LineSpacing, 2);
    EXPECT_TRUE(memo.WordWrap);
    EXPECT_TRUE(memo.Clipped);
    EXPECT_EQ(memo.ExpressionDelimiters, "[,]");
    EXPECT_EQ(memo.ShiftMode, TfrxShiftMode::smAlways);
    EXPECT_EQ(memo.Font().Name(), "Arial");
    EXPECT_EQ(memo.Font().Size(), 10);
    EXPECT_EQ(memo.Highlight().Font().Color(), clRed);
    TfrxPictureView picture;
    EXPECT_EQ(picture.Color, clWhite);
    EXPECT_TRUE(picture.KeepAspectRatio);
    TfrxLineView line;
    EXPECT_EQ(line.ArrowLength, 20);
    EXPECT_EQ(line.ArrowWidth, 5);
    TfrxSubreport sub;
    EXPECT_EQ(sub.Font().Name(), "Tahoma");
    EXPECT_EQ(sub.Color, clSilver);
    EXPECT_EQ(sub.Frame().Typ, 15);
    TfrxDataPage data;
    EXPECT_EQ(data.Width(), 1000);
    TfrxReportPage page;
    EXPECT_EQ(page.Bin, 7);
    EXPECT_TRUE(page.TitleBeforeHeader);
}

TEST(ReportObjects, MemberAccessByName)
{
    TfrxMemoView memo;
    setProperty(memo, u"Font.Name", QStringLiteral("宋体"));
    setProperty(memo, u"halign", QStringLiteral("haCenter"));
    setProperty(memo, u"Left", QStringLiteral("12,5"));
    setProperty(memo, u"Frame.Color", 255);
    EXPECT_EQ(memo.Font().Name(), "宋体");
    EXPECT_EQ(memo.HAlign, TfrxHAlign::haCenter);
    EXPECT_EQ(getProperty(memo, u"Left").toDouble(), 12.5);
    EXPECT_EQ(memo.Frame().BottomLine().Color, 255);
    EXPECT_EQ(getProperty(memo, u"Visible").toBool(), true);
    EXPECT_THROW(setProperty(memo, u"NoSuch", 1), ReportError);
    EXPECT_THROW(setProperty(memo, u"Width", QStringLiteral("wide")), ReportError);
}

TEST(ReportObjects, AssignCopiesStoredPropertiesButNotTheName)
{
    TfrxReport report;
    auto* page = new TfrxReportPage(&report);
    auto* band = new TfrxMasterData(page);
    auto* a = new TfrxMemoView(band);
    a->SetName(QStringLiteral("A"));
    a->SetText(QStringLiteral("one\r\ntwo"));
    a->SetBounds(1, 2, 3, 4);
    a->HAlign = TfrxHAlign::haRight;
    auto* b = new TfrxMemoView(band);
    b->SetName(QStringLiteral("B"));
    b->Assign(*a);
    EXPECT_EQ(b->Name(), "B");
    EXPECT_EQ(b->Memo, (QStringList{"one", "two"}));
    EXPECT_EQ(b->Top(), 2);
    EXPECT_EQ(b->HAlign, TfrxHAlign::haRight);

    auto* rich = new TfrxRichView(band);
    rich->RichText = QByteArrayLiteral("{\\rtf1}\r\n");
    TfrxRichView copy;
    copy.Assign(*rich);
    EXPECT_EQ(copy.RichText, rich->RichText);
}

TEST(ReportObjects, MemoTextSplitsAtAnyLineBreak)
{
    TfrxMemoView memo;
    memo.SetText(QStringLiteral("a\r\nb\nc\rd\r\n"));
    EXPECT_EQ(memo.Memo, (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc\r\nd");
}

} // namespace

namespace {

struct CharacterGridPage : TfrxReportPage {
    bool IsCharacterGrid() const override { return true; }
};

TEST(ReportBands, BandsOnCharacterGridPagesSnapToCells)
{
    CharacterGridPage grid;
    auto* band = new TfrxMasterData(&grid);
    band->SetBounds(14.5, 25, 100, 30);
    EXPECT_DOUBLE_EQ(band->Left(), 19.2);
    EXPECT_EQ(band->Top(), 17);
    EXPECT_EQ(band->Height(), 34);
    EXPECT_EQ(band->Width(), 100);
    TfrxReportPage plain;
    auto* free = new TfrxMasterData(&plain);
    free->SetTop(25);
    EXPECT_EQ(free->Top(), 25);
}

} // namespace
