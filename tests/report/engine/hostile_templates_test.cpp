// Templates and prepared-report files made to cost: a band of many objects, nesting
// 20,000 levels deep, a band of no height repeated for every row. Each is read or prepared
// with a bounded result and, where it is refused in part, an error line. How long they
// take is measured by bench_hostile_inputs, not here.
#include "../tool_run.h"
#include "engine_fixture.h"

#include "support/test_paths.h"

#include <QBuffer>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace enginetest;

const char* const kPageStart =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<TfrxReport>\n"
    "<TfrxReportPage Name=\"Page1\" PaperSize=\"9\" PaperWidth=\"210\" PaperHeight=\"297\">\n";
const char* const kPageEnd = "</TfrxReportPage>\n</TfrxReport>\n";

class HostileTemplates : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& text)
    {
        const QString path = folder.file(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        return path;
    }
    ToolRun prepare(const QString& path)
    {
        out = folder.file(QStringLiteral("out.fp3"));
        return run({QStringLiteral("prepare"), path, QStringLiteral("-o"), out});
    }
    QStringList objectLines()
    {
        return run({QStringLiteral("pages"), QStringLiteral("--objects"), out}).out.split(u'\n', Qt::SkipEmptyParts);
    }
    testing_support::TempFolder folder;
    QString out;
};

TEST(HostileDictionary, ABandOfManyObjectsKeepsItsShortNames)
{
    using namespace report;
    // Beyond 10,000, where the search for a free name used to count up one by one (the
    // benchmark prepares 40,000). Read from text: naming objects one by one checks each
    // name against all the others.
    constexpr int count = 12000;
    QByteArray text = kPageStart;
    text += "<TfrxReportTitle Name=\"ReportTitle1\" Width=\"700\" Height=\"900\">";
    for (int i = 1; i <= count; ++i)
        text += "<TfrxMemoView Name=\"M" + QByteArray::number(i) + "\" Width=\"50\" Height=\"18\"/>";
    text += "<TfrxLineView Name=\"Rule\" Width=\"50\"/></TfrxReportTitle>";
    text += kPageEnd;
    TfrxReport report;
    QBuffer buffer(&text);
    buffer.open(QIODevice::ReadOnly);
    report.LoadFromStream(buffer);
    ASSERT_TRUE(report.Errors().isEmpty()) << report.Errors().join(u'\n').toStdString();
    auto* page = dynamic_cast<TfrxReportPage*>(report.FindObject(QStringLiteral("Page1")));
    ASSERT_NE(page, nullptr);
    TfrxPreviewPages pages(report);
    pages.RegisterSourcePage(*page);
    const auto shortName = [&](const char* name) {
        const TfrxComponent* object = report.FindObject(QString::fromLatin1(name));
        return object ? pages.ShortNameOf(*object) : QByteArray("(missing)");
    };
    // Names count up from 1 for each base letter, as files written before have them.
    EXPECT_EQ(shortName("ReportTitle1"), "b1");
    EXPECT_EQ(shortName("M1"), "m1");
    EXPECT_EQ(shortName("M10000"), "m10000");
    EXPECT_EQ(shortName("M10001"), "m10001");
    EXPECT_EQ(shortName("M12000"), "m12000");
    EXPECT_EQ(shortName("Rule"), "l1");
}

TEST_F(HostileTemplates, NestingBeyondAnyTemplateIsCutWithAnErrorLine)
{
    constexpr int depth = 20000;
    QByteArray text = kPageStart;
    text += "<TfrxReportTitle Name=\"ReportTitle1\" Width=\"700\" Height=\"100\">";
    for (int i = 0; i < depth; ++i)
        text += "<TfrxMemoView Name=\"D" + QByteArray::number(i) + "\" Width=\"50\" Height=\"18\" Text=\"d\">";
    for (int i = 0; i < depth; ++i)
        text += "</TfrxMemoView>";
    text += "</TfrxReportTitle>";
    text += kPageEnd;
    const ToolRun r = prepare(write(QStringLiteral("deep.xml"), text));
    EXPECT_TRUE(r.out.contains(QStringLiteral("对象嵌套超过 256 层，更深的对象未读入"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("pages: 1\n"))) << r.out.toStdString();
    // The objects down to the cut are prepared.
    const QStringList lines = objectLines();
    EXPECT_GT(lines.size(), 200);
    EXPECT_LT(lines.size(), 300);

    // A prepared-report file whose source page nests as deep: read up to the cut, with the line.
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray fp3 = file.readAll();
    file.close();
    const qsizetype title = fp3.indexOf("<TfrxReportTitle", fp3.indexOf("<sourcepages>"));
    ASSERT_GT(title, 0);
    QByteArray deep;
    for (int i = 0; i < depth; ++i)
        deep += "<TfrxMemoView Name=\"E" + QByteArray::number(i) + "\" Width=\"50\" Height=\"18\">";
    for (int i = 0; i < depth; ++i)
        deep += "</TfrxMemoView>";
    fp3.insert(fp3.indexOf('>', title) + 1, deep);
    const QString deepFile = write(QStringLiteral("deep.fp3"), fp3);
    const ToolRun listed = run({QStringLiteral("pages"), deepFile});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith(QStringLiteral("pages: 1\n")));
    EXPECT_TRUE(listed.err.contains(QStringLiteral("对象嵌套超过 256 层"))) << listed.err.toStdString();
}

// The default bound (100,000) is reached the same way; bench_hostile_inputs runs it.
TEST_F(EngineTest, ABandOfNoHeightStopsAtTheObjectsOnePageMayHold)
{
    setRowCount(5000);
    auto* data = band<TfrxMasterData>(QStringLiteral("MasterData1"), 40, 0);
    memo(data, QStringLiteral("Row"), QStringLiteral("[<ds.\"N\">]"), 0, 0);
    shell.Engine().Limits().maxPageObjects = 1000;
    EXPECT_FALSE(prepare());
    EXPECT_TRUE(report.Errors().contains(QStringLiteral("第 1 页的对象超过 1000 个，报表在此停止")))
        << report.Errors().join(u'\n').toStdString();
    // The rows up to the bound stay: 500 bands of one text each.
    const std::vector<PageLayout> pages = layout();
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].size(), 500u);
    EXPECT_EQ(pages[0].back().texts, QStringList{QStringLiteral("500")});
}

} // namespace
