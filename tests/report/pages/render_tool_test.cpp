// qmxdiy-report render: a saved prepared report drawn to PDF and PNG from the command
// line, with page lists, resolution and every way the arguments or files can be wrong.
#include "pages_fixture.h"
#include "support/test_paths.h"
#include "../tool_run.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace pages_test;

namespace {

// Three pages, the second with a Chinese text.
QString savedReport(const testing_support::TempFolder& dir)
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    for (const char* text : {"one", "报价 二", "three"}) {
        e.newPage();
        e.row(100, QString::fromUtf8(text));
    }
    e.finish();
    const QString path = dir.file(QStringLiteral("r.fp3"));
    pages.SaveToFile(path);
    return path;
}

TEST(RenderTool, WritesPdfAndPicturesOfChosenPages)
{
    testing_support::TempFolder dir;
    const QString report = savedReport(dir);
    const QString pdf = dir.file(QStringLiteral("out.pdf"));
    ToolRun r = run({QStringLiteral("render"), report, QStringLiteral("-o"), pdf, QStringLiteral("--pages"), QStringLiteral("2-3")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 2\n"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    text.waitForFinished();
    const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(extracted.contains(QStringLiteral("报价 二")));
    EXPECT_TRUE(extracted.contains(QStringLiteral("three")));
    EXPECT_FALSE(extracted.contains(QStringLiteral("one")));

    r = run({QStringLiteral("render"), report, QStringLiteral("-o"), dir.file(QStringLiteral("p-%d.png")),
             QStringLiteral("--dpi"), QStringLiteral("48"), QStringLiteral("--pages"), QStringLiteral("3,1")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(QImage(dir.file(QStringLiteral("p-1.png"))).size(), QSize(397, 561)); // A4 at 48 dpi
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("p-3.png"))));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("p-2.png"))));
}

TEST(RenderTool, BadUsageUnreadableFilesAndUnwritableOutput)
{
    testing_support::TempFolder dir;
    const QString report = savedReport(dir);
    const QString pdf = dir.file(QStringLiteral("x.pdf"));
    const QString r = QStringLiteral("render");
    const QString o = QStringLiteral("-o");
    for (const QStringList& args :
         {QStringList{r}, QStringList{r, report}, QStringList{r, report, o, dir.file(QStringLiteral("x.png"))},
          QStringList{r, report, o, dir.file(QStringLiteral("x.fp3"))}, QStringList{r, report, o, pdf, QStringLiteral("--dpi"), QStringLiteral("0")},
          QStringList{r, report, o, pdf, QStringLiteral("--pages"), QStringLiteral("4")},
          QStringList{r, report, o, pdf, QStringLiteral("--pages"), QStringLiteral("3-1")},
          QStringList{r, report, o, pdf, QStringLiteral("--bogus")}, QStringList{r, report, o}}) {
        const ToolRun result = run(args);
        EXPECT_EQ(result.code, 2) << args.join(u' ').toStdString();
        EXPECT_FALSE(result.err.isEmpty());
    }
    EXPECT_EQ(run({r, dir.file(QStringLiteral("missing.fp3")), o, pdf}).code, 2);
    QFile broken(dir.file(QStringLiteral("broken.fp3")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<?xml version=\"1.0\"?><preparedreport><previewpages><page0");
    broken.close();
    EXPECT_EQ(run({r, broken.fileName(), o, pdf}).code, 2);
    EXPECT_FALSE(QFile::exists(pdf));

    const ToolRun unwritable = run({r, report, o, dir.file(QStringLiteral("no/such/x.pdf"))});
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_TRUE(unwritable.err.contains(QStringLiteral("x.pdf")));
}

} // namespace
