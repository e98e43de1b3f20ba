// PDF and PNG export of prepared pages: the documents read back with poppler-utils,
// pictures measured in pixels, page choice, progress and stopping, failures.
#include "pages_fixture.h"
#include "report/pages/page_export.h"
#include "report/pages/detail/pdf_text_map.h"
#include "report/text/text_context.h"
#include "platform/error.h"
#include "support/test_paths.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>

using namespace pages_test;

namespace {

QString runPoppler(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Width and height in points of each page, from pdfinfo.
QList<QSizeF> pdfPageSizes(const QString& path)
{
    const QString info = runPoppler(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                                QStringLiteral("-l"), QStringLiteral("1000"), path});
    QList<QSizeF> sizes;
    static const QRegularExpression line(QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+) pts"));
    for (auto it = line.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.append(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()));
    }
    return sizes;
}

// Three pages: two A4 portrait pages with Chinese texts and a rule, a landscape A4 page.
struct Exported {
    Template t;
    TfrxReportPage* wide;
    TfrxPreviewPages pages{t.report};
    testing_support::TempFolder dir;

    Exported()
    {
        t.page->LeftMargin = 10;
        t.page->TopMargin = 10;
        wide = new TfrxReportPage(&t.report);
        wide->SetName(QStringLiteral("Page2"));
        wide->SetDefaults();
        wide->SetOrientation(TPrinterOrientation::poLandscape);
        t.memo->Font().SetName(QStringLiteral("Noto Sans CJK SC"));
        Engine e(t, pages);
        pages.RegisterSourcePage(*wide);
        e.newPage();
        e.row(100, QStringLiteral("装机单 第一页"));
        e.newPage();
        e.row(200, QStringLiteral("合计 第二页"));
        pages.StartPage(*wide);
        e.finish();
    }
};

TEST(PageExport, PdfHasOnePagePerPreparedPageAtItsPaperWithExtractableChinese)
{
    Exported x;
    const QString path = x.dir.file(QStringLiteral("out.pdf"));
    ASSERT_TRUE(pdfExport().Export(x.pages, path, {}));

    const QList<QSizeF> sizes = pdfPageSizes(path);
    ASSERT_EQ(sizes.size(), 3);
    for (int i : {0, 1}) {
        EXPECT_NEAR(sizes[i].width(), 595.28, 0.5);
        EXPECT_NEAR(sizes[i].height(), 841.89, 0.5);
    }
    EXPECT_NEAR(sizes[2].width(), 841.89, 0.5);
    EXPECT_NEAR(sizes[2].height(), 595.28, 0.5);

    const QString text = runPoppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    const QStringList pageTexts = text.split(u'\f');
    ASSERT_GE(pageTexts.size(), 3);
    EXPECT_TRUE(pageTexts[0].contains(QStringLiteral("装机单 第一页"))) << text.toStdString();
    EXPECT_TRUE(pageTexts[1].contains(QStringLiteral("合计 第二页")));
    EXPECT_FALSE(pageTexts[1].contains(QStringLiteral("第一页")));

    // Every font the document draws with travels inside it.
    const QStringList fonts = runPoppler(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(fonts.isEmpty());
    for (const QString& font : fonts)
        EXPECT_TRUE(font.contains(QRegularExpression(QStringLiteral("\\byes\\s+(yes|no)\\s+(yes|no)\\s+\\d+"))))
            << font.toStdString();
}

TEST(PageExport, ChosenPagesInTheirOrderProgressAndStopping)
{
    Exported x;
    const QString path = x.dir.file(QStringLiteral("part.pdf"));
    QList<int> told;
    TfrxExportSettings settings;
    settings.Pages = {2, 1};
    settings.OnProgress = [&](int done, int total) {
        told.append(done * 10 + total);
        return true;
    };
    ASSERT_TRUE(pdfExport().Export(x.pages, path, settings));
    EXPECT_EQ(told, (QList<int>{12, 22}));
    const QList<QSizeF> sizes = pdfPageSizes(path);
    ASSERT_EQ(sizes.size(), 2);
    EXPECT_GT(sizes[0].width(), sizes[0].height()); // the landscape page first
    EXPECT_TRUE(runPoppler(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}).contains(QStringLiteral("第二页")));

    // Stopped after the first page: the earlier file stays as it was, for both filters.
    const QByteArray before = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    settings.Pages.clear();
    settings.OnProgress = [](int done, int) { return done < 1; };
    EXPECT_FALSE(pdfExport().Export(x.pages, path, settings));
    QFile again(path);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), before);
    const QString pattern = x.dir.file(QStringLiteral("p-%d.png"));
    EXPECT_FALSE(pngExport().Export(x.pages, pattern, settings));
    EXPECT_EQ(QDir(x.dir.path()).entryList(QDir::Files).size(), 1) << "no picture and no temporary file";

    settings.Pages = {3};
    EXPECT_THROW(pdfExport().Export(x.pages, path, settings), platform::Error);
}

TEST(PageExport, FiltersAreListedAndFoundByExtension)
{
    ASSERT_EQ(exportFilters().size(), 2);
    EXPECT_EQ(exportFilterFor(QStringLiteral("/tmp/A.PDF")), &pdfExport());
    EXPECT_EQ(exportFilterFor(QStringLiteral("page-%d.png")), &pngExport());
    EXPECT_EQ(exportFilterFor(QStringLiteral("report.fp3")), nullptr);
}

TEST(PageExport, PicturesAtAResolutionWithTheRuleAtItsMillimetres)
{
    Exported x;
    TfrxExportSettings settings;
    settings.Dpi = 300;
    settings.Pages = {0, 2};
    const QString pattern = x.dir.file(QStringLiteral("page-%d.png"));
    ASSERT_TRUE(pngExport().Export(x.pages, pattern, settings));
    EXPECT_FALSE(QFile::exists(x.dir.file(QStringLiteral("page-2.png"))));
    const QImage landscape(x.dir.file(QStringLiteral("page-3.png")));
    EXPECT_EQ(landscape.size(), QSize(3508, 2480));
    const QImage image(x.dir.file(QStringLiteral("page-1.png")));
    ASSERT_EQ(image.size(), QSize(2480, 3508)); // A4 at 300 dpi
    EXPECT_NEAR(image.dotsPerMeterX() * 0.0254, 300, 0.5);

    // The rule lies 19 px (at 96 dpi) below the band at 100 px, inside margins of 10 mm:
    // 10 mm + 119 px = 41.48 mm from the top at 300 dpi, from 10 mm to 10 mm + 718 px.
    const double mm = 300 / 25.4;
    const int y = int(std::lround((10 + 119 / fr01cm) * mm));
    const int left = int(std::lround(10 * mm)), right = int(std::lround((10 + 718 / fr01cm) * mm));
    const auto dark = [&](int px, int py) { return qGray(image.pixel(px, py)) < 128; };
    int darkRow = -1;
    for (int dy = -2; dy <= 2 && darkRow < 0; ++dy)
        if (dark((left + right) / 2, y + dy))
            darkRow = y + dy;
    ASSERT_GE(darkRow, 0) << "no rule near row " << y;
    for (int px = left + 3; px < right - 3; px += 50)
        EXPECT_TRUE(dark(px, darkRow)) << px;
    EXPECT_FALSE(dark(left - 6, darkRow));
    EXPECT_FALSE(dark(right + 6, darkRow));
    EXPECT_FALSE(dark((left + right) / 2, darkRow + 8));
    EXPECT_FALSE(dark((left + right) / 2, darkRow - 8));

    // Several pages under a name without the page number are numbered beside it.
    settings.Pages.clear();
    settings.Dpi = 20;
    ASSERT_TRUE(pngExport().Export(x.pages, x.dir.file(QStringLiteral("sheet.png")), settings));
    for (const char* name : {"sheet-1.png", "sheet-2.png", "sheet-3.png"})
        EXPECT_FALSE(QImage(x.dir.file(QString::fromLatin1(name))).isNull()) << name;
    EXPECT_FALSE(QFile::exists(x.dir.file(QStringLiteral("sheet.png"))));
    settings.Pages = {1};
    ASSERT_TRUE(pngExport().Export(x.pages, x.dir.file(QStringLiteral("one.png")), settings));
    EXPECT_TRUE(QFile::exists(x.dir.file(QStringLiteral("one.png"))));
    settings.Dpi = 0;
    EXPECT_THROW(pngExport().Export(x.pages, pattern, settings), platform::Error);
}

QString exportFailure(const TfrxPageExport& filter, TfrxPreviewPages& pages, const QString& path)
{
    try {
        filter.Export(pages, path, {});
    } catch (const platform::Error& e) {
        return e.message();
    }
    return QStringLiteral("exported");
}

TEST(PageExport, UnwritableTargetsAndEmptyStoresFailAndChangeNoFile)
{
    Exported x;
    const QString missing = x.dir.file(QStringLiteral("no/such/folder/out.pdf"));
    EXPECT_EQ(exportFailure(pdfExport(), x.pages, missing), QStringLiteral("无法写入文件“%1”：文件夹不存在").arg(missing));
    const QString missingPage = x.dir.file(QStringLiteral("no/p-1.png"));
    EXPECT_EQ(exportFailure(pngExport(), x.pages, x.dir.file(QStringLiteral("no/p-%d.png"))),
              QStringLiteral("无法写入文件“%1”：文件夹不存在").arg(missingPage));
    Template t;
    TfrxPreviewPages empty(t.report);
    const QString none = x.dir.file(QStringLiteral("e.pdf"));
    EXPECT_EQ(exportFailure(pdfExport(), empty, none), QStringLiteral("无法写入文件“%1”：报表没有页").arg(none));
    EXPECT_FALSE(QFile::exists(none));

    // The second page's name is taken by a folder: the first page's earlier picture stays.
    const QString first = x.dir.file(QStringLiteral("q-1.png"));
    QFile earlier(first);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
    earlier.close();
    ASSERT_TRUE(QDir(x.dir.path()).mkdir(QStringLiteral("q-2.png")));
    EXPECT_EQ(exportFailure(pngExport(), x.pages, x.dir.file(QStringLiteral("q-%d.png"))),
              QStringLiteral("无法写入文件“%1”：同名的文件夹已存在").arg(x.dir.file(QStringLiteral("q-2.png"))));
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("earlier picture"));
    EXPECT_EQ(QDir(x.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("q-1.png")});
}

// Drawing a prepared page hands the page total and print scale to the text objects of
// that page only; the template's objects drawn afterwards do not see them.
TEST(PageExport, DrawTimeValuesDoNotOutliveThePage)
{
    Exported x;
    TfrxTextContext& texts = x.t.report.TextContext();
    x.pages.PrintScale = 2;
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter painter(&image);
    x.pages.PaintPage(0, painter, 1, 1, 0, 0);
    EXPECT_FALSE(texts.TotalPages.has_value());
    EXPECT_EQ(texts.PrintScale, 1);
    EXPECT_EQ(texts.fillPlaceholders(QStringLiteral("of [TotalPages#]")), QStringLiteral("of [TotalPages#]"));

    texts.TotalPages = 7; // set by whoever draws around the page keeps its value
    x.pages.PaintPage(1, painter, 1, 1, 0, 0);
    EXPECT_EQ(texts.TotalPages, 7);
}

} // namespace

namespace {

// Text maps as the PDF writer makes them: single codes, runs given by their first
// character, lists. Radicals become ideographs; runs of several codes stay as they are.
TEST(PageExport, TextMapsNameIdeographsNotRadicals)
{
    QByteArray pdf = "stream\n<0001> <0004>\nbegincmap\n"
                     "2 beginbfchar\n<0003> <2F00>\n<0004> <0041>\nendbfchar\n"
                     "3 beginbfrange\n<0005> <0005> <2EDA>\n<0006> <0007> <2F00>\n"
                     "<0008> <000A> [<2F06> <4E00> <2E9F>]\nendbfrange\nendcmap\n<2F00>";
    const qsizetype size = pdf.size();
    EXPECT_EQ(report::detail::mendPdfTextMaps(pdf), 4);
    EXPECT_EQ(pdf.size(), size);
    EXPECT_EQ(pdf, "stream\n<0001> <0004>\nbegincmap\n"
                   "2 beginbfchar\n<0003> <4E00>\n<0004> <0041>\nendbfchar\n"
                   "3 beginbfrange\n<0005> <0005> <9875>\n<0006> <0007> <2F00>\n"
                   "<0008> <000A> [<4E8C> <4E00> <6BCD>]\nendbfrange\nendcmap\n<2F00>");
}

TEST(PageExport, ObjectsMarkedNotPrintableStayOffPdfAndPictures)
{
    Template t;
    t.memo->Font().SetName(QStringLiteral("Noto Sans CJK SC"));
    t.memo->Printable = false;
    TfrxPreviewPages pages{t.report};
    {
        Engine e(t, pages);
        e.newPage();
        e.row(100, QStringLiteral("只在屏幕上"));
        e.finish();
    }
    testing_support::TempFolder dir;
    const QString pdf = dir.file(QStringLiteral("out.pdf"));
    ASSERT_TRUE(pdfExport().Export(pages, pdf, {}));
    EXPECT_FALSE(runPoppler(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).contains(QStringLiteral("屏幕")));
    TfrxExportSettings settings;
    settings.Dpi = 96;
    ASSERT_TRUE(pngExport().Export(pages, dir.file(QStringLiteral("p.png")), settings));
    const QImage paper(dir.file(QStringLiteral("p.png")));
    // The screen shows the text where the paper stays white.
    QImage screen(paper.size(), QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        QPainter painter(&screen);
        pages.PaintPage(0, painter, 1, 1, 0, 0);
    }
    const auto darkPixels = [](const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
        return n;
    };
    EXPECT_GT(darkPixels(screen), darkPixels(paper) + 20);
}

} // namespace
