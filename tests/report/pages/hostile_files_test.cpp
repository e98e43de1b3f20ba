// Prepared-report files made to hurt: objects nested beyond any real page, dictionaries
// of many entries, numbers out of range. Each loads, rebuilds, lists and draws.
#include "pages_fixture.h"
#include "report/pages/page_export.h"
#include "support/test_paths.h"
#include "../tool_run.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>

using namespace pages_test;

namespace {

// A store of one page with one data row, saved.
QByteArray savedReport()
{
    Template t;
    TfrxPreviewPages pages(t.report);
    Engine e(t, pages);
    e.newPage();
    e.row(100, QStringLiteral("第一行"));
    e.finish();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    pages.SaveToStream(buffer);
    return buffer.data();
}

// The text inserted just inside the first page element of the prepared pages.
QByteArray withInPage(QByteArray file, const QByteArray& inserted)
{
    const qsizetype list = file.indexOf("<previewpages>");
    const qsizetype pageEnd = file.indexOf('>', file.indexOf('<', list + 1));
    file.insert(pageEnd + 1, inserted);
    return file;
}

QByteArray nested(int depth)
{
    QByteArray text;
    text.reserve(depth * 60);
    for (int i = 0; i < depth; ++i)
        text += "<TfrxMemoView Left=\"1\" Top=\"1\" Width=\"5\" Height=\"5\" Text=\"d\">";
    for (int i = 0; i < depth; ++i)
        text += "</TfrxMemoView>";
    return text;
}

TEST(HostilePreparedFiles, DeepNestingLoadsRebuildsAndDrawsWithinBounds)
{
    const QByteArray file = withInPage(savedReport(), nested(200'000));
    Template t;
    TfrxPreviewPages pages(t.report);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    pages.LoadFromStream(buffer);
    ASSERT_EQ(pages.PageCount(), 1);
    TfrxReportPage* page = pages.GetPreparedPage(0);
    ASSERT_NE(page, nullptr);
    // The nesting is cut where no page this program makes goes; the band is still there.
    const qsizetype objects = page->AllObjects().size();
    EXPECT_GT(objects, 200);
    EXPECT_LT(objects, 400);
    QImage image(200, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    pages.PaintPage(0, painter, 0.2, 0.2, 0, 0);

    testing_support::TempFolder dir;
    const QString path = dir.file(QStringLiteral("deep.fp3"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file);
    out.close();
    const ToolRun listed = run({QStringLiteral("pages"), path});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.startsWith(QStringLiteral("pages: 1\n")));
}

TEST(HostilePreparedFiles, ManyDictionaryEntriesFindTheirSources)
{
    // Entries naming no object of the source page, and one naming an object in another
    // case: that entry finds it.
    QByteArray file = savedReport();
    ASSERT_TRUE(file.contains("<l1 name=\"Page0.Line1\"/>"));
    file.replace("<l1 name=\"Page0.Line1\"/>", "");
    const qsizetype dictionary = file.indexOf('>', file.indexOf("<dictionary")) + 1;
    QByteArray entries;
    for (int i = 0; i < 30'000; ++i)
        entries += "<x" + QByteArray::number(i) + " name=\"Page0.Object" + QByteArray::number(i) + "\"/>";
    entries += "<zz name=\"Page0.lInE1\"/>";
    file.insert(dictionary, entries);
    file = withInPage(file, "<zz Left=\"7\"/>");
    Template t;
    TfrxPreviewPages pages(t.report);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    pages.LoadFromStream(buffer);
    TfrxReportPage* page = pages.GetPreparedPage(0);
    ASSERT_NE(page, nullptr);
    ASSERT_FALSE(page->Objects().isEmpty());
    TfrxComponent* first = page->Objects().first();
    EXPECT_EQ(pages.ElementNameOf(*first), "zz");
    EXPECT_EQ(first->Name(), QStringLiteral("Line1"));
    EXPECT_NE(dynamic_cast<TfrxLineView*>(first), nullptr);
    EXPECT_EQ(first->Left(), 7);
}

TEST(HostilePreparedFiles, AbsurdPaperStillExports)
{
    QByteArray file = savedReport();
    file.replace("PaperWidth=\"210\"", "PaperWidth=\"1e300\"");
    file.replace("PaperHeight=\"297\"", "PaperHeight=\"-5\"");
    file.replace("PaperSize=\"9\"", "PaperSize=\"256\"");
    Template t;
    TfrxPreviewPages pages(t.report);
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    pages.LoadFromStream(buffer);
    EXPECT_EQ(pages.GetPreparedPageSize(0).width(), 1'000'000'000); // not an overflowed int
    testing_support::TempFolder dir;
    EXPECT_TRUE(pdfExport().Export(pages, dir.file(QStringLiteral("a.pdf")), {}));
    TfrxExportSettings settings;
    settings.Dpi = 10;
    EXPECT_TRUE(pngExport().Export(pages, dir.file(QStringLiteral("a-%d.png")), settings));
    const QImage image(dir.file(QStringLiteral("a-1.png")));
    EXPECT_EQ(image.size(), QSize(2000, 1)); // 200 inches at most, a millimetre at least
}

} // namespace
