// What a prepared object stores: short names, difference texts, and the objects rebuilt
// from them.
#include "pages_fixture.h"
#include "report/storage/xml_serializer.h"

using namespace pages_test;

namespace {

TEST(PreparedObjects, ShortNamesComeFromTheHalvingSearch)
{
    Template t;
    auto* memo3 = new TfrxMemoView(t.band);
    memo3->SetName(QStringLiteral("Memo3"));
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    EXPECT_EQ(pages.ShortNameOf(*t.band), "b1");
    EXPECT_EQ(pages.ShortNameOf(*t.memo), "m1");
    EXPECT_EQ(pages.ShortNameOf(*t.memo2), "m2");
    EXPECT_EQ(pages.ShortNameOf(*memo3), "m3");
    EXPECT_EQ(pages.ShortNameOf(*t.line), "l1");
    EXPECT_EQ(pages.ShortNameOf(*t.picture), "p1");
    EXPECT_EQ(pages.ShortNameOf(*t.footer), "b2");

    // Objects made during preparation join the last source page under the next name.
    TfrxMemoView made(t.band);
    made.SetName(QStringLiteral("Made"));
    pages.RegisterSourceObject(made);
    EXPECT_EQ(pages.ShortNameOf(made), "m4");
}

TEST(PreparedObjects, TextsAndBandTopsAreAlwaysStored)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    // Same top as the template band, same text as the template, then an empty text.
    e.row(100, QStringLiteral("template text"));
    t.memo->SetText(QString());
    t.band->SetTop(120);
    pages.AppendObject(*t.band);
    t.memo->SetText(QStringLiteral("one\r\ntwo \"quoted\""));
    pages.AppendObject(*t.band);
    e.finish();

    TfrxXMLItem* page = pageElement(pages, 0);
    ASSERT_EQ(page->count(), 3);
    EXPECT_EQ(page->name(), "page0");
    const TfrxXMLItem* b = page->item(0);
    EXPECT_EQ(b->name(), "b1");
    EXPECT_EQ(b->text(), " t=\"100\"");
    ASSERT_EQ(b->count(), 4);
    EXPECT_EQ(b->item(0)->name(), "m1");
    EXPECT_TRUE(b->item(0)->text().endsWith(" u=\"template text\"")) << b->item(0)->text().constData();
    EXPECT_EQ(page->item(1)->item(0)->text(), " u=\"\"");
    EXPECT_EQ(page->item(2)->item(0)->getAttr("u"), "one\r\ntwo \"quoted\"");
    // A picture always names its picture, also when it has none.
    EXPECT_EQ(b->item(3)->text(), " ImageIndex=\"0\"");

    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    ASSERT_NE(rebuilt, nullptr);
    auto* memo = dynamic_cast<TfrxMemoView*>(rebuilt->FindObject(QStringLiteral("Memo1")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "template text");
    EXPECT_DOUBLE_EQ(memo->Left(), 10);
    auto* memo2 = dynamic_cast<TfrxMemoView*>(rebuilt->Objects()[2]->Objects()[0]);
    ASSERT_NE(memo2, nullptr);
    EXPECT_EQ(memo2->Text(), "one\r\ntwo \"quoted\"");
}

TEST(PreparedObjects, SmallMovesAreNoiseButTheOrderOfAttributesIsFixed)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    t.memo->SetLeft(10.00009);
    t.memo->SetHeight(18.0002);
    t.memo->Color = clRed;
    t.memo->Frame().Typ = 15;
    t.memo->Frame().BottomLine().Width = 3;
    t.memo->Tag = 7;
    t.memo->HAlign = TfrxHAlign::haCenter;
    t.memo->WordWrap = false;
    e.row(100, QStringLiteral("x"));
    e.finish();
    EXPECT_EQ(pageElement(pages, 0)->item(0)->item(0)->text(),
              " h=\"18.0002\" Tag=\"7\" Color=\"255\" Frame.Typ=\"15\" Frame.BottomLine.Width=\"3\""
              " HAlign=\"2\" u=\"x\" WordWrap=\"0\"");

    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    auto* memo = dynamic_cast<TfrxMemoView*>(rebuilt->FindObject(QStringLiteral("Memo1")));
    ASSERT_NE(memo, nullptr);
    EXPECT_DOUBLE_EQ(memo->Left(), 10); // the 0.00009 was not stored
    EXPECT_DOUBLE_EQ(memo->Frame().BottomLine().Width, 3);
    EXPECT_DOUBLE_EQ(memo->Frame().TopLine().Width, 1);
    EXPECT_EQ(memo->HAlign, TfrxHAlign::haCenter);
    EXPECT_FALSE(memo->WordWrap);
}

TEST(PreparedObjects, TextsKeepTheirOwnFontOrTheirBands)
{
    Template t;
    TfrxFont font;
    font.SetName(QStringLiteral("宋体"));
    font.SetSize(12);
    font.SetStyle(1);
    t.memo->SetFont(font);
    ASSERT_FALSE(t.memo->ParentFont());
    TfrxFont bandFont;
    bandFont.SetName(QStringLiteral("Courier New"));
    t.band->SetFont(bandFont);
    t.memo2->SetParentFont(true);
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("x"));
    e.finish();

    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    const TfrxComponent* memo = rebuilt->FindObject(QStringLiteral("Memo1"));
    EXPECT_EQ(memo->Font().Name(), QStringLiteral("宋体"));
    EXPECT_EQ(memo->Font().Size(), 12);
    EXPECT_EQ(memo->Font().Style(), 1);
    EXPECT_EQ(rebuilt->FindObject(QStringLiteral("Memo2"))->Font().Name(), "Courier New");
}

TEST(PreparedObjects, RebuiltObjectsHaveEveryPropertyOfTheirTemplate)
{
    Template t;
    // Values that interact: the frame's colour goes to all lines, one line is set back.
    t.memo->Frame().SetColor(clRed);
    t.memo->Frame().LeftLine().Color = clBlack;
    t.memo->Frame().SetWidth(2);
    t.memo->Frame().Typ = 5;
    t.memo->Highlight().Condition = QStringLiteral("Value > 0");
    t.memo->Highlight().Font().SetName(QStringLiteral("Courier New"));
    t.memo->DisplayFormat().FormatStr = QStringLiteral("%2.2f");
    t.memo->StretchMode = TfrxStretchMode::smMaxHeight;
    t.memo->VAlign = TfrxVAlign::vaCenter;
    t.memo->GapX = 4;
    t.memo->URL = QStringLiteral("http://example.com/?a=1&b=\"2\"");
    TfrxFont font;
    font.SetName(QStringLiteral("Arial"));
    font.SetHeight(-16);
    t.memo->SetFont(font);
    t.line->Frame().SetColor(clSilver);
    t.line->Diagonal = true;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("template text"));
    e.row(130, QStringLiteral("template text"));
    e.finish();

    TfrxXMLSerializer serializer;
    for (int band = 0; band < 2; ++band) {
        const TfrxComponent* rebuilt = pages.GetPreparedPage(0)->Objects()[band];
        ASSERT_EQ(rebuilt->Objects().size(), 4);
        EXPECT_EQ(serializer.ObjectToAttributes(*rebuilt->Objects()[0]), serializer.ObjectToAttributes(*t.memo));
        EXPECT_EQ(serializer.ObjectToAttributes(*rebuilt->Objects()[2]), serializer.ObjectToAttributes(*t.line));
    }
}

TEST(PreparedObjects, InvisibleObjectsAndSubreportsAreLeftOut)
{
    Template t;
    auto* sub = new TfrxSubreport(t.band);
    sub->SetName(QStringLiteral("Subreport1"));
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    t.memo2->SetVisible(false);
    e.row(100, QStringLiteral("x"));
    e.finish();
    const TfrxXMLItem* band = pageElement(pages, 0)->item(0);
    ASSERT_EQ(band->count(), 3);
    EXPECT_EQ(band->item(1)->name(), "l1");
}

TEST(PreparedObjects, ElementsWithoutDictionaryEntryAreReadByClassName)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    // An object the engine made without registering it has no source object.
    TfrxMemoView loose(t.page);
    loose.SetName(QStringLiteral("Loose"));
    loose.SetBounds(5, 6, 70, 8);
    loose.SetText(QStringLiteral("free"));
    pages.AppendObject(loose);
    e.row(100, QStringLiteral("x"));
    // A short name that is not in the dictionary: taken as a class name.
    pageElement(pages, 0)->item(1)->addChild("TfrxMemoView")->setText(" Name=\"Odd\" l=\"1\" u=\"odd\"");
    pageElement(pages, 0)->addChild("m77")->setText(" u=\"gone\"");
    e.finish();

    const TfrxXMLItem* element = pageElement(pages, 0)->item(0);
    EXPECT_EQ(element->name(), "TfrxMemoView");
    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    ASSERT_NE(rebuilt, nullptr);
    auto* memo = dynamic_cast<TfrxMemoView*>(rebuilt->FindObject(QStringLiteral("Loose")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "free");
    EXPECT_DOUBLE_EQ(memo->Width(), 70);
    auto* odd = dynamic_cast<TfrxMemoView*>(rebuilt->FindObject(QStringLiteral("Odd")));
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(odd->Text(), "odd");
    EXPECT_EQ(odd->Parent()->Name(), "MasterData1");
    // The unknown class is skipped, everything else is there: loose memo, band.
    EXPECT_EQ(rebuilt->Objects().size(), 2);
}

TEST(PreparedObjects, FirstPassOfTwoStoresOnlyCompactDifferences)
{
    Template t;
    t.report.EngineOptions().DoublePass = true;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    t.memo->Color = clRed;
    e.row(100, QStringLiteral("first"));
    EXPECT_EQ(pageElement(pages, 0)->item(0)->item(0)->text(), "");
    pages.Engine().FinalPass = true;
    e.row(100, QStringLiteral("final"));
    EXPECT_EQ(pageElement(pages, 0)->item(1)->item(0)->text(), " Color=\"255\" u=\"final\"");
    e.finish();
}

TEST(PreparedObjects, GroupHeadersWithDrillDownCarryTheirRunningLine)
{
    Template t;
    auto* group = new TfrxGroupHeader(t.page);
    group->SetName(QStringLiteral("GroupHeader1"));
    group->SetBounds(0, 60, 718, 20);
    group->DrillDown = true;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    group->Tag = 3;
    group->LineThrough = 12;
    pages.AppendObject(*group);
    e.finish();
    const TfrxXMLItem* element = pageElement(pages, 0)->item(0);
    EXPECT_EQ(element->text(), " t=\"60\" Tag=\"3\" Tag=\"12\"");
    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    EXPECT_EQ(rebuilt->Objects()[0]->Tag, 12);
}

TEST(PreparedObjects, PicturesAreStoredOncePerChange)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    const QByteArray red = pngPicture(Qt::red), blue = pngPicture(Qt::blue, 30, 12);
    t.picture->Picture = red;
    e.row(100, QStringLiteral("a"));
    e.row(120, QStringLiteral("b"));
    t.picture->AutoSize = true;
    t.picture->Picture = blue;
    e.row(140, QStringLiteral("c"));
    e.finish();
    const TfrxXMLItem* page = pageElement(pages, 0);
    EXPECT_EQ(page->item(0)->item(3)->getAttr("ImageIndex"), "1");
    EXPECT_EQ(page->item(1)->item(3)->getAttr("ImageIndex"), "1");
    EXPECT_EQ(page->item(2)->item(3)->getAttr("ImageIndex"), "2");
    // The changed picture re-applied AutoSize.
    EXPECT_EQ(page->item(2)->item(3)->getAttr("w"), "30");

    TfrxReportPage* rebuilt = pages.GetPreparedPage(0);
    auto* first = dynamic_cast<TfrxPictureView*>(rebuilt->Objects()[0]->Objects()[3]);
    auto* third = dynamic_cast<TfrxPictureView*>(rebuilt->Objects()[2]->Objects()[3]);
    ASSERT_TRUE(first && third);
    EXPECT_EQ(first->Picture, red);
    EXPECT_EQ(third->Picture, blue);
}

} // namespace
