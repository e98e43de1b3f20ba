// The templates kept in templates/ (a price list in columns, a catalogue book with an
// outline, long notes that split, an endless receipt, a subreport, vertical months and
// drill-down groups) prepared by qmxdiy-report over the CSV files beside them.
#include "../tool_run.h"

#include "support/test_paths.h"

#include <gtest/gtest.h>

namespace {

QString templates(const QString& name)
{
    return testing_support::sourcePath(QStringLiteral("tests/report/engine/templates/") + name);
}

class ExtensionTemplates : public ::testing::Test {
protected:
    // Prepares the template into a prepared-report file and returns the tool's output.
    ToolRun prepare(const QString& name)
    {
        out = folder.file(name + QStringLiteral(".fp3"));
        return run({QStringLiteral("prepare"), templates(name + QStringLiteral(".xml")), QStringLiteral("--csv"),
                    QStringLiteral("Items=") + templates(QStringLiteral("items.csv")), QStringLiteral("--csv"),
                    QStringLiteral("Notes=") + templates(QStringLiteral("notes.csv")), QStringLiteral("--csv"),
                    QStringLiteral("Months=") + templates(QStringLiteral("months.csv")), QStringLiteral("-o"), out});
    }
    QStringList listed(const QString& option)
    {
        return run({QStringLiteral("pages"), option, out}).out.split(u'\n', Qt::SkipEmptyParts);
    }
    testing_support::TempFolder folder;
    QString out;
};

TEST_F(ExtensionTemplates, APriceListInColumnsWithAnOutlineOfCategories)
{
    const ToolRun r = prepare(QStringLiteral("price_list_columns"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 1\n"));
    EXPECT_EQ(listed(QStringLiteral("--outline")),
              (QStringList{"Page 1 (page 1, y 0)", "  Boards (page 1, y 30)", "  Memory (page 1, y 354)",
                           "  Storage (page 1, y 678)"}));
    const QStringList objects = listed(QStringLiteral("--objects"));
    // Three items side by side, then the next row of columns.
    EXPECT_TRUE(objects.contains(QStringLiteral("  b3 MasterData1 482 54 236.1107 20")));
    EXPECT_TRUE(objects.contains(QStringLiteral("  m3 Item 0 0 230 18 Board 4 104")));
    EXPECT_TRUE(objects.contains(QStringLiteral("  m4 CategorySum 0 0 300 18 sum 4820")));
}

TEST_F(ExtensionTemplates, ACatalogueBookInTwoPageColumns)
{
    const ToolRun r = prepare(QStringLiteral("catalogue_book"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 3\n"));
    const QStringList outline = listed(QStringLiteral("--outline"));
    ASSERT_EQ(outline.size(), 123);
    EXPECT_EQ(outline[0], QStringLiteral("Boards (page 1, y 20)"));
    EXPECT_EQ(outline[1], QStringLiteral("  Board 1 (page 1, y 44)"));
    EXPECT_TRUE(outline.contains(QStringLiteral("Storage (page 3, y 20)"))) << outline.join(u'\n').toStdString();
}

TEST_F(ExtensionTemplates, LongNotesSplitAcrossPagesAndAnEndlessReceipt)
{
    ToolRun r = prepare(QStringLiteral("long_notes"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    const QStringList objects = listed(QStringLiteral("--objects"));
    // Every note's closing line once, after its text.
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(objects.filter(QStringLiteral(" end of Note %1").arg(i)).size(), 1) << i;

    r = prepare(QStringLiteral("endless_receipt"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 1\n"));
    // 30 + 120 rows of 20 + the footer of 30, and the margins.
    EXPECT_EQ(listed(QStringLiteral("--objects")).value(1), QStringLiteral("page 1: 794 x 2536, 244 objects"));
}

TEST_F(ExtensionTemplates, ASubreportVerticalMonthsAndDrillDownGroups)
{
    ToolRun r = prepare(QStringLiteral("subreport_beside"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    QStringList objects = listed(QStringLiteral("--objects"));
    EXPECT_TRUE(objects.contains(QStringLiteral("  b1 MasterData1 0 40 718.1107 24"))) << objects.join(u'\n').toStdString();
    EXPECT_EQ(objects.filter(QStringLiteral("option 2")).size(), 3);

    r = prepare(QStringLiteral("vertical_months"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 2\n"));
    objects = listed(QStringLiteral("--objects"));
    EXPECT_EQ(objects.filter(QStringLiteral(" M09")).size(), 4);
    EXPECT_TRUE(objects.contains(QStringLiteral("  TfrxMemoView Cell 150 0 60 18 M10")));

    r = prepare(QStringLiteral("drilldown_groups"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    objects = listed(QStringLiteral("--objects"));
    EXPECT_EQ(objects.filter(QStringLiteral(" Item ")).size(), 0);
    EXPECT_TRUE(objects.contains(QStringLiteral("  m3 CategorySum 0 0 300 18 sum 8820")));
}

} // namespace
