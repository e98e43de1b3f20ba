// Template storage: the serialiser's attribute text, trees, unknown classes, passwords,
// the data page, options kept by a load and the round trip around a run.
#include "report/frx_resources.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/model/extra_data.h"
#include "report/storage/xml_serializer.h"
#include "report/xml/xml_form.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace report;

QT_BEGIN_NAMESPACE
// Readable failures for the XML bytes.
inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << bytes.toStdString();
}
QT_END_NAMESPACE

namespace {

QByteArray save(TfrxReport& report)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    report.SaveToStream(buffer);
    return buffer.data();
}

void load(TfrxReport& report, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
}

struct Sample {
    TfrxReport report;
    TfrxDataPage* data = new TfrxDataPage(&report);
    TfrxReportPage* page = new TfrxReportPage(&report);
    TfrxMasterData* band = new TfrxMasterData(page);
    TfrxMemoView* memo = new TfrxMemoView(band);
    Sample()
    {
        data->SetName(QStringLiteral("Data"));
        page->SetName(QStringLiteral("Page1"));
        band->SetName(QStringLiteral("MasterData1"));
        memo->SetName(QStringLiteral("Memo1"));
        memo->SetBounds(3.77953, 11.33859, 128.50402, 18.89765);
    }
};

TEST(Serializer, AttributesListOnlyWhatDiffersFromTheDefaults)
{
    TfrxMemoView memo;
    memo.HAlign = TfrxHAlign::haCenter;
    memo.Font().SetStyle(setBit(TFontStyle::fsBold));
    memo.SetText(QStringLiteral("a\"b"));
    TfrxXMLSerializer s;
    const QByteArray text = s.ObjectToAttributes(memo);
    EXPECT_TRUE(text.contains(" HAlign=\"haCenter\""));
    EXPECT_TRUE(text.contains(" Font.Style=\"1\""));
    EXPECT_TRUE(text.contains(" Font.Height=\"-13\""));
    EXPECT_TRUE(text.contains(" Left=\"0\""));
    EXPECT_TRUE(text.endsWith(" Text=\"a&#34;b\""));
    EXPECT_FALSE(text.contains("WordWrap"));
    EXPECT_FALSE(text.contains("GapX"));
    EXPECT_FALSE(text.startsWith(" Name="));
    EXPECT_FALSE(text.contains("Frame.LeftLine"));
    memo.Frame().LeftLine().Color = clRed;
    EXPECT_TRUE(s.ObjectToAttributes(memo).contains(" Frame.LeftLine.Color=\"255\""));

    // Against an ancestor only the differences remain.
    TfrxMemoView ancestor;
    ancestor.Assign(memo);
    ancestor.SetLeft(5);
    const QByteArray diff = s.ObjectToAttributes(memo, {}, &ancestor);
    EXPECT_EQ(diff, " Left=\"0\"");
}

TEST(Serializer, CommaAndPointDecimalsAndBadValues)
{
    TfrxMemoView memo;
    TfrxXMLSerializer s;
    s.AttributesToObject(" Left=\"12,5\" Top=\"7.25\" Width=\"1 000,5\" HAlign=\"2\" VAlign=\"vaBottom\"", memo);
    EXPECT_EQ(memo.Left(), 12.5);
    EXPECT_EQ(memo.Top(), 7.25);
    EXPECT_EQ(memo.Width(), 1000.5);
    EXPECT_EQ(memo.HAlign, TfrxHAlign::haCenter);
    EXPECT_EQ(memo.VAlign, TfrxVAlign::vaBottom);
    EXPECT_TRUE(s.Errors().isEmpty());

    s.AttributesToObject(" Height=\"tall\" HAlign=\"haNowhere\" Rotation=\"x\" GapX=\"3\" NoSuch=\"1\" Font.Nope=\"1\"", memo);
    EXPECT_EQ(memo.GapX, 3); // the scan went on
    EXPECT_EQ(s.Errors().size(), 3);
    EXPECT_TRUE(s.Errors().contains("'tall' is not a valid floating point value"));
    EXPECT_TRUE(s.Errors().contains("Invalid property value: HAlign=haNowhere"));

    // Enumeration and boolean values in any letter case, padded, or as ordinals.
    TfrxXMLSerializer t;
    t.AttributesToObject(" HAlign=\"HARIGHT\" VAlign=\" vaCenter \" WordWrap=\"false\" Clipped=\"0\""
                         " AutoWidth=\"TRUE\" Underlines=\"1\" Rotation=\"-90\"", memo);
    EXPECT_TRUE(t.Errors().isEmpty()) << t.Errors().join(u'\n').toStdString();
    EXPECT_EQ(memo.HAlign, TfrxHAlign::haRight);
    EXPECT_EQ(memo.VAlign, TfrxVAlign::vaCenter);
    EXPECT_FALSE(memo.WordWrap);
    EXPECT_FALSE(memo.Clipped);
    EXPECT_TRUE(memo.AutoWidth);
    EXPECT_TRUE(memo.Underlines);
    EXPECT_EQ(memo.Rotation, -90);
    t.AttributesToObject(" HAlign=\"7\" WordWrap=\"yes\" VAlign=\"va_Top\"", memo);
    EXPECT_EQ(t.Errors().size(), 3);
    EXPECT_EQ(memo.HAlign, TfrxHAlign::haRight);
}

TEST(Serializer, ShortNamesAndMemoTexts)
{
    TfrxMemoView memo;
    TfrxXMLSerializer s;
    s.AttributesToObject(" l=\"1\" t=\"2\" w=\"3\" h=\"4\" u=\"" + EscapeXML(QStringLiteral("编号\r\n第二行").toUtf8()) + '"', memo);
    EXPECT_EQ(memo.Width(), 3);
    EXPECT_EQ(memo.Memo, (QStringList{"编号", "第二行"}));
    // Text that is not UTF-8 is read as GBK.
    const QByteArray gbk("\xb1\xe0\xba\xc5"); // 编号
    s.AttributesToObject(" Style=\"" + gbk + '"', memo);
    EXPECT_EQ(memo.Style, "编号");
}

TEST(Serializer, EmptyLinesAtTheEndOfATextSurviveEverySave)
{
    // Lines are stored joined by CR LF: a text whose last lines are empty ends in a line
    // break, and reading it back must give the same lines, not one fewer per save.
    const QStringList cases[] = {
        {"a", ""},
        {"a", "", ""},
        {"", ""},
        {"[Date]", "", "x", ""},
    };
    for (const QStringList& lines : cases) {
        TfrxMemoView memo;
        memo.Memo = lines;
        TfrxXMLSerializer s;
        const QByteArray text = s.ObjectToAttributes(memo);
        TfrxMemoView read;
        s.AttributesToObject(text, read);
        EXPECT_EQ(read.Memo, lines) << text.toStdString();
        TfrxMemoView shortForm;
        s.AttributesToObject(" u=\"" + EscapeXML(lines.join("\r\n").toUtf8()) + '"', shortForm);
        EXPECT_EQ(shortForm.Memo, lines);
    }
    // Lone carriage returns break lines as well; the text then settles after one save.
    TfrxMemoView memo;
    TfrxXMLSerializer s;
    s.AttributesToObject(" Text=\"a&#13;&#13;\"", memo);
    EXPECT_EQ(memo.Memo, (QStringList{"a", "", ""}));
    TfrxMemoView again;
    s.AttributesToObject(s.ObjectToAttributes(memo), again);
    EXPECT_EQ(again.Memo, memo.Memo);
}

TEST(Serializer, SingleObjects)
{
    TfrxMasterData band;
    TfrxXMLSerializer s;
    TfrxComponent* made = s.StringToObject(&band, "TfrxShapeView Shape=\"skEllipse\" Left=\"4\"");
    ASSERT_NE(dynamic_cast<TfrxShapeView*>(made), nullptr);
    EXPECT_EQ(static_cast<TfrxShapeView*>(made)->Shape, TfrxShapeKind::skEllipse);
    EXPECT_EQ(made->Parent(), &band);
    EXPECT_TRUE(s.ObjectToString(*made).startsWith("TfrxShapeView Left=\"4\""));
    EXPECT_EQ(s.StringToObject(&band, "TfrxNoSuchView Left=\"1\""), nullptr);
    EXPECT_EQ(s.Errors(), QStringList{frxGet(QStringLiteral("xrCantFindClass")) + " TfrxNoSuchView"});
}

TEST(TemplateStorage, RoundTripKeepsObjectsFontsTextsAndDataSets)
{
    Sample a;
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    a.report.DataSets().Add(&a.report).SetDataSet(&lines);
    a.band->SetDataSet(&lines);
    a.memo->SetText(QStringLiteral("q\"&<>\r\nline2 &quot; 宋体"));
    a.memo->Font().SetName(QStringLiteral("宋体"));
    a.memo->Font().SetCharset(134);
    a.memo->DisplayFormat().Kind = TfrxFormatKind::fkDateTime;
    a.memo->DisplayFormat().FormatStr = QStringLiteral("yyyy.mm.dd");
    a.memo->DataField = QStringLiteral("DIY_ID");
    a.memo->SetDataSet(&lines);
    auto* rich = new TfrxRichView(a.band);
    rich->SetName(QStringLiteral("Rich1"));
    rich->RichText = QByteArray("{\\rtf1\\ansi}\r\n", 15) + '\0';
    const QByteArray bytes = save(a.report);
    EXPECT_TRUE(bytes.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
    EXPECT_TRUE(bytes.contains("PropData=\"08526963684564697"));

    TfrxReport b;
    load(b, bytes);
    EXPECT_TRUE(b.Errors().isEmpty()) << b.Errors().join('\n').toStdString();
    auto* memo = dynamic_cast<TfrxMemoView*>(b.FindObject(QStringLiteral("Memo1")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Text(), "q\"&<>\r\nline2 \" 宋体"); // "&quot;" comes back as one quote
    EXPECT_DOUBLE_EQ(memo->Top(), 11.33859);
    EXPECT_EQ(memo->Font().Name(), "宋体");
    EXPECT_EQ(memo->Font().Charset(), 134);
    EXPECT_FALSE(memo->ParentFont());
    EXPECT_EQ(memo->DisplayFormat().FormatStr, "yyyy.mm.dd");
    EXPECT_EQ(memo->DataSet(), &lines);
    EXPECT_EQ(memo->Parent()->Name(), "MasterData1");
    EXPECT_EQ(static_cast<TfrxMasterData*>(memo->Parent())->DataSet(), &lines);
    ASSERT_EQ(b.DataSets().Count(), 1);
    EXPECT_EQ(b.DataSets()[0].DataSet(), &lines);
    EXPECT_EQ(b.DataSets()[0].DataSetName(), "frxDBDataset1");
    EXPECT_EQ(static_cast<TfrxRichView*>(b.FindObject(QStringLiteral("Rich1")))->RichText, rich->RichText);
    EXPECT_EQ(save(b), bytes);
}

TEST(TemplateStorage, ReferenceToAnObjectOfAnotherKindFallsBackToTheDataSource)
{
    // An object of the report bears the name of the program's data source: the band's
    // reference must still reach the data source, not stay empty.
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("HWLines"));
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
        "<TfrxMasterData Name=\"MasterData1\" DataSet=\"HWLines\">"
        "<TfrxMemoView Name=\"hwlines\" DataSet=\"HWLines\" FlowTo=\"MasterData1\"/>"
        "<TfrxMemoView Name=\"Memo2\" FlowTo=\"HWLINES\"/>"
        "</TfrxMasterData></TfrxReportPage></TfrxReport>";
    TfrxReport report;
    load(report, xml);
    EXPECT_TRUE(report.Errors().isEmpty()) << report.Errors().join('\n').toStdString();
    const auto* band = dynamic_cast<TfrxMasterData*>(report.FindObject(QStringLiteral("MasterData1")));
    const auto* memo = dynamic_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("hwlines")));
    const auto* memo2 = dynamic_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Memo2")));
    ASSERT_TRUE(band && memo && memo2);
    EXPECT_EQ(band->DataSet(), &lines);
    EXPECT_EQ(memo->DataSet(), &lines);
    EXPECT_EQ(memo->FlowTo(), nullptr); // a band is no text object, and no data source has its name
    EXPECT_EQ(memo2->FlowTo(), memo);   // the object of the report wins where it fits
    EXPECT_EQ(save(report), [&] {
        TfrxReport again;
        load(again, save(report));
        return save(again);
    }());
}

TEST(TemplateStorage, ABadAttributeCostsOnlyItself)
{
    // A malformed number, and a second element of the same name whose reference ends in a
    // dot: the object keeps its binding to the program's data source. A name ending in a
    // dot must not find the data bands' own sources, which have no name.
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
        "<TfrxMasterData Name=\"MasterData1\" DataSet=\"frxDBDataset1\">"
        "<TfrxMemoView Name=\"Memo9\" DataField=\"DIY_SL\" DataSet=\"frxDBDataset1\" DataSetName=\"frxDBDataset1\""
        " Font.Height=\"!13\" Font.Name=\"Arial\" Top=\"11.33859\"/>"
        "<TfrxMemoView Name=\"Memo9\" DataSet=\"frxN6report18Tfr$1.;end.\"/>"
        "</TfrxMasterData></TfrxReportPage></TfrxReport>";
    TfrxReport report;
    load(report, xml);
    EXPECT_EQ(report.Errors(), QStringList{"'!13' is not a valid integer value"});
    const auto* memo = dynamic_cast<TfrxMemoView*>(report.FindObject(QStringLiteral("Memo9")));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->DataSet(), &lines);
    EXPECT_EQ(memo->DataField, "DIY_SL");
    EXPECT_EQ(memo->Font().Height(), TfrxFont().Height());
    EXPECT_EQ(memo->Font().Name(), "Arial");
    EXPECT_DOUBLE_EQ(memo->Top(), 11.33859);

    const QByteArray first = save(report);
    EXPECT_TRUE(first.contains("DataSet=\"frxDBDataset1\" DataSetName=\"frxDBDataset1\"")) << first.toStdString();
    TfrxReport again;
    load(again, first);
    EXPECT_TRUE(again.Errors().isEmpty());
    EXPECT_EQ(save(again), first);
}

TEST(TemplateStorage, DamagedPropDataIsAnErrorLineAndKeepsWhatWasRead)
{
    ExtraDataWriter w;
    w.writeBinaryProperty(QStringLiteral("RichEdit"), QByteArray("{\\rtf1}"));
    const QByteArray good = w.data().toHex().toUpper();
    TfrxRichView rich;
    rich.SetName(QStringLiteral("Rich5"));
    TfrxXMLSerializer s;
    s.AttributesToObject(" PropData=\"" + good + "\"", rich);
    EXPECT_TRUE(s.Errors().isEmpty());
    EXPECT_EQ(rich.RichText, "{\\rtf1}");

    // Cut short, a letter that is no digit, an odd count of digits: each is reported, and
    // the attributes after it are still applied.
    const QByteArray damaged[] = {good.left(good.size() - 4), good.left(20) + 'z' + good.mid(21), good + '0'};
    for (const QByteArray& hex : damaged) {
        SCOPED_TRACE(hex.toStdString());
        TfrxRichView other;
        other.SetName(QStringLiteral("Rich5"));
        TfrxXMLSerializer t;
        t.AttributesToObject(" PropData=\"" + hex + "\" GapX=\"7\"", other);
        ASSERT_EQ(t.Errors().size(), 1);
        EXPECT_TRUE(t.Errors()[0].startsWith("Invalid property value: Rich5.PropData (")) << t.Errors()[0].toStdString();
        EXPECT_TRUE(other.RichText.isEmpty());
        EXPECT_EQ(other.GapX, 7);
    }

    // The report's own data: a data source entry that cannot be read is reported by the
    // load, the entries before it stay.
    TfrxReport report;
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    report.DataSets().Add(&report).SetDataSet(&lines);
    ExtraDataWriter data;
    report.WriteExtraData(data);
    TfrxReport read;
    TfrxXMLSerializer u;
    u.AttributesToObject(" PropData=\"" + data.data().left(data.data().size() - 3).toHex() + '"', read);
    ASSERT_EQ(u.Errors().size(), 1);
    EXPECT_TRUE(u.Errors()[0].startsWith("Invalid property value: PropData ("));
    ASSERT_EQ(read.DataSets().Count(), 1);
    EXPECT_EQ(read.DataSets()[0].DataSet(), &lines);
}

TEST(TemplateStorage, UnknownClassIsSkippedWithItsChildrenAndOneErrorLine)
{
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
        "<TfrxChartView Name=\"Chart1\"><TfrxMemoView Name=\"Inner\"/></TfrxChartView>"
        "<TfrxMasterData Name=\"MasterData1\" Height=\"20\"><TfrxMemoView Name=\"Memo1\" Text=\"x\"/></TfrxMasterData>"
        "</TfrxReportPage></TfrxReport>";
    TfrxReport report;
    QStringList shown;
    TfrxReport::setErrorReporter([&](const QString& text) { shown.append(text); });
    load(report, xml);
    TfrxReport::setErrorReporter(nullptr);
    EXPECT_EQ(report.Errors(), QStringList{"不明的类别 TfrxChartView"});
    EXPECT_EQ(report.FindObject(QStringLiteral("Inner")), nullptr);
    ASSERT_NE(report.FindObject(QStringLiteral("Memo1")), nullptr);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0], "发生下列的错误:\n不明的类别 TfrxChartView");
}

TEST(TemplateStorage, NamesMapToOneObjectIgnoringCaseWhileATreeIsRead)
{
    // An element with a known name (in any letter case) updates that object; a rename frees
    // the old name, and taking another object's name fails and keeps the name.
    const QByteArray xml =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
        "<TfrxMasterData Name=\"MasterData1\">"
        "<TfrxMemoView Name=\"Memo1\" Left=\"1\"/>"
        "<TfrxMemoView Name=\"MEMO1\" Top=\"2\"/>"
        "<TfrxMemoView Name=\"Memo2\" Name=\"memo1\"/>"
        "<TfrxMemoView Name=\"Memo3\" Name=\"Memo4\"/>"
        "<TfrxMemoView Name=\"memo3\" Left=\"5\"/>"
        "</TfrxMasterData></TfrxReportPage></TfrxReport>";
    TfrxReport report;
    TfrxReport::setErrorReporter([](const QString&) {});
    load(report, xml);
    TfrxReport::setErrorReporter(nullptr);
    EXPECT_EQ(report.Errors(), QStringList{frxGet(QStringLiteral("prDupl"))});
    const auto* band = report.FindObject(QStringLiteral("MasterData1"));
    ASSERT_NE(band, nullptr);
    QStringList names;
    for (const TfrxComponent* c : band->Objects())
        names.append(c->Name());
    EXPECT_EQ(names, (QStringList{"Memo1", "Memo2", "Memo4", "memo3"}));
    EXPECT_EQ(band->Objects()[0]->Left(), 1);
    EXPECT_EQ(band->Objects()[0]->Top(), 2);
    EXPECT_EQ(band->Objects()[3]->Left(), 5);
}

TEST(TemplateStorage, MissingDataPageIsAddedFirst)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport>"
                           "<TfrxReportPage Name=\"Page1\"/></TfrxReport>";
    TfrxReport report;
    load(report, xml);
    ASSERT_EQ(report.PagesCount(), 2);
    EXPECT_EQ(report.Pages(0)->ClassName(), "TfrxDataPage");
    EXPECT_EQ(report.Pages(0)->Name(), "Data");
    EXPECT_EQ(report.Pages(1)->Name(), "Page1");

    const QByteArray taken = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport>"
                             "<TfrxReportPage Name=\"Data\"><TfrxUserDataSet Name=\"U\" Left=\"1\"/></TfrxReportPage>"
                             "</TfrxReport>";
    load(report, taken);
    EXPECT_EQ(report.Pages(0)->Name(), "DataPage1");
    auto* moved = report.FindObject(QStringLiteral("U"));
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->Parent(), report.Pages(0));
    EXPECT_EQ(moved->Left(), 60);
    EXPECT_EQ(moved->Top(), 20);
}

TEST(TemplateStorage, PasswordIsStoredTenCodesLower)
{
    Sample a;
    a.report.ReportOptions().Password = QStringLiteral("secret");
    const QByteArray bytes = save(a.report);
    EXPECT_TRUE(bytes.contains("ReportOptions.Password=\"i[Yh[j\""));
    EXPECT_EQ(a.report.ReportOptions().Password, "secret");

    // The same report opens it without asking; another one asks.
    load(a.report, bytes);
    EXPECT_EQ(a.report.ReportOptions().Password, "secret");
    EXPECT_NE(a.report.FindObject(QStringLiteral("Memo1")), nullptr);

    TfrxReport wrong;
    int asked = 0;
    TfrxReport::setPasswordPrompt([&](QString& typed) {
        ++asked;
        typed = QStringLiteral("Secret");
        return true;
    });
    load(wrong, bytes);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(wrong.PagesCount(), 0);

    TfrxReport right;
    TfrxReport::setPasswordPrompt([](QString& typed) {
        typed = QStringLiteral("secret");
        return true;
    });
    load(right, bytes);
    TfrxReport::setPasswordPrompt(nullptr);
    EXPECT_NE(right.FindObject(QStringLiteral("Memo1")), nullptr);
    EXPECT_EQ(right.PreviousPassword, "secret");
}

TEST(TemplateStorage, AnyPasswordReadsBackAsTyped)
{
    // Characters whose lowered code would fall among the surrogates, or below zero.
    const QString typed = QString::fromUtf8(" 密码 î ð");
    Sample a;
    a.report.ReportOptions().Password = typed;
    const QByteArray bytes = save(a.report);
    load(a.report, bytes);
    EXPECT_EQ(a.report.ReportOptions().Password, typed);
    EXPECT_NE(a.report.FindObject(QStringLiteral("Memo1")), nullptr);
}

TEST(TemplateStorage, LoadKeepsTheCallersOptionsButTheOutlineOnes)
{
    Sample a;
    a.report.PreviewOptions().OutlineVisible = true;
    a.report.PreviewOptions().OutlineWidth = 200;
    a.report.PreviewOptions().Zoom = 2;
    a.report.EngineOptions().DoublePass = true;
    a.report.EngineOptions().MaxMemSize = 50;
    a.report.IniFile = QStringLiteral("\\Software\\Other");
    a.report.ShowProgress = false;
    const QByteArray bytes = save(a.report);

    TfrxReport b;
    b.IniFile = QStringLiteral("\\Software\\Mine");
    b.ShowProgress = true;
    b.PreviewOptions().Zoom = 1.5;
    load(b, bytes);
    EXPECT_EQ(b.IniFile, "\\Software\\Mine");
    EXPECT_TRUE(b.ShowProgress);
    EXPECT_EQ(b.PreviewOptions().Zoom, 1.5);
    EXPECT_TRUE(b.PreviewOptions().OutlineVisible);
    EXPECT_EQ(b.PreviewOptions().OutlineWidth, 200);
    EXPECT_TRUE(b.EngineOptions().DoublePass);
    EXPECT_EQ(b.EngineOptions().MaxMemSize, 10);
}

TEST(TemplateStorage, MalformedTextKeepsWhatWasRead)
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport>"
                           "<TfrxReportPage Name=\"Page1\"><TfrxMasterData Name=\"MasterData1\"></TfrxPageHeader>";
    TfrxReport report;
    load(report, xml);
    EXPECT_EQ(report.LoadFailure, "Invalid file format");
    EXPECT_NE(report.FindObject(QStringLiteral("MasterData1")), nullptr);
}

TEST(TemplateStorage, EveryRunStartsFromTheSameTemplate)
{
    Sample a;
    a.report.ReportOptions().Password = QStringLiteral("pw");
    const QByteArray before = save(a.report);
    for (int run = 0; run < 2; ++run) {
        const QByteArray saved = a.report.SaveTemplateForRun();
        // What a run might do: move and hide objects, add new ones, collect errors.
        auto* memo = a.report.FindObject(QStringLiteral("Memo1"));
        memo->SetLeft(500);
        static_cast<TfrxMemoView*>(memo)->SetVisible(false);
        new TfrxMemoView(static_cast<TfrxComponent*>(a.band));
        a.report.AddError(QStringLiteral("run error"));
        a.report.RestoreTemplate(saved);
        a.band = static_cast<TfrxMasterData*>(a.report.FindObject(QStringLiteral("MasterData1")));
        EXPECT_EQ(save(a.report), before) << "run " << run;
        EXPECT_EQ(a.report.Errors(), QStringList{"run error"});
        EXPECT_EQ(a.report.ReportOptions().Password, "pw");
    }
}

TEST(ExtraData, ReaderRejectsDamagedDataWithoutReadingPastTheEnd)
{
    ExtraDataWriter w;
    w.writeBinaryProperty(QStringLiteral("RichEdit"), QByteArray(10, 'x'));
    QByteArray data = w.data();
    data.chop(3);
    TfrxRichView rich;
    ExtraDataReader r(data);
    EXPECT_FALSE(r.readProperties(rich).isEmpty());
    EXPECT_TRUE(rich.RichText.isEmpty());
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
}

} // namespace

namespace {

TEST(TemplateStorage, AncestorTemplateIsLoadedAndMarkedInherited)
{
    // The ancestor supplied by the host; the inheriting template's elements update its
    // objects by name.
    Sample ancestor;
    const QByteArray ancestorBytes = save(ancestor.report);
    TfrxReport report;
    report.OnLoadTemplate = [&](TfrxReport& r, const QString& name) {
        EXPECT_EQ(name, "base.xml");
        QBuffer buffer;
        buffer.setData(ancestorBytes);
        buffer.open(QIODevice::ReadOnly);
        r.LoadFromStream(buffer);
    };
    const QByteArray xml = "<?xml version=\"1.0\"?><TfrxReport ParentReport=\"base.xml\"><inherited Name=\"Page1\">"
                           "<inherited Name=\"MasterData1\"><inherited Name=\"Memo1\" Left=\"99\"/></inherited>"
                           "</inherited></TfrxReport>";
    load(report, xml);
    auto* memo = report.FindObject(QStringLiteral("Memo1"));
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->Left(), 99);
    EXPECT_TRUE(memo->IsAncestor);
    EXPECT_EQ(report.ParentReport(), "base.xml");
    EXPECT_THROW(memo->SetName(QStringLiteral("Other")), ReportError);

    // A report is no element of another report.
    const QByteArray nested = "<?xml version=\"1.0\"?><TfrxReport><TfrxReport Name=\"R\" ParentReport=\"zz\">"
                              "<TfrxMemoView Name=\"M\"/></TfrxReport></TfrxReport>";
    TfrxReport outer;
    load(outer, nested);
    EXPECT_EQ(outer.FindObject(QStringLiteral("M")), nullptr);
    EXPECT_EQ(outer.Errors(), QStringList{"不明的类别 TfrxReport"});
}

} // namespace
