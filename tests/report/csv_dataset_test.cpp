// The CSV data source: quoting, line breaks, ragged rows, encodings and separators, hostile
// text, and the rows as a report data source sees them.
#include "report/model/csv_dataset.h"
#include "platform/error.h"
#include "support/test_paths.h"

#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace report;

namespace {

QStringList row(const TfrxCsvTable& t, int r)
{
    QStringList cells;
    for (int f = 0; f < t.fields().size(); ++f)
        cells.append(t.cell(r, f));
    return cells;
}

TEST(CsvTable, QuotedFieldsHoldCommasQuotesAndLineBreaks)
{
    const TfrxCsvTable t = TfrxCsvTable::parse(
        "\xEF\xBB\xBF"
        "名称,数量,备注\r\n"
        "\"主板, ATX\",2,\"他说 \"\"好\"\"\"\r\n"
        "\"两行\r\n文字\",,\"\"\n"
        "\n"
        "末行,3,\"a\nb\"");
    EXPECT_EQ(t.fields(), (QStringList{QStringLiteral("名称"), QStringLiteral("数量"), QStringLiteral("备注")}));
    ASSERT_EQ(t.rowCount(), 3); // the blank line holds no row
    EXPECT_EQ(row(t, 0), (QStringList{QStringLiteral("主板, ATX"), QStringLiteral("2"), QStringLiteral("他说 \"好\"")}));
    EXPECT_EQ(row(t, 1), (QStringList{QStringLiteral("两行\n文字"), QString(), QString()})); // as one LF
    EXPECT_EQ(row(t, 2), (QStringList{QStringLiteral("末行"), QStringLiteral("3"), QStringLiteral("a\nb")}));
}

TEST(CsvTable, RaggedRowsAndNamesIgnoringCase)
{
    const TfrxCsvTable t = TfrxCsvTable::parse("a,B,a\n1\n1,2,3,4,5\nx\"y\",\"q\"tail,\r\n");
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(row(t, 0), (QStringList{QStringLiteral("1"), QString(), QString()}));
    EXPECT_EQ(row(t, 1), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
    // Quotes inside unquoted text are text; text after a closing quote is kept.
    EXPECT_EQ(row(t, 2), (QStringList{QStringLiteral("x\"y\""), QStringLiteral("qtail"), QString()}));
    EXPECT_EQ(t.fieldIndex(QStringLiteral("b")), 1);
    EXPECT_EQ(t.fieldIndex(QStringLiteral("A")), 0); // the first of equal names
    EXPECT_EQ(t.fieldIndex(QStringLiteral("c")), -1);
    EXPECT_EQ(t.cell(3, 0), QString());
    EXPECT_EQ(t.cell(-1, 0), QString());

    const TfrxCsvTable headerOnly = TfrxCsvTable::parse("only,fields\r\n");
    EXPECT_EQ(headerOnly.rowCount(), 0);
    EXPECT_EQ(headerOnly.fields().size(), 2);
}

TEST(CsvTable, BrokenTextIsRefusedWithAReason)
{
    const auto message = [](QByteArrayView text) {
        try {
            TfrxCsvTable::parse(text);
        } catch (const platform::Error& e) {
            return e.message();
        }
        return QStringLiteral("accepted");
    };
    EXPECT_TRUE(message("a,b\n1,\"open\n\n").contains(QStringLiteral("line 2"))) << message("a,b\n1,\"open\n\n").toStdString();
    EXPECT_TRUE(message("a;b\n\n\n1;\"x\";\"y\n").contains(QStringLiteral("line 4")));
    EXPECT_TRUE(message("").contains(QStringLiteral("header")));
    EXPECT_TRUE(message("\r\n\n\r\n").contains(QStringLiteral("header")));
}

TEST(CsvTable, HostileTextEndsQuickly)
{
    // Quotes only, commas only, one endless quoted field: each read in one pass.
    const QByteArray quotes(1'000'000, '"');
    EXPECT_EQ(TfrxCsvTable::parse("h\n" + quotes).cell(0, 0).size(), 499'999);
    const TfrxCsvTable commas = TfrxCsvTable::parse("h\n" + QByteArray(2'000'000, ','));
    EXPECT_EQ(commas.rowCount(), 1);
    EXPECT_THROW(TfrxCsvTable::parse("h\n\"" + QByteArray(3'000'000, 'x')), platform::Error);
    QByteArray lines;
    for (int i = 0; i < 50'000; ++i)
        lines += "1,2\n";
    EXPECT_EQ(TfrxCsvTable::parse("a,b\n" + lines).rowCount(), 50'000);
}

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

TEST(CsvTable, GbkAndTheSemicolonOrTabOfSpreadsheetsAreReadAsPriceListsAre)
{
    // A spreadsheet on Chinese Windows saves GBK; one set to a European locale separates by
    // semicolons, where commas then stand inside the cells.
    const TfrxCsvTable semicolons = TfrxCsvTable::parse(gbk(QStringLiteral("名称;价格;备注\r\n"
                                                                           "华硕 B760;1299;\"含税;包邮\"\r\n"
                                                                           "金士顿 16G;1,5;\r\n")));
    EXPECT_EQ(semicolons.fields(), (QStringList{QStringLiteral("名称"), QStringLiteral("价格"), QStringLiteral("备注")}));
    ASSERT_EQ(semicolons.rowCount(), 2);
    EXPECT_EQ(row(semicolons, 0), (QStringList{QStringLiteral("华硕 B760"), QStringLiteral("1299"), QStringLiteral("含税;包邮")}));
    EXPECT_EQ(row(semicolons, 1), (QStringList{QStringLiteral("金士顿 16G"), QStringLiteral("1,5"), QString()}));

    // The separator is the one the header row uses most.
    const TfrxCsvTable tabs = TfrxCsvTable::parse("\xEF\xBB\xBF" "a\tb,c\td\n1\t2,3\t4\n");
    EXPECT_EQ(tabs.fields(), (QStringList{QStringLiteral("a"), QStringLiteral("b,c"), QStringLiteral("d")}));
    EXPECT_EQ(row(tabs, 0), (QStringList{QStringLiteral("1"), QStringLiteral("2,3"), QStringLiteral("4")}));
}

TEST(CsvDataSet, AGbkSemicolonFileIsASourceWithNumbers)
{
    testing_support::TempFolder dir;
    const QString path = dir.file(QStringLiteral("价格表.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(gbk(QStringLiteral("名称;价格\r\n内存;299.50\r\n硬盘;560\r\n")));
    }
    const std::unique_ptr<TfrxCsvDataSet> source = makeCsvDataSet(QStringLiteral("parts"), path);
    EXPECT_EQ(source->RecordCount(), 2);
    source->First();
    EXPECT_EQ(source->GetDisplayText(QStringLiteral("名称")), QStringLiteral("内存"));
    EXPECT_EQ(source->GetValue(QStringLiteral("价格")), QVariant(299.5));
    source->Next();
    EXPECT_EQ(source->GetValue(QStringLiteral("价格")), QVariant(560));
}

TEST(CsvDataSet, RowsAsAReportDataSourceSeesThem)
{
    testing_support::TempFolder dir;
    const QString path = dir.file(QStringLiteral("parts.csv"));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Name,Price\n内存,\"1,299.00\"\n硬盘,560\n");
    }
    const std::unique_ptr<TfrxCsvDataSet> source = makeCsvDataSet(QStringLiteral("parts"), path);
    EXPECT_EQ(source->UserName(), QStringLiteral("parts"));
    EXPECT_EQ(TfrxDataSet::find(QStringLiteral("PARTS"), nullptr), source.get());
    EXPECT_EQ(source->RecordCount(), 2);
    QStringList fields;
    source->GetFieldList(fields);
    EXPECT_EQ(fields, (QStringList{QStringLiteral("Name"), QStringLiteral("Price")}));
    EXPECT_TRUE(source->HasField(QStringLiteral("price")));

    QStringList seen;
    for (source->First(); !source->Eof(); source->Next())
        seen.append(source->GetDisplayText(QStringLiteral("name")) + u'=' + source->GetValue(QStringLiteral("Price")).toString());
    EXPECT_EQ(seen, (QStringList{QStringLiteral("内存=1,299.00"), QStringLiteral("硬盘=560")}));
    EXPECT_FALSE(source->GetValue(QStringLiteral("Missing")).isValid());

    // Plain decimal numbers are numbers (sums add them); other spellings stay text.
    source->First();
    EXPECT_EQ(source->GetValue(QStringLiteral("Price")).typeId(), QMetaType::QString);
    source->Next();
    EXPECT_EQ(source->GetValue(QStringLiteral("Price")), QVariant(560));
    EXPECT_EQ(source->GetDisplayText(QStringLiteral("Price")), QStringLiteral("560"));

    EXPECT_THROW(makeCsvDataSet(QStringLiteral("x"), dir.file(QStringLiteral("none.csv"))), platform::Error);
    EXPECT_THROW(makeCsvDataSet(QStringLiteral(" "), path), platform::Error);
}

} // namespace
