// The built-in quotation template as the program loads it from its resources.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/storage/quotation_template.h"
#include "report/storage/xml_serializer.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QStringDecoder>
#include <gtest/gtest.h>

using namespace report;

namespace {

struct Loaded {
    TfrxDBDataset lines;
    TfrxReport report;
    Loaded()
    {
        lines.SetName(QStringLiteral("frxDBDataset1"));
        loadQuotationTemplate(report);
    }
    TfrxComponent* get(const char* name) { return report.FindObject(QString::fromLatin1(name)); }
};

struct Placed {
    const char* name;
    const char* cls;
    const char* band;
    double left, top, width, height; // millimetres
};

// Every object of the quotation page with its place.
const Placed kObjects[] = {
    {"Rich10", "TfrxRichView", "PageHeader1", 0, 1, 170, 7},
    {"Memo2", "TfrxMemoView", "PageHeader1", 0, 9, 170, 9},
    {"Shape1", "TfrxShapeView", "PageHeader1", 1, 16, 171, 1},
    {"Rich8", "TfrxRichView", "PageHeader1", 1, 21, 25, 5},
    {"Memo3", "TfrxMemoView", "PageHeader1", 15, 21, 53, 5},
    {"Rich9", "TfrxRichView", "PageHeader1", 116, 21, 21, 5},
    {"Memo4", "TfrxMemoView", "PageHeader1", 136, 21, 21, 5},
    {"Memo5", "TfrxMemoView", "PageHeader1", 151, 21, 21, 5},
    {"Line8", "TfrxLineView", "PageHeader1", 0, 35, 170, 0},
    {"Line7", "TfrxLineView", "PageHeader1", 0, 35, 0, 10},
    {"Line2", "TfrxLineView", "PageHeader1", 34, 35, 0, 10},
    {"Line3", "TfrxLineView", "PageHeader1", 110, 35, 0, 10},
    {"Line4", "TfrxLineView", "PageHeader1", 130, 35, 0, 10},
    {"Line5", "TfrxLineView", "PageHeader1", 150, 35, 0, 10},
    {"Line12", "TfrxLineView", "PageHeader1", 170, 35, 0, 10},
    {"Rich3", "TfrxRichView", "PageHeader1", 6, 38, 25, 5},
    {"Rich4", "TfrxRichView", "PageHeader1", 54, 38, 39, 5},
    {"Rich5", "TfrxRichView", "PageHeader1", 114, 38, 25, 5},
    {"Rich6", "TfrxRichView", "PageHeader1", 133, 38, 25, 5},
    {"Rich7", "TfrxRichView", "PageHeader1", 154, 38, 25, 5},
    {"Line19", "TfrxLineView", "PageHeader1", 0, 45, 170, 0},
    {"Memo7", "TfrxMemoView", "MasterData1", 1, 3, 32, 6},
    {"Memo8", "TfrxMemoView", "MasterData1", 34, 0, 75, 10},
    {"Rich13", "TfrxRichView", "MasterData1", 98, 5, 12, 5},
    {"Memo9", "TfrxMemoView", "MasterData1", 115, 3, 21, 5},
    {"Memo10", "TfrxMemoView", "MasterData1", 133.5, 3, 21, 5},
    {"Memo11", "TfrxMemoView", "MasterData1", 153, 3, 21, 5},
    {"Line20", "TfrxLineView", "MasterData1", 0, 0, 170, 0},
    {"Line22", "TfrxLineView", "MasterData1", 0, 10, 170, 0},
    {"Line18", "TfrxLineView", "MasterData1", 0, 0, 0, 10},
    {"Line14", "TfrxLineView", "MasterData1", 34, 0, 0, 10},
    {"Line15", "TfrxLineView", "MasterData1", 110, 0, 0, 10},
    {"Line16", "TfrxLineView", "MasterData1", 130, 0, 0, 10},
    {"Line17", "TfrxLineView", "MasterData1", 150, 0, 0, 10},
    {"Line21", "TfrxLineView", "MasterData1", 170, 0, 0, 10},
    {"Rich1", "TfrxRichView", "ReportSummary1", 108, 4, 25, 5},
    {"Memo19", "TfrxMemoView", "ReportSummary1", 128, 4, 29, 5},
    {"Rich2", "TfrxRichView", "ReportSummary1", 160, 4, 25, 5},
    {"Rich11", "TfrxRichView", "PageFooter1", 0, 2, 170, 6},
    {"Line11", "TfrxLineView", "PageFooter1", 0, 6, 170, 0},
    {"Rich12", "TfrxRichView", "PageFooter1", 0, 11, 170, 5},
    {"Line1", "TfrxLineView", "PageFooter1", 0, 16, 170, 0},
    {"Memo6", "TfrxMemoView", "PageFooter1", 121, 17, 48, 5},
};

TEST(QuotationTemplate, PagesBandsAndReportSettings)
{
    Loaded t;
    EXPECT_TRUE(t.report.Errors().isEmpty()) << t.report.Errors().join('\n').toStdString();
    ASSERT_EQ(t.report.PagesCount(), 2);
    EXPECT_EQ(t.report.Pages(0)->Name(), "Data");
    EXPECT_EQ(t.report.Pages(0)->Width(), 1000);
    auto* page = dynamic_cast<TfrxReportPage*>(t.report.Pages(1));
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Name(), "Page1");
    EXPECT_EQ(page->PaperSize(), 9);
    EXPECT_EQ(page->PaperWidth(), 210);
    EXPECT_EQ(page->PaperHeight(), 297);
    EXPECT_EQ(page->Orientation(), TPrinterOrientation::poPortrait);
    for (double margin : {page->LeftMargin, page->RightMargin, page->TopMargin, page->BottomMargin})
        EXPECT_EQ(margin, 20);

    const QStringList bands{"PageHeader1", "MasterData1", "ReportSummary1", "PageFooter1"};
    const QStringList classes{"TfrxPageHeader", "TfrxMasterData", "TfrxReportSummary", "TfrxPageFooter"};
    const double heights[] = {45, 10, 15, 25};
    ASSERT_EQ(page->Objects().size(), 4);
    for (int i = 0; i < 4; ++i) {
        auto* band = dynamic_cast<TfrxBand*>(page->Objects()[i]);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->Name(), bands[i]);
        EXPECT_EQ(band->ClassName(), classes[i]);
        EXPECT_NEAR(band->Width() / fr01cm, 170, 1e-4);
        EXPECT_NEAR(band->Height() / fr01cm, heights[i], 1e-4);
        EXPECT_FALSE(band->Stretched);
    }
    auto* master = static_cast<TfrxMasterData*>(t.get("MasterData1"));
    EXPECT_EQ(master->DataSet(), &t.lines);
    EXPECT_EQ(master->RowCount(), 0);

    EXPECT_EQ(t.report.Version, "4.0.11");
    EXPECT_FALSE(t.report.DotMatrixReport);
    EXPECT_EQ(t.report.PreviewOptions().Buttons, 0xFFF);
    EXPECT_TRUE(t.report.PreviewOptions().ShowCaptions);
    EXPECT_EQ(t.report.PreviewOptions().Zoom, 1.0);
    EXPECT_EQ(t.report.PrintOptions().Printer, "预设");
    EXPECT_DOUBLE_EQ(t.report.ReportOptions().CreateDate, 39728.7130210069);
    EXPECT_DOUBLE_EQ(t.report.ReportOptions().LastChange, 39728.970220081);
    EXPECT_EQ(t.report.ScriptText, (QStringList{"begin", "", "end."}));
    EXPECT_FALSE(t.report.EngineOptions().DoublePass);
    ASSERT_EQ(t.report.DataSets().Count(), 1);
    EXPECT_EQ(t.report.DataSets()[0].DataSet(), &t.lines);
    EXPECT_EQ(t.report.DataSets()[0].DataSetName(), "frxDBDataset1");
    EXPECT_EQ(t.report.Variables().Count(), 0);
}

TEST(QuotationTemplate, EveryObjectStandsWhereTheLayoutPutsIt)
{
    Loaded t;
    int objects = 0;
    for (const Placed& p : kObjects) {
        SCOPED_TRACE(p.name);
        TfrxComponent* c = t.get(p.name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->ClassName(), p.cls);
        EXPECT_EQ(c->Parent()->Name(), p.band);
        EXPECT_NEAR(c->Left(), p.left * fr01cm, 1e-4);
        EXPECT_NEAR(c->Top(), p.top * fr01cm, 1e-4);
        EXPECT_NEAR(c->Width(), p.width * fr01cm, 1e-4);
        EXPECT_NEAR(c->Height(), p.height * fr01cm, 1e-4);
        if (auto* line = dynamic_cast<TfrxLineView*>(c)) {
            EXPECT_TRUE(line->Diagonal);
            EXPECT_EQ(line->Frame().Color(), clBlack);
            EXPECT_EQ(line->GroupIndex, QByteArray(p.band) == "MasterData1" ? 2 : 0);
        }
        if (auto* memo = dynamic_cast<TfrxMemoView*>(c)) {
            EXPECT_EQ(memo->Color, clTransparent);
            EXPECT_EQ(memo->Frame().Typ, 0);
            EXPECT_TRUE(memo->AllowExpressions);
            EXPECT_TRUE(memo->WordWrap);
            EXPECT_EQ(memo->Clipped, QByteArray(p.name) != "Memo2");
            EXPECT_FALSE(memo->ParentFont());
        }
        ++objects;
    }
    // Nothing else on the page.
    EXPECT_EQ(t.report.Pages(1)->AllObjects().size(), objects + 4);
}

TEST(QuotationTemplate, TextsFontsAndFormats)
{
    Loaded t;
    auto memo = [&](const char* name) { return static_cast<TfrxMemoView*>(t.get(name)); };
    EXPECT_EQ(memo("Memo2")->Text(), "[frxDBDataset1.\"DIY_NM\"]");
    EXPECT_FALSE(memo("Memo2")->Visible());
    EXPECT_FALSE(memo("Memo2")->Printable);
    EXPECT_TRUE(memo("Memo2")->AllowHTMLTags);
    EXPECT_EQ(memo("Memo2")->Font().Name(), "宋体");
    EXPECT_EQ(memo("Memo2")->Font().Height(), -24);
    EXPECT_EQ(memo("Memo2")->Font().Style(), 1);
    EXPECT_EQ(memo("Memo3")->DataField, "DIY_ID");
    EXPECT_EQ(memo("Memo3")->DataSet(), &t.lines);
    EXPECT_EQ(memo("Memo3")->Font().Name(), "Arial");
    EXPECT_EQ(memo("Memo3")->Font().Height(), -13);
    EXPECT_EQ(memo("Memo4")->Text(), "[Date]");
    EXPECT_EQ(memo("Memo4")->DisplayFormat().Kind, TfrxFormatKind::fkDateTime);
    EXPECT_EQ(memo("Memo4")->DisplayFormat().FormatStr, "yyyy.mm.dd");
    EXPECT_EQ(memo("Memo5")->DisplayFormat().FormatStr, "hh:mm");
    EXPECT_EQ(memo("Memo5")->DisplayFormat().DecimalSeparator, ".");
    EXPECT_TRUE(memo("Memo7")->AutoWidth);
    EXPECT_EQ(memo("Memo8")->Font().Height(), -12);
    EXPECT_TRUE(memo("Memo8")->WordBreak);
    EXPECT_EQ(memo("Memo8")->VAlign, TfrxVAlign::vaCenter);
    EXPECT_EQ(memo("Memo8")->Align, TfrxAlign::baLeft);
    EXPECT_EQ(memo("Memo10")->DataField, "DIY_JG");
    EXPECT_EQ(memo("Memo19")->Text(), "[SUM(<frxDBDataset1.\"DIY_CASH\">)]");
    EXPECT_EQ(memo("Memo19")->Font().Height(), -19);
    EXPECT_EQ(memo("Memo19")->HAlign, TfrxHAlign::haRight);
    EXPECT_EQ(memo("Memo6")->Text(), "[Page#]   /   [TotalPages#]  ");
    EXPECT_TRUE(memo("Memo6")->AutoWidth);
    auto* shape = static_cast<TfrxShapeView*>(t.get("Shape1"));
    EXPECT_EQ(shape->Color, clBlack);
    EXPECT_EQ(shape->Shape, TfrxShapeKind::skRectangle);

    // Memo8 keeps its place when its band aligns: the column line at the same left edge.
    auto* band = static_cast<TfrxBand*>(t.get("MasterData1"));
    band->AlignChildren();
    EXPECT_NEAR(memo("Memo8")->Left(), 34 * fr01cm, 1e-9);
}

TEST(QuotationTemplate, RichTextsCarryTheirRtf)
{
    Loaded t;
    const struct {
        const char* name;
        const char* text;
        const char* size;
        bool bold;
    } riches[] = {
        {"Rich10", "", "\\fs40", true},      {"Rich8", "编号", "\\fs24", true},   {"Rich9", "打印日期", "\\fs24", true},
        {"Rich3", "类别项目", "\\fs24", true}, {"Rich4", "具体型号参数", "\\fs24", true},
        {"Rich5", "数量", "\\fs24", true},     {"Rich6", "单价", "\\fs24", true},   {"Rich7", "金额", "\\fs24", true},
        {"Rich13", "……", "\\fs28", false},   {"Rich1", "合计金额", "\\fs28", false}, {"Rich2", "元", "\\fs28", false},
        {"Rich11", "QMX电脑装机写单DIY  V1.0", "\\fs20", true}, {"Rich12", "QMX电脑装机写单DIY  V1.0", "\\fs20", true},
    };
    int count = 0;
    for (TfrxComponent* c : t.report.AllObjects())
        count += dynamic_cast<TfrxRichView*>(c) != nullptr;
    EXPECT_EQ(count, 13);
    QStringDecoder gbk("GBK");
    for (const auto& r : riches) {
        SCOPED_TRACE(r.name);
        auto* rich = dynamic_cast<TfrxRichView*>(t.get(r.name));
        ASSERT_NE(rich, nullptr);
        const QByteArray rtf = rich->RichText;
        EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936"));
        EXPECT_TRUE(rtf.contains("\\fcharset134 \\'cb\\'ce\\'cc\\'e5;")); // 宋体
        EXPECT_TRUE(rtf.contains("MS Sans Serif"));
        EXPECT_TRUE(rtf.contains(r.size));
        EXPECT_EQ(rtf.contains("\\b\\f0"), r.bold);
        EXPECT_TRUE(rtf.endsWith(QByteArray("}\r\n", 3) + '\0'));
        EXPECT_EQ(rich->GapX, 2);
        EXPECT_EQ(rich->GapY, 1);
        EXPECT_EQ(rich->Color, clTransparent);
        // The text in hexadecimal escapes of code page 936.
        QByteArray bytes;
        const QByteArray body = rtf.mid(rtf.indexOf("\\fs"));
        for (qsizetype i = 0; (i = body.indexOf("\\'", i)) >= 0; i += 4)
            bytes += char(body.mid(i + 2, 2).toInt(nullptr, 16));
        EXPECT_TRUE(QString(gbk(bytes)).contains(QString::fromUtf8(r.text).remove(QRegularExpression("[A-Za-z0-9. ]"))));
    }
    EXPECT_TRUE(t.get("Rich4")->ClassName() == "TfrxRichView");
    EXPECT_TRUE(static_cast<TfrxRichView*>(t.get("Rich4"))->RichText.contains("\\qc"));
    EXPECT_TRUE(static_cast<TfrxRichView*>(t.get("Rich13"))->RichText.contains("\\qr"));
    EXPECT_TRUE(static_cast<TfrxRichView*>(t.get("Rich12"))->RichText.contains("QMX"));
    EXPECT_EQ(static_cast<TfrxRichView*>(t.get("Rich10"))->DataField, "DIY_NM");
    EXPECT_FALSE(static_cast<TfrxRichView*>(t.get("Rich11"))->Printable);
    EXPECT_FALSE(t.get("Rich11")->Visible());
}

TEST(QuotationTemplate, RoundTripKeepsEveryObjectsAttributes)
{
    Loaded first;
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    first.report.SaveToStream(buffer);
    TfrxReport second;
    second.PreviewOptions() = first.report.PreviewOptions(); // a load keeps the caller's
    QBuffer in;
    in.setData(buffer.data());
    in.open(QIODevice::ReadOnly);
    second.LoadFromStream(in);
    EXPECT_TRUE(second.Errors().isEmpty());

    const QList<TfrxComponent*> a = first.report.AllObjects();
    const QList<TfrxComponent*> b = second.AllObjects();
    ASSERT_EQ(a.size(), b.size());
    TfrxXMLSerializer s;
    EXPECT_EQ(s.ObjectToAttributes(first.report), s.ObjectToAttributes(second));
    for (qsizetype i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(a[i]->Name().toStdString());
        EXPECT_EQ(a[i]->Name(), b[i]->Name());
        EXPECT_EQ(a[i]->ClassName(), b[i]->ClassName());
        EXPECT_EQ(a[i]->Parent()->Name(), b[i]->Parent()->Name());
        EXPECT_EQ(s.ObjectToAttributes(*a[i]).toStdString(), s.ObjectToAttributes(*b[i]).toStdString());
    }
    // And the stored text itself comes back byte for byte.
    EXPECT_EQ(buffer.data(), quotationTemplateText());
}

} // namespace
