// qmxdiy-report prepare: pages written, the page count and the error lines printed, and
// the exit codes.
#include "../tool_run.h"

#include "support/test_paths.h"

#include <QFile>
#include <QStringEncoder>
#include <QImage>
#include <QProcess>
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

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

TEST(PrepareTool, TheQuotationGoesStraightToPdfAndToPictures)
{
    testing_support::TempFolder folder;
    const QString pdf = folder.file(QStringLiteral("q.pdf"));
    const ToolRun r = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                           QStringLiteral("20"), QStringLiteral("-o"), pdf});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("pages: 2\n"));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QString text = pdfText(pdf);
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2) << text.toStdString();
    // The headings on every page, the sum only after the last row.
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(pages[i].contains(QStringLiteral("具体型号参数"))) << i;
    EXPECT_FALSE(pages[0].contains(QStringLiteral("合计金额")));
    EXPECT_TRUE(pages[1].contains(QStringLiteral("合计金额")));

    const QString pictures = folder.file(QStringLiteral("q-%d.png"));
    const ToolRun p = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                           QStringLiteral("20"), QStringLiteral("--dpi"), QStringLiteral("50"), QStringLiteral("-o"),
                           pictures});
    ASSERT_EQ(p.code, 0) << p.err.toStdString();
    for (const char* name : {"q-1.png", "q-2.png"}) {
        const QImage page(folder.file(QString::fromLatin1(name)));
        // A4 at 50 dots per inch.
        EXPECT_NEAR(page.width(), 210 / 25.4 * 50, 1.5) << name;
        EXPECT_NEAR(page.height(), 297 / 25.4 * 50, 1.5) << name;
    }
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("q-3.png"))));
}

// Dark enough to be ink, whatever the anti-aliasing of an edge.
bool inked(const QImage& image, double xMm, double yMm)
{
    constexpr double kPixelsPerMm = 300 / 25.4;
    return qGray(image.pixel(int(xMm * kPixelsPerMm), int(yMm * kPixelsPerMm))) < 128;
}

TEST(PrepareTool, TheQuotationsBarAndRulesStandAtTheirMillimetresAt300Dpi)
{
    testing_support::TempFolder folder;
    const ToolRun r = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                           QStringLiteral("3"), QStringLiteral("--dpi"), QStringLiteral("300"), QStringLiteral("-o"),
                           folder.file(QStringLiteral("q-%d.png"))});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage page(folder.file(QStringLiteral("q-1.png")));
    ASSERT_EQ(page.size(), QSize(2480, 3508));
    // The page header starts at the 20 mm margins. Its black bar spans 21-192 mm across at
    // 36-37 mm down; the heading row's top rule lies at 55 mm from 20 to 190 mm, with the
    // column separators going down from it at 20, 54, 130, 150, 170 and 190 mm.
    for (double x : {22.0, 100.0, 191.0})
        EXPECT_TRUE(inked(page, x, 36.5)) << x;
    EXPECT_FALSE(inked(page, 100, 35.5));
    EXPECT_FALSE(inked(page, 100, 37.6));
    EXPECT_FALSE(inked(page, 19, 36.5));
    for (double x : {25.0, 100.0, 185.0})
        EXPECT_TRUE(inked(page, x, 55.1)) << x;
    EXPECT_FALSE(inked(page, 100, 54.5));
    EXPECT_FALSE(inked(page, 192, 55.1));
    for (double x : {20.05, 54.05, 130.05, 150.05, 170.05, 190.05})
        EXPECT_TRUE(inked(page, x, 60)) << x;
    EXPECT_FALSE(inked(page, 57, 60.5));
}

TEST(PrepareTool, ACsvFileFeedsADataBandAndItsSum)
{
    testing_support::TempFolder folder;
    const QString csv = folder.file(QStringLiteral("goods.csv"));
    const QString templ = folder.file(QStringLiteral("goods.xml"));
    QFile t(templ);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><TfrxReport><TfrxReportPage Name=\"Page1\">"
            "<TfrxMasterData Name=\"MasterData1\" Top=\"50\" Height=\"20\" DataSetName=\"Goods\">"
            "<TfrxMemoView Name=\"M1\" Width=\"400\" Height=\"18\" Text=\"[Goods.&#34;name&#34;] costs "
            "[Goods.&#34;price&#34;]\"/></TfrxMasterData><TfrxReportSummary Name=\"S\" Top=\"100\" Height=\"20\">"
            "<TfrxMemoView Name=\"M2\" Width=\"300\" Height=\"18\" Text=\"total "
            "[SUM(&#60;Goods.&#34;price&#34;&#62;,MasterData1)]\"/></TfrxReportSummary></TfrxReportPage></TfrxReport>");
    t.close();
    const QString pdf = folder.file(QStringLiteral("goods.pdf"));
    // The text of the PDF prepared over a CSV file of these bytes.
    const auto preparedOver = [&](const QByteArray& bytes) {
        QFile c(csv);
        EXPECT_TRUE(c.open(QIODevice::WriteOnly));
        c.write(bytes);
        c.close();
        const ToolRun r = run({QStringLiteral("prepare"), templ, QStringLiteral("--csv"), QStringLiteral("Goods=") + csv,
                               QStringLiteral("-o"), pdf});
        EXPECT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
        return pdfText(pdf);
    };

    const QString text = preparedOver("\xEF\xBB\xBFname,price\r\n\"Bob's, \"\"best\"\"\",12\r\n\xE7\xAC\xAC\xE4\xBA\x8C,30.50\r\n");
    EXPECT_TRUE(text.contains(QStringLiteral("Bob's, \"best\" costs 12"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("第二 costs 30.5"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("total 42.5"))) << text.toStdString();

    // The same goods as a spreadsheet on Chinese Windows saves them: GBK, semicolons.
    const QString gbk = preparedOver(
        QStringEncoder("GB18030").encode(QStringLiteral("name;price\r\n\"显卡; 4070\";12\r\n第二;30.50\r\n")));
    EXPECT_TRUE(gbk.contains(QStringLiteral("显卡; 4070 costs 12"))) << gbk.toStdString();
    EXPECT_TRUE(gbk.contains(QStringLiteral("total 42.5"))) << gbk.toStdString();

    EXPECT_EQ(run({QStringLiteral("prepare"), templ, QStringLiteral("--csv"), QStringLiteral("Goods"),
                   QStringLiteral("-o"), pdf}).code, 2);
    EXPECT_EQ(run({QStringLiteral("prepare"), templ, QStringLiteral("--csv"),
                   QStringLiteral("Goods=") + folder.file(QStringLiteral("none.csv")), QStringLiteral("-o"), pdf}).code, 2);
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

    // An output that cannot be written fails with two, and the error lines still say what
    // the preparation found.
    const QString unwritable = folder.file(QStringLiteral("no/such/folder/t.pdf"));
    const ToolRun failed = run({QStringLiteral("prepare"), templ, QStringLiteral("-o"), unwritable});
    EXPECT_EQ(failed.code, 2);
    EXPECT_TRUE(failed.out.contains(QStringLiteral(" Alone\n"))) << failed.out.toStdString();
    EXPECT_TRUE(failed.err.contains(unwritable)) << failed.err.toStdString();
}

TEST(PrepareTool, ACsvFileNamedAsTheLinesSourceFeedsTheBuiltInTemplate)
{
    testing_support::TempFolder folder;
    const QString csv = folder.file(QStringLiteral("lines.csv"));
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("DIY_ID,DIY_NM,HW_MS,DIY_SL,DIY_JG,DIY_CASH,L2_NM\n"
            "Q-7,王五的配置单,内存 DDR5 16G……,2,399,798,内存\n"
            "Q-7,王五的配置单,硬盘 2TB……,1,450,450,硬盘\n");
    f.close();
    const QString out = folder.file(QStringLiteral("q.fp3"));
    const ToolRun r = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--csv"),
                           QStringLiteral("frxDBDataset1=") + csv, QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    const ToolRun listed = run({QStringLiteral("pages"), out, QStringLiteral("--objects")});
    for (const char* text : {"Q-7", "798", "450", "1248", "内存"})
        EXPECT_TRUE(listed.out.contains(QString::fromUtf8(text))) << text << listed.out.toStdString();
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
    EXPECT_EQ(run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("-o"),
                   folder.file(QStringLiteral("x.png"))}).code, 2); // a picture per page needs %d
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
