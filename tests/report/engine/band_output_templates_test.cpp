// Templates in templates/ that the band engine used to get wrong while reporting success:
// a report title taller than the page, column footers of a page in two columns, procedures
// the template names, a field the CSV source does not have, and display formats. Each is
// prepared by qmxdiy-report and read back from the prepared-report file or the PDF.
#include "../tool_run.h"
#include "engine_fixture.h"
#include "report/calc/frx_calc.h"
#include "report/pages/page_export.h"

#include "support/test_paths.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString templatePath(const QString& name)
{
    return testing_support::sourcePath(QStringLiteral("tests/report/engine/templates/") + name);
}

// One object line of "pages --objects": "  element name left top width height [text]".
struct Listed {
    int page;
    QString name;
    double left, top, height;
    QString text;
};

class BandOutputTemplates : public ::testing::Test {
protected:
    ToolRun prepare(const QString& name, const QString& extension = QStringLiteral(".fp3"))
    {
        out = folder.file(name + extension);
        return run({QStringLiteral("prepare"), templatePath(name + QStringLiteral(".xml")), QStringLiteral("--csv"),
                    QStringLiteral("Items=") + templatePath(QStringLiteral("items.csv")), QStringLiteral("-o"), out});
    }
    std::vector<Listed> objects()
    {
        std::vector<Listed> list;
        int page = 0;
        const QStringList lines = run({QStringLiteral("pages"), QStringLiteral("--objects"), out}).out.split(u'\n');
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("page ")))
                ++page;
            if (!line.startsWith(QStringLiteral("  ")))
                continue;
            const QStringList f = line.trimmed().split(u' ');
            if (f.size() < 6)
                continue;
            list.push_back({page, f[1], f[2].toDouble(), f[3].toDouble(), f[5].toDouble(),
                            f.mid(6).join(u' ')});
        }
        return list;
    }
    static std::vector<Listed> named(const std::vector<Listed>& all, const QString& name)
    {
        std::vector<Listed> found;
        for (const Listed& l : all)
            if (l.name == name)
                found.push_back(l);
        return found;
    }
    testing_support::TempFolder folder;
    QString out;
};

TEST_F(BandOutputTemplates, ATitleTallerThanThePageIsSplitAboveThePageFooters)
{
    const ToolRun r = prepare(QStringLiteral("tall_title"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    const std::vector<Listed> all = objects();
    const std::vector<Listed> title = named(all, QStringLiteral("ReportTitle1"));
    const std::vector<Listed> text = named(all, QStringLiteral("TitleText"));
    const std::vector<Listed> footers = named(all, QStringLiteral("PageFooter1"));
    // 150 lines of about 15 pixels: three pages, one part on each.
    ASSERT_EQ(title.size(), 3u);
    ASSERT_EQ(text.size(), 3u);
    QStringList parts;
    for (std::size_t i = 0; i < title.size(); ++i) {
        EXPECT_EQ(title[i].page, int(i) + 1);
        parts << text[i].text;
    }
    // Every line once, in order.
    QStringList expected;
    for (int i = 1; i <= 150; ++i)
        expected << QStringLiteral("title line %1").arg(i);
    EXPECT_EQ(parts.join(QStringLiteral("\\n")), expected.join(QStringLiteral("\\n")));
    // The footer of each page stands below the part of the title on it.
    ASSERT_GE(footers.size(), 3u);
    for (const Listed& part : title) {
        const Listed& footer = footers[std::size_t(part.page - 1)];
        EXPECT_EQ(footer.page, part.page);
        EXPECT_LE(part.top + part.height, footer.top + 0.001) << "page " << part.page;
    }
    // The page header comes first on the second page, the rest of the title under it, then the rows.
    const std::vector<Listed> headers = named(all, QStringLiteral("PageHeader1"));
    ASSERT_GE(headers.size(), 2u);
    EXPECT_EQ(headers[0].page, 2); // the title fills the first page
    EXPECT_LE(headers[0].top + headers[0].height, title[1].top + 0.001);
    const std::vector<Listed> rows = named(all, QStringLiteral("Item"));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().text, QStringLiteral("Board 1"));
}

TEST_F(BandOutputTemplates, TheColumnFooterStandsUnderEveryColumnUsed)
{
    const ToolRun r = prepare(QStringLiteral("two_column_footers"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    const std::vector<Listed> footers = named(objects(), QStringLiteral("ColumnFooter1"));
    // 120 rows: both columns of page 1, the first of page 2.
    ASSERT_EQ(footers.size(), 3u);
    EXPECT_EQ(footers[0].page, 1);
    EXPECT_EQ(footers[0].left, 0);
    EXPECT_EQ(footers[1].page, 1);
    EXPECT_NEAR(footers[1].left, 95 * 3.77953, 0.5);
    EXPECT_EQ(footers[2].page, 2);
    EXPECT_EQ(footers[2].left, 0);
}

TEST_F(BandOutputTemplates, NamedProceduresGiveErrorLinesAndTheBuildFallsBackToTheDataBands)
{
    const ToolRun r = prepare(QStringLiteral("named_procedures"));
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QStringLiteral("Page1: 无法执行 OnManualBuild 事件的过程 Page1OnManualBuild")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("MasterData1: 无法执行 OnBeforePrint 事件的过程 MasterData1OnBeforePrint")))
        << r.out.toStdString();
    // Once each, not once a row.
    EXPECT_EQ(r.out.count(QStringLiteral("MasterData1OnBeforePrint")), 1);
    const std::vector<Listed> rows = named(objects(), QStringLiteral("Item"));
    ASSERT_EQ(rows.size(), 120u);
    EXPECT_EQ(rows.back().text, QStringLiteral("Storage 40"));
}

TEST_F(BandOutputTemplates, AFieldTheCsvSourceLacksPrintsTheNotFoundText)
{
    const ToolRun r = prepare(QStringLiteral("missing_field"));
    EXPECT_EQ(r.code, 1);
    const QString notFound = QStringLiteral("字段不存在: Items.\"weight\"");
    EXPECT_TRUE(r.out.contains(notFound)) << r.out.toStdString();
    const std::vector<Listed> all = objects();
    const std::vector<Listed> weights = named(all, QStringLiteral("Weight"));
    ASSERT_EQ(weights.size(), 120u);
    for (const Listed& w : weights)
        EXPECT_EQ(w.text, notFound);
    EXPECT_EQ(named(all, QStringLiteral("Item")).front().text, QStringLiteral("Board 1"));
}

TEST_F(BandOutputTemplates, DisplayFormatsGiveTheNumbersTheirPicturesSay)
{
    const ToolRun r = prepare(QStringLiteral("number_formats"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    const std::vector<Listed> all = objects();
    const auto text = [&](const char* name) {
        const std::vector<Listed> found = named(all, QString::fromLatin1(name));
        return found.empty() ? QStringLiteral("(missing)") : found.front().text;
    };
    EXPECT_EQ(text("Grouped"), QStringLiteral("1,234.50"));
    EXPECT_EQ(text("Zeros"), QStringLiteral("0.50"));
    EXPECT_EQ(text("Printf"), QStringLiteral("3,14"));
    EXPECT_EQ(text("Integer"), QStringLiteral("7"));
    EXPECT_EQ(text("Picture"), QStringLiteral("1234.50"));
    EXPECT_EQ(text("Boolean"), QStringLiteral("是"));
    EXPECT_EQ(text("Date"), QStringLiteral("2026.03.04"));
}

TEST_F(BandOutputTemplates, TheCopyNamePlaceholderIsFilledInThePdf)
{
    const ToolRun r = prepare(QStringLiteral("number_formats"), QStringLiteral(".pdf"));
    ASSERT_EQ(r.code, 0) << r.out.toStdString() << r.err.toStdString();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {out, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    // No copy name is set outside a print job: the placeholder gives way to nothing.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("copy\\s+end")))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("CopyName"), Qt::CaseInsensitive)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1,234.50")));
}

} // namespace

namespace {

using namespace enginetest;

class CopyNameExport : public EngineTest {
protected:
    ~CopyNameExport() override { frxGlobalVariables().Clear(); }
};

TEST_F(CopyNameExport, ThePdfShowsTheCopyNameVariable)
{
    TfrxVariable& copyName = frxGlobalVariables().Add();
    copyName.Name = QStringLiteral("CopyName0");
    copyName.Value = QStringLiteral("存根联");
    auto* title = band<TfrxReportTitle>(QStringLiteral("ReportTitle1"), 0, 40);
    TfrxMemoView* m = memo(title, QStringLiteral("Copy"), QStringLiteral("[CopyName#] 与 [copyname#]"), 0, 30);
    m->SetWidth(400);
    m->Font().SetName(QStringLiteral("Noto Sans CJK SC"));
    ASSERT_TRUE(prepare());
    // The prepared page keeps the placeholders; drawing fills in the first.
    EXPECT_EQ(layout()[0][0].texts, QStringList{QStringLiteral("[CopyName#] 与 [CopyName#]")});
    testing_support::TempFolder dir;
    const QString path = dir.file(QStringLiteral("copy.pdf"));
    ASSERT_TRUE(pdfExport().Export(shell.PreviewPages(), path, {}));
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(text.contains(QStringLiteral("存根联 与 [CopyName#]"))) << text.toStdString();
}

} // namespace
