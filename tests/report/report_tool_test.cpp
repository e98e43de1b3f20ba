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

TEST(ReportTool, EvalAndExpand)
{
    const ToolRun ok = run({QStringLiteral("eval"), QStringLiteral("--var"), QStringLiteral("Three=1+2"),
                            QStringLiteral("<Three> * 2"), QStringLiteral("IIF(<Page#> = 0, 'single', 1/0)"),
                            QStringLiteral("<TotalPages#>")});
    EXPECT_EQ(ok.code, 0);
    EXPECT_EQ(ok.out, "6\nsingle\n0\n");
    EXPECT_EQ(ok.err, "");

    const ToolRun undeclared = run({QStringLiteral("eval"), QStringLiteral("1"), QStringLiteral("Foo"), QStringLiteral("2")});
    EXPECT_EQ(undeclared.code, 1);
    EXPECT_EQ(undeclared.out, "1\n");
    EXPECT_EQ(undeclared.err, QStringLiteral("运算式错误 'Foo': 标识符未宣告:'Foo'\n"));

    const ToolRun unknown = run({QStringLiteral("eval"), QStringLiteral("<Foo>")});
    EXPECT_EQ(unknown.code, 1);
    EXPECT_EQ(unknown.out, "\n");
    EXPECT_EQ(unknown.err, QStringLiteral("未知的变量或数据库字段: Foo\n"));

    const ToolRun expand = run({QStringLiteral("expand"), QStringLiteral("--var"), QStringLiteral("Name=Copy('ab', 2, 1)"),
                                QStringLiteral("[<Name>]: [10 / 4 #n%2,2f] [TotalPages#] ['x]y']")});
    EXPECT_EQ(expand.code, 0);
    EXPECT_EQ(expand.out, "b: 2,50 [TotalPages#] x]y\n");

    const ToolRun failing = run({QStringLiteral("expand"), QStringLiteral("[1 div 0]")});
    EXPECT_EQ(failing.code, 1);
    EXPECT_TRUE(failing.err.startsWith("Memo1: "));
    EXPECT_EQ(run({QStringLiteral("eval"), QStringLiteral("--var"), QStringLiteral("novalue")}).code, 2);
}
