// Data bands, groups, detail bands, row-count sources, growing objects, and the error lines
// of linking and validation.
#include "engine_fixture.h"

#include "report/frx_resources.h"
#include "report/model/frx_records.h"

#include <QBuffer>
#include <QImage>

using namespace enginetest;

namespace {

TEST_F(EngineTest, GroupFootersSeeTheLastRowOfTheirGroup)
{
    auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 20);
    group->Condition = QStringLiteral("<ds.\"G\">");
    memo(group, QStringLiteral("GH"), QStringLiteral("[ds.\"G\"]"));
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 20);
    memo(data, QStringLiteral("Row"), QStringLiteral("[ds.\"N\"]:[Line]:[Line#]"));
    auto* gf = band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 300, 20);
    memo(gf, QStringLiteral("GF"), QStringLiteral("[ds.\"G\"] last [ds.\"N\"] sum [SUM(<ds.\"V\">)] count [COUNT()]"));
    setRowCount(7, 3);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupHeader1")),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
    EXPECT_EQ(allTexts(pages, QStringLiteral("GroupFooter1")),
              (QStringList{QStringLiteral("A last 3 sum 60 count 3"), QStringLiteral("B last 6 sum 150 count 3"),
                           QStringLiteral("C last 7 sum 70 count 1")}));
    // Line starts again in each group; Line# runs on.
    EXPECT_EQ(allTexts(pages, QStringLiteral("MasterData1")).mid(2, 3),
              (QStringList{QStringLiteral("3:3:3"), QStringLiteral("4:1:4"), QStringLiteral("5:2:5")}));
    EXPECT_EQ(names(pages[0]).mid(0, 5), (QStringList{QStringLiteral("GroupHeader1"), QStringLiteral("MasterData1"),
                                                      QStringLiteral("MasterData1"), QStringLiteral("MasterData1"),
                                                      QStringLiteral("GroupFooter1")}));
}

TEST_F(EngineTest, AGroupConditionThatNeverChangesMakesOneGroup)
{
    auto* group = band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 100, 20);
    group->Condition = QStringLiteral("1");
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 200, 20);
    band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 300, 20);
    setRowCount(100);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    int headers = 0, footers = 0;
    for (const PageLayout& p : pages) {
        headers += int(std::count_if(p.begin(), p.end(), [](const Placed& b) { return b.name == QStringLiteral("GroupHeader1"); }));
        footers += int(std::count_if(p.begin(), p.end(), [](const Placed& b) { return b.name == QStringLiteral("GroupFooter1"); }));
    }
    EXPECT_EQ(headers, 1);
    EXPECT_EQ(footers, 1);
}

TEST_F(EngineTest, DetailRowsFollowEachMasterRowAndRowCountSourcesGiveThatManyRows)
{
    auto* master = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    memo(master, QStringLiteral("M"), QStringLiteral("m[ds.\"N\"]"));
    auto* detail = band<TfrxDetailData>(QStringLiteral("DetailData1"), 200, 20);
    detail->SetDataSet(nullptr);
    detail->SetRowCount(2);
    memo(detail, QStringLiteral("D"), QStringLiteral("d[Line]"));
    setRowCount(3);
    ASSERT_TRUE(prepare());
    const auto pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    QStringList order;
    for (const Placed& p : pages[0])
        order << p.texts.value(0);
    EXPECT_EQ(order, (QStringList{QStringLiteral("m1"), QStringLiteral("d1"), QStringLiteral("d2"), QStringLiteral("m2"),
                                  QStringLiteral("d1"), QStringLiteral("d2"), QStringLiteral("m3"), QStringLiteral("d1"),
                                  QStringLiteral("d2")}));
}

TEST_F(EngineTest, MasterRowsWithoutDetailRowsAreLeftOutUnlessPrintIfDetailEmpty)
{
    auto* master = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    memo(master, QStringLiteral("M"), QStringLiteral("m[ds.\"N\"]"));
    auto* detail = band<TfrxDetailData>(QStringLiteral("DetailData1"), 200, 20);
    TfrxUserDataSet empty;
    empty.SetName(QStringLiteral("empty"));
    empty.RangeEnd = TfrxRangeEnd::reCount;
    detail->SetDataSet(&empty);
    setRowCount(3);
    ASSERT_TRUE(prepare());
    EXPECT_TRUE(layout().empty() || allTexts(layout(), QStringLiteral("MasterData1")).isEmpty());

    static_cast<TfrxDataBand*>(report.FindObject(QStringLiteral("MasterData1")))->PrintIfDetailEmpty = true;
    ASSERT_TRUE(prepare());
    EXPECT_EQ(allTexts(layout(), QStringLiteral("MasterData1")).size(), 3);
}

TEST_F(EngineTest, OfTwoDataBandsAtOneTopOnlyTheFirstIsPrinted)
{
    auto* first = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100.001, 20);
    memo(first, QStringLiteral("A"), QStringLiteral("a"));
    auto* second = band<TfrxMasterData>(QStringLiteral("MasterData2"), 100.004, 20);
    memo(second, QStringLiteral("B"), QStringLiteral("b"));
    setRowCount(2);
    ASSERT_TRUE(prepare());
    EXPECT_TRUE(report.Errors().isEmpty());
    const auto pages = layout();
    EXPECT_EQ(allTexts(pages, QStringLiteral("MasterData1")).size(), 2);
    EXPECT_TRUE(allTexts(pages, QStringLiteral("MasterData2")).isEmpty());
}

TEST_F(EngineTest, MasterBandsRunInOrderOfTopAndTheSummarySumsTheTopmost)
{
    TfrxUserDataSet other;
    other.SetName(QStringLiteral("other"));
    other.Fields = QStringList{QStringLiteral("V")};
    other.RangeEnd = TfrxRangeEnd::reCount;
    other.RangeEndCount = 2;
    other.GetValueHandler = [](TfrxUserDataSet& self, const QString&) { return QVariant(1000 * (self.RecNo + 1)); };
    report.DataSets().Add(&report).SetDataSet(&other);
    // Child order: the lower band first.
    auto* lower = band<TfrxMasterData>(QStringLiteral("MasterData2"), 300, 20);
    memo(lower, QStringLiteral("L"), QStringLiteral("lower"));
    auto* upper = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    upper->SetDataSet(&other);
    memo(upper, QStringLiteral("U"), QStringLiteral("upper"));
    auto* summary = band<TfrxReportSummary>(QStringLiteral("ReportSummary1"), 500, 20);
    memo(summary, QStringLiteral("S"), QStringLiteral("[SUM(<other.\"V\">)]"));
    setRowCount(1);
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    EXPECT_EQ(names(pages[0]), (QStringList{QStringLiteral("MasterData1"), QStringLiteral("MasterData1"),
                                            QStringLiteral("MasterData2"), QStringLiteral("ReportSummary1")}));
    EXPECT_EQ(textsOf(pages[0], QStringLiteral("ReportSummary1")), QStringList{QStringLiteral("3000")});
}

TEST_F(EngineTest, AGrowingTextPushesTheObjectsBelowItAndStretchesItsBand)
{
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 40);
    data->Stretched = true;
    auto* tall = memo(data, QStringLiteral("Tall"), QStringLiteral("one\ntwo\nthree\nfour"), 0, 18);
    tall->StretchMode = TfrxStretchMode::smActualHeight;
    memo(data, QStringLiteral("Below"), QStringLiteral("below"), 20, 18);
    auto* beside = memo(data, QStringLiteral("Beside"), QStringLiteral("beside"), 20, 18);
    beside->SetLeft(200);
    setRowCount(2);
    ASSERT_TRUE(prepare());
    TfrxReportPage* prepared = shell.PreviewPages().GetPreparedPage(0);
    ASSERT_EQ(prepared->Objects().size(), 2);
    auto* row = prepared->Objects()[0];
    const auto child = [row](const QString& name) {
        for (TfrxComponent* c : row->Objects())
            if (c->Name() == name)
                return c;
        return static_cast<TfrxComponent*>(nullptr);
    };
    const double growth = child(QStringLiteral("Tall"))->Height() - 18;
    EXPECT_GT(growth, 30);
    EXPECT_NEAR(child(QStringLiteral("Below"))->Top(), 20 + growth, 1e-6);
    EXPECT_DOUBLE_EQ(child(QStringLiteral("Beside"))->Top(), 20);
    EXPECT_NEAR(row->Height(), 38 + growth, 1e-6);
    EXPECT_NEAR(prepared->Objects()[1]->Top(), row->Top() + row->Height(), 1e-6);
    // The template keeps its designed sizes.
    EXPECT_DOUBLE_EQ(static_cast<TfrxComponent*>(report.FindObject(QStringLiteral("Tall")))->Height(), 18);
    EXPECT_DOUBLE_EQ(static_cast<TfrxComponent*>(report.FindObject(QStringLiteral("MasterData1")))->Height(), 40);
}

TEST_F(EngineTest, NamedStylesAndFieldPicturesReachThePreparedObjects)
{
    TfrxStyleItem& style = report.Styles().Add();
    style.Name = QStringLiteral("Warning");
    style.Color = 0x0000FF;
    style.Font().SetSize(17);
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 40);
    memo(data, QStringLiteral("Styled"), QStringLiteral("x"))->Style = QStringLiteral("warning");
    auto* picture = new TfrxPictureView(data);
    picture->SetName(QStringLiteral("Pic"));
    picture->SetBounds(120, 0, 20, 20);
    picture->SetDataSet(&ds);
    picture->DataField = QStringLiteral("V");
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    image.save(&buffer, "PNG");
    setRowCount(1);
    ds.GetValueHandler = [png](TfrxUserDataSet& self, const QString& field) {
        return field == QStringLiteral("V") && self.RecNo == 0 ? QVariant(png) : QVariant();
    };
    ASSERT_TRUE(prepare());
    TfrxReportPage* prepared = shell.PreviewPages().GetPreparedPage(0);
    TfrxComponent* row = prepared->Objects().value(0);
    ASSERT_NE(row, nullptr);
    auto* styled = dynamic_cast<TfrxMemoView*>(row->Objects().value(0));
    ASSERT_NE(styled, nullptr);
    EXPECT_EQ(styled->Font().Size(), 17);
    EXPECT_EQ(styled->Color, 0x0000FF);
    auto* shown = dynamic_cast<TfrxPictureView*>(row->Objects().value(1));
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(QImage::fromData(shown->Picture).size(), QSize(3, 2));
}

// Every line of linking and validation, each naming its band.
TEST_F(EngineTest, BandsTheLinkingCannotPlaceAreReported)
{
    band<TfrxGroupHeader>(QStringLiteral("LonelyGroup"), 500, 10);
    band<TfrxGroupFooter>(QStringLiteral("LonelyGroupFooter"), 50, 10);
    band<TfrxHeader>(QStringLiteral("LonelyHeader"), 60, 10);
    band<TfrxFooter>(QStringLiteral("LonelyFooter"), 70, 10);
    band<TfrxDetailData>(QStringLiteral("OrphanDetail"), 80, 10);
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 10);
    setRowCount(1);
    EXPECT_FALSE(prepare());
    const QStringList expected{
        frxGet(QStringLiteral("enUnconnGroup")) + QStringLiteral(" LonelyGroup"),
        frxGet(QStringLiteral("enUnconnGFooter")) + QStringLiteral(" LonelyGroupFooter"),
        frxGet(QStringLiteral("enUnconnHeader")) + QStringLiteral(" LonelyHeader"),
        frxGet(QStringLiteral("enUnconnHeader")) + QStringLiteral(" LonelyFooter"),
        frxGet(QStringLiteral("enBandPos")) + QStringLiteral(" OrphanDetail"),
    };
    for (const QString& line : expected)
        EXPECT_TRUE(report.Errors().contains(line)) << line.toStdString();
    EXPECT_EQ(report.Errors().size(), expected.size());
    EXPECT_EQ(shell.PreviewPages().PageCount(), 0);
}

TEST_F(EngineTest, OneDataSourceAtTwoLevelsIsRefused)
{
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 10);
    setRowCount(1);
    report.SetDataSet(&ds);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("Cannot use the same dataset for Report.DataSet and Band.DataSet")});

    report.SetDataSet(&ds);
    static_cast<TfrxReportPage*>(report.FindObject(QStringLiteral("Page1")))->SetDataSet(&ds);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("Cannot use the same dataset for Report.DataSet and Page.DataSet")});

    report.SetDataSet(nullptr);
    static_cast<TfrxReportPage*>(report.FindObject(QStringLiteral("Page1")))->SetDataSet(&ds);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{QStringLiteral("Cannot use the same dataset for Page.DataSet and Band.DataSet")});
}

TEST_F(EngineTest, MissingAndUnconnectedDataSourcesStopThePreparation)
{
    band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 10);
    report.DataSets().Add(&report).SetDataSetName(QStringLiteral("nowhere"));
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{frxGet(QStringLiteral("clDSNotExist")).replace(QStringLiteral("%s"), QStringLiteral("nowhere"))});

    report.DataSets().Delete(1);
    TfrxDBDataset unconnected;
    unconnected.SetName(QStringLiteral("lines"));
    report.DataSets().Add(&report).SetDataSet(&unconnected);
    EXPECT_FALSE(prepare());
    EXPECT_EQ(report.Errors(), QStringList{frxGet(QStringLiteral("dbNotConn")).replace(QStringLiteral("%s"), QStringLiteral("lines"))});
}

} // namespace

// A text object bound to a field of a host-fed data source shows the host's values (the
// source has no display text of its own).
TEST_F(EngineTest, TextsBoundToAUserDataSourceShowItsValues)
{
    TfrxUserDataSet other;
    other.SetName(QStringLiteral("other"));
    other.Fields = QStringList{QStringLiteral("N"), QStringLiteral("S"), QStringLiteral("E")};
    other.RangeEnd = TfrxRangeEnd::reCount;
    other.RangeEndCount = 2;
    other.GetValueHandler = [](TfrxUserDataSet& self, const QString& field) {
        if (field == QStringLiteral("N"))
            return QVariant(12.5 * (self.RecNo + 1));
        return field == QStringLiteral("S") ? QVariant(QStringLiteral("行%1").arg(self.RecNo + 1)) : QVariant();
    };
    report.DataSets().Add(&report).SetDataSet(&other);
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    data->SetDataSet(&other);
    for (const char* field : {"N", "S", "E"}) {
        TfrxMemoView* bound = memo(data, QString::fromLatin1(field), QString());
        bound->SetDataSet(&other);
        bound->DataField = QString::fromLatin1(field);
    }
    ASSERT_TRUE(prepare()) << report.Errors().join(u'\n').toStdString();
    const auto pages = layout();
    QStringList shown;
    for (const Placed& p : pages[0])
        if (p.name == QStringLiteral("MasterData1"))
            shown << p.texts.value(0) << p.texts.value(1) << p.texts.value(2);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("12.5"), QStringLiteral("行1"), QString(), QStringLiteral("25"),
                                  QStringLiteral("行2"), QString()}));
}
