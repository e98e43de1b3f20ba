// Templates and prepared-report files made to cost: a band of many objects, nesting
// 20,000 levels deep, a band of no height repeated for every row. Each is read or prepared
// by qmxdiy-report with a bounded result and, where it is refused in part, an error line.
// How long they take is measured by bench_report, not here.
#include "../tool_run.h"

#include "support/test_paths.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

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

TEST_F(HostileTemplates, ABandOfManyObjectsKeepsItsShortNames)
{
    QByteArray text = kPageStart;
    text += "<TfrxReportTitle Name=\"ReportTitle1\" Width=\"700\" Height=\"900\">";
    // Beyond 10,000, where the search for a free name used to count up one by one (the
    // benchmark prepares 40,000).
    constexpr int count = 12000;
    for (int i = 1; i <= count; ++i)
        text += "<TfrxMemoView Name=\"M" + QByteArray::number(i) + "\" Left=\"" + QByteArray::number(i % 600)
              + "\" Top=\"" + QByteArray::number(i % 800) + "\" Width=\"50\" Height=\"18\" Text=\"" + QByteArray::number(i)
              + "\"/>";
    text += "</TfrxReportTitle>";
    text += kPageEnd;
    const ToolRun r = prepare(write(QStringLiteral("wide.xml"), text));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 1\n"));
    const QStringList lines = objectLines();
    ASSERT_EQ(lines.size(), 2 + 1 + count);
    // Names count up from 1 for each base letter, as files written before have them.
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("  b1 ReportTitle1 0 0 "))) << lines[2].toStdString();
    EXPECT_EQ(lines[3], QStringLiteral("  m1 M1 1 1 50 18 1"));
    EXPECT_EQ(lines[10002], QStringLiteral("  m10000 M10000 400 400 50 18 10000"));
    EXPECT_EQ(lines.last(), QStringLiteral("  m12000 M12000 0 0 50 18 12000"));
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

TEST_F(HostileTemplates, ABandOfNoHeightStopsAtTheObjectsOnePageMayHold)
{
    QByteArray text = kPageStart;
    text += "<TfrxMasterData Name=\"MasterData1\" Top=\"40\" Width=\"700\" Height=\"0\" RowCount=\"10000000\">"
            "<TfrxMemoView Name=\"Row\" Width=\"50\" Height=\"0\" Text=\"[Line]\"/></TfrxMasterData>";
    text += kPageEnd;
    const ToolRun r = prepare(write(QStringLiteral("flat.xml"), text));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("pages: 1\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("第 1 页的对象超过 100000 个，报表在此停止"))) << r.out.toStdString();
    // The rows made up to the bound are kept.
    const QStringList lines = run({QStringLiteral("pages"), out}).out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], QStringLiteral("page 1: 794 x 1123, 100000 objects"));
}

} // namespace
