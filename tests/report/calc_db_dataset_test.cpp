// The database data source over a catalogue query: aliases, ranges, bookmarks, field
// types, display texts, missing fields and the connection check; read through Calc.
#include "calc_fixture.h"

#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "report/frx_resources.h"
#include "support/test_paths.h"

using namespace calctest;

namespace {

class DbDatasetTest : public CalcTest {
protected:
    DbDatasetTest()
    {
        const QString path = folder.file(QStringLiteral("qmxpcdiy.dat"));
        db::createCatalogue(path, false);
        connection.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        connection.open();
        connection.execute(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, DIY_CASH) values ('1', 'CPU', 100.5)"));
        connection.execute(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, DIY_CASH) values ('2', 'RAM', null)"));
        connection.execute(QStringLiteral("insert into DIY (DIY_ID, DIY_NM, DIY_CASH) values ('3', 'SSD', 50)"));
        query = std::make_unique<db::Dataset>(QStringLiteral("ADOQuery1"), &connection);
        db::openStatement(*query, QStringLiteral("select DIY_ID, DIY_NM, DIY_CASH from DIY order by DIY_SYS_ID"));
        source.SetName(QStringLiteral("frxDBDataset1"));
        source.DataSet = query.get();
        report.DataSets().Add(&report).SetDataSet(&source);
    }

    QStringList column(const QString& field)
    {
        QStringList out;
        for (source.First(); !source.Eof(); source.Next())
            out.append(source.GetValue(field).toString());
        return out;
    }

    testing_support::TempFolder folder;
    db::Connection connection;
    std::unique_ptr<db::Dataset> query;
    TfrxDBDataset source;
};

TEST_F(DbDatasetTest, InitializeNeedsAQuery)
{
    TfrxDBDataset lonely;
    lonely.SetName(QStringLiteral("frxDBDataset9"));
    try {
        lonely.Initialize();
        ADD_FAILURE() << "no error";
    } catch (const ReportError& e) {
        EXPECT_EQ(e.message(), frxGet(QStringLiteral("dbNotConn")).replace(QLatin1String("%s"), QLatin1String("frxDBDataset9")));
    }
}

TEST_F(DbDatasetTest, AliasesHideAndRenameFields)
{
    source.FieldAliases = QStringList{QStringLiteral("DIY_ID=Number"), QStringLiteral("-DIY_NM=Name"),
                                      QStringLiteral("DIY_CASH=Cash")};
    source.Initialize();
    QStringList fields;
    source.GetFieldList(fields);
    EXPECT_EQ(fields, QStringList({QStringLiteral("Number"), QStringLiteral("Cash")}));
    EXPECT_EQ(source.FieldsCount(), 2);
    EXPECT_TRUE(source.HasField(QStringLiteral("cash")));
    EXPECT_FALSE(source.HasField(QStringLiteral("Name")));
    EXPECT_EQ(column(QStringLiteral("CASH")), QStringList({QStringLiteral("100.5"), QString(), QStringLiteral("50")}));
    EXPECT_EQ(source.GetFieldType(QStringLiteral("Number")), TfrxFieldType::fftString);
    EXPECT_EQ(source.GetFieldType(QStringLiteral("Cash")), TfrxFieldType::fftNumeric);
    EXPECT_FALSE(source.GetValue(QStringLiteral("DIY_NM")).isValid());
    EXPECT_EQ(source.GetDisplayText(QStringLiteral("Name")),
              frxGet(QStringLiteral("dbFldNotFound")) + QStringLiteral(" frxDBDataset1.\"Name\""));
    source.Finalize();
}

TEST_F(DbDatasetTest, RangesAndBookmarks)
{
    source.Initialize();
    source.RangeEnd = TfrxRangeEnd::reCount;
    source.RangeEndCount = 2;
    EXPECT_EQ(column(QStringLiteral("DIY_ID")), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(source.RecordCount(), 3);
    source.Close();

    // From the current row to the end, then from the first row to the current one.
    query->open();
    query->setCurrentRow(1);
    source.RangeBegin = TfrxRangeBegin::rbCurrent;
    source.RangeEnd = TfrxRangeEnd::reLast;
    source.Initialize();
    EXPECT_EQ(column(QStringLiteral("DIY_ID")), QStringList({QStringLiteral("2"), QStringLiteral("3")}));
    source.Finalize();
    EXPECT_EQ(query->currentRow(), 1); // back at the bookmark
    source.RangeBegin = TfrxRangeBegin::rbFirst;
    source.RangeEnd = TfrxRangeEnd::reCurrent;
    source.Initialize();
    EXPECT_EQ(column(QStringLiteral("DIY_ID")), QStringList({QStringLiteral("1"), QStringLiteral("2")}));
    source.Finalize();
}

TEST_F(DbDatasetTest, FieldsThroughCalcAndDataBoundText)
{
    source.Initialize();
    source.First();
    EXPECT_TRUE(calc.Calc(QStringLiteral("<frxDBDataset1.\"DIY_CASH\"> * 2")).sameAs(Value(201.0)));
    EXPECT_TRUE(calc.Calc(QStringLiteral("frxdbdataset1.\"DIY_NM\"")).sameAs(Value("CPU")));
    source.Next();
    report.EngineOptions().ConvertNulls = true;
    EXPECT_TRUE(calc.Calc(QStringLiteral("<frxDBDataset1.\"DIY_CASH\">")).sameAs(Value(0)));
    report.EngineOptions().ConvertNulls = false;
    EXPECT_TRUE(calc.Calc(QStringLiteral("<frxDBDataset1.\"DIY_CASH\">")).isNull());
    EXPECT_TRUE(report.Errors().isEmpty());
    source.Finalize();
}

} // namespace
