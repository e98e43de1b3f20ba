// Aggregates: registration over the bands, taking, reading, resetting, running totals,
// invisible rows, keep blocks and taking back.
#include "calc_fixture.h"

#include "report/calc/frx_text_data.h"

using namespace calctest;

namespace {

class AggregateTest : public CalcTest {
protected:
    // Outputs every row of the data band, as the engine does.
    void printRows(bool visible = true)
    {
        for (ds.First(); !ds.Eof(); ds.Next())
            calc.Aggregates().AddValue(master, visible);
    }

    // The text a text object of the band shows now.
    QString show(TfrxBand* band, TfrxMemoView* m, const QString& text)
    {
        calc.SetCurrentBand(band);
        calc.SetCurrentObjectName(m->Name());
        m->SetText(text);
        getMemoData(calc, *m);
        return m->Text();
    }
};

TEST_F(AggregateTest, SummaryOverZeroRowsIsZeroAndDataBandCallsAreNull)
{
    const QString sum = QStringLiteral("[SUM(<ds.\"A\">)]");
    TfrxMemoView* total = memo(summary, QStringLiteral("Total"), sum);
    TfrxMemoView* inBand = memo(master, QStringLiteral("InBand"), sum);
    calc.Aggregates().AddItems(*page);
    ASSERT_EQ(calc.Aggregates().Items().size(), 1u);
    EXPECT_EQ(calc.Aggregates().Items()[0].callText, QStringLiteral("SUM(<ds.\"A\">)"));
    setRows({});
    printRows();
    EXPECT_EQ(show(summary, total, sum), QStringLiteral("0"));
    setRows({row(2), row(3.5)});
    printRows();
    EXPECT_EQ(show(summary, total, sum), QStringLiteral("5.5"));
    EXPECT_EQ(show(master, inBand, sum), QString());
    EXPECT_TRUE(report.Errors().isEmpty());
}

TEST_F(AggregateTest, PageFooterSumsThePageAndRunningSumsGoOn)
{
    const QString page = QStringLiteral("[SUM(<ds.\"A\">)]");
    const QString running = QStringLiteral("[SUM(<ds.\"A\">, MasterData1, 2)]");
    TfrxMemoView* m = memo(pageFooter, QStringLiteral("PageSum"), page + u'/' + running);
    calc.Aggregates().AddItems(*this->page);
    ASSERT_EQ(calc.Aggregates().Items().size(), 2u);
    setRows({row(1), row(2), row(4)});
    ds.First();
    calc.Aggregates().AddValue(master);
    ds.Next();
    calc.Aggregates().AddValue(master);
    EXPECT_EQ(show(pageFooter, m, page + u'/' + running), QStringLiteral("3/3"));
    calc.Aggregates().Reset(pageFooter);
    ds.Next();
    calc.Aggregates().AddValue(master);
    EXPECT_EQ(show(pageFooter, m, page + u'/' + running), QStringLiteral("4/7"));
    calc.Aggregates().ClearValues(); // between passes running totals start again too
    EXPECT_EQ(show(pageFooter, m, page + u'/' + running), QStringLiteral("0/0"));
}

TEST_F(AggregateTest, AverageSkipsNullsCountCountsRows)
{
    const QString text = QStringLiteral("[AVG(<ds.\"A\">)] [COUNT()] [MIN(<ds.\"A\">)] [MAX(<ds.\"A\">)] [avg(<ds.\"B\">)]");
    TfrxMemoView* m = memo(footer, QStringLiteral("Stats"), text);
    report.EngineOptions().ConvertNulls = false;
    calc.Aggregates().AddItems(*page);
    EXPECT_EQ(calc.Aggregates().Items().size(), 5u);
    setRows({row(2), row(QVariant()), row(7), row(3)});
    printRows();
    EXPECT_EQ(show(footer, m, text), QStringLiteral("4 4 2 7 0"));
    calc.Aggregates().Reset(footer);
    EXPECT_EQ(show(footer, m, text), QStringLiteral("0 0 0 0 0"));
    // Converted nulls are zeros and count.
    report.EngineOptions().ConvertNulls = true;
    printRows();
    EXPECT_EQ(show(footer, m, text), QStringLiteral("3 4 0 7 0"));
}

TEST_F(AggregateTest, InvisibleRowsCountOnlyWithFlagOne)
{
    const QString text = QStringLiteral("[COUNT(MasterData1)] [COUNT(MasterData1, 1)] [SUM(<ds.\"A\">, MasterData1, 1)]");
    TfrxMemoView* m = memo(footer, QStringLiteral("Counts"), text);
    calc.Aggregates().AddItems(*page);
    setRows({row(1), row(2)});
    printRows(true);
    printRows(false);
    EXPECT_EQ(show(footer, m, text), QStringLiteral("2 4 6"));
}

TEST_F(AggregateTest, KeepBlocksHoldPageFooterValuesAndRowsCanBeTakenBack)
{
    const QString text = QStringLiteral("[SUM(<ds.\"A\">)]");
    TfrxMemoView* m = memo(pageFooter, QStringLiteral("PageSum"), text);
    calc.Aggregates().AddItems(*page);
    setRows({row(1), row(10), row(100)});
    ds.First();
    calc.Aggregates().AddValue(master);
    calc.Aggregates().StartKeep();
    ds.Next();
    calc.Aggregates().AddValue(master);
    EXPECT_EQ(show(pageFooter, m, text), QStringLiteral("1")); // held rows wait for the block
    calc.Aggregates().EndKeep();
    EXPECT_EQ(show(pageFooter, m, text), QStringLiteral("11"));
    ds.Next();
    calc.Aggregates().AddValue(master);
    calc.Aggregates().DeleteValue(master); // the row moves to the next page with its footer
    EXPECT_EQ(show(pageFooter, m, text), QStringLiteral("11"));
    calc.Aggregates().Reset(pageFooter);
    calc.Aggregates().AddValue(master);
    EXPECT_EQ(show(pageFooter, m, text), QStringLiteral("100"));
}

TEST_F(AggregateTest, BooleansCountAsOneAndGroupFootersRegister)
{
    auto* group = new TfrxGroupHeader(page);
    auto* groupFooter = new TfrxGroupFooter(page);
    group->Footer = groupFooter;
    master->Groups.append(group);
    const QString text = QStringLiteral("[SUM(<ds.\"A\"> > 1)]");
    TfrxMemoView* m = memo(groupFooter, QStringLiteral("Big"), text);
    calc.Aggregates().AddItems(*page);
    setRows({row(1), row(2), row(3)});
    printRows();
    EXPECT_EQ(show(groupFooter, m, text), QStringLiteral("2"));
}

TEST(AggregateCalls, FoundOutsideQuotesAtAnyDepthAndInVariables)
{
    const auto noVariables = [](const QString&) { return QString(); };
    auto calls = findAggregateCalls(QStringLiteral("'SUM(x)' + IIF(a, Sum( <ds.\"A,B\"> , Band1, 2 ), count()) + MySum(1)"), noVariables);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, AggregateKind::Sum);
    EXPECT_EQ(calls[0].callText, QStringLiteral("Sum( <ds.\"A,B\"> , Band1, 2 )"));
    EXPECT_EQ(calls[0].arguments, QStringList({QStringLiteral("<ds.\"A,B\">"), QStringLiteral("Band1"), QStringLiteral("2")}));
    EXPECT_EQ(calls[1].kind, AggregateKind::Count);
    EXPECT_TRUE(calls[1].arguments.isEmpty());

    calls = findAggregateCalls(QStringLiteral("<Total> + Other"), [](const QString& name) {
        if (name == QLatin1String("Total"))
            return QStringLiteral("MAX(Copy('a,b', 1, 2), Band2) + <Total>");
        return QString();
    });
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, AggregateKind::Max);
    EXPECT_EQ(calls[0].arguments, QStringList({QStringLiteral("Copy('a,b', 1, 2)"), QStringLiteral("Band2")}));
}

} // namespace

namespace {

TEST(RowCountSource, YieldsExactlyRowCountRowsWithNullValues)
{
    TfrxMasterData band;
    band.SetRowCount(3);
    TfrxUserDataSet& rows = band.VirtualDataSet();
    int n = 0;
    for (rows.First(); !rows.Eof() && n < 10; rows.Next())
        ++n;
    EXPECT_EQ(n, 3);
    EXPECT_EQ(rows.RecordCount(), 3);
    EXPECT_FALSE(rows.GetValue(QStringLiteral("X")).isValid());
    rows.RangeEnd = TfrxRangeEnd::reLast;
    EXPECT_EQ(rows.RecordCount(), 0);
    rows.CheckEOFHandler = [](TfrxDataSet& self) { return self.RecNo >= 2; };
    rows.First();
    rows.Next();
    EXPECT_FALSE(rows.Eof());
    rows.Next();
    EXPECT_TRUE(rows.Eof());
}

} // namespace
