// qmxdiy-report prepare: pages written, the page count and the error lines printed, and
// the exit codes.
#include "../tool_run.h"

#include "support/test_paths.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(PrepareTool, GeneratedLinesMakeTheQuotationsPages)
{
    testing_support::TempFolder folder;
    const QString out = folder.file(QStringLiteral("q.fp3"));
    const ToolRun r = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                           QStringLiteral("37"), QStringLiteral("-o"), out});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 3\n"));
    const ToolRun listed = run({QStringLiteral("pages"), out});
    EXPECT_TRUE(listed.out.startsWith(QStringLiteral("pages: 3\n"))) << listed.out.toStdString();

    const ToolRun twice = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                               QStringLiteral("37"), QStringLiteral("--double-pass"), QStringLiteral("-o"), out});
    EXPECT_EQ(twice.code, 0);
    EXPECT_EQ(twice.out, QStringLiteral("pages: 3\n"));
}

TEST(PrepareTool, ErrorsAreListedAndThePagesStillWritten)
{
    testing_support::TempFolder folder;
    const QString templ = folder.file(QStringLiteral("t.xml"));
    QFile f(templ);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
            "<TfrxPageHeader Name=\"PageHeader1\" Height=\"20\"><TfrxMemoView Name=\"M\" Text=\"[&lt;Nothing&gt;]\"/>"
            "</TfrxPageHeader><TfrxHeader Name=\"Alone\" Top=\"50\" Height=\"20\"/></TfrxReportPage></TfrxReport>");
    f.close();
    const QString out = folder.file(QStringLiteral("t.fp3"));
    const ToolRun r = run({QStringLiteral("prepare"), templ, QStringLiteral("-o"), out});
    EXPECT_EQ(r.code, 1);
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("pages: 0"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" Alone"))) << lines[1].toStdString();
    EXPECT_TRUE(QFile::exists(out));
}

TEST(PrepareTool, BadUsageAndUnreadableTemplatesExitWithTwo)
{
    testing_support::TempFolder folder;
    const QString out = folder.file(QStringLiteral("x.fp3"));
    EXPECT_EQ(run({QStringLiteral("prepare"), QStringLiteral("--builtin")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"), QStringLiteral("x"),
                   QStringLiteral("-o"), out}).code, 2);
    EXPECT_EQ(run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--db"), out,
                   QStringLiteral("--sql"), QStringLiteral("delete from DIY"), QStringLiteral("--dataset"),
                   QStringLiteral("d"), QStringLiteral("-o"), out}).code, 2);
    EXPECT_EQ(run({QStringLiteral("prepare"), folder.file(QStringLiteral("missing.xml")), QStringLiteral("-o"), out}).code, 2);
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
