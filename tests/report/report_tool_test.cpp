// qmxdiy-report run as the user runs it.
#include "support/test_paths.h"
#include "tool_run.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(ReportTool, TemplateCheckAndResave)
{
    testing_support::TempFolder dir;
    const ToolRun help = run({QStringLiteral("--help")});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.contains("check FILE"));

    const ToolRun tpl = run({QStringLiteral("template")});
    ASSERT_EQ(tpl.code, 0);
    EXPECT_TRUE(tpl.out.startsWith("<?xml version=\"1.0\" encoding=\"utf-8\"?>"));
    write(dir.file("quotation.xml"), tpl.out.toUtf8());

    const ToolRun ok = run({QStringLiteral("check"), dir.file("quotation.xml")});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.out, "objects: 49, errors: 0\n");

    const ToolRun resave = run({QStringLiteral("resave"), dir.file("quotation.xml"), dir.file("again.xml")});
    EXPECT_EQ(resave.code, 0);
    QFile again(dir.file("again.xml"));
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), tpl.out.toUtf8());
}

TEST(ReportTool, CheckReportsErrorsAndUnreadableFiles)
{
    testing_support::TempFolder dir;
    write(dir.file("unknown.xml"), "<?xml version=\"1.0\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
                                   "<TfrxChartView Name=\"Chart1\"/></TfrxReportPage></TfrxReport>");
    const ToolRun unknown = run({QStringLiteral("check"), dir.file("unknown.xml")});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.out, "不明的类别 TfrxChartView\nobjects: 2, errors: 1\n");

    write(dir.file("broken.xml"), "<?xml version=\"1.0\"?><TfrxReport><TfrxReportPage Name=\"Page1\"></Other>");
    const ToolRun broken = run({QStringLiteral("check"), dir.file("broken.xml")});
    EXPECT_EQ(broken.code, 2);
    EXPECT_TRUE(broken.err.contains("Invalid file format"));

    EXPECT_EQ(run({QStringLiteral("check"), dir.file("missing.xml")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("nonsense")}).code, 2);
}

} // namespace
