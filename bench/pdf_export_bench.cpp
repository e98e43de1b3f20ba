// Export of prepared pages: the time to write N pages of quotation lines (18 rows of five
// framed texts with Chinese descriptions a page) as one PDF file, per page and in all, the
// file's size; and PNG pictures at 96 dpi.
//
//   bench_pdf_export [PAGES [PICTURES]]    (defaults 1000 and 20)
#include "figure_line.h"
#include "quotation_rows.h"
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace report;

constexpr int kRowsPerPage = 18;

// The band engine's part: 18 quotation lines on every page.
void prepare(bench::QuotationRows& rows, TfrxPreviewPages& pages, int pageCount)
{
    pages.Clear();
    pages.Engine().Running = true;
    pages.BeginPreparation();
    pages.RegisterSourcePage(*rows.page);
    int line = 0;
    for (int p = 0; p < pageCount; ++p) {
        pages.StartPage(*rows.page);
        for (int r = 0; r < kRowsPerPage; ++r, ++line) {
            rows.band->SetTop(r * 40);
            rows.fill(line);
            pages.AppendObject(*rows.band);
        }
    }
    pages.EndPreparation();
    pages.Engine().Running = false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pageCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int picturePages = std::min(pageCount, argc > 2 ? std::max(0, std::atoi(argv[2])) : 20);
    bench::QuotationRows rows;
    TfrxPreviewPages pages(rows.report);
    prepare(rows, pages, pageCount);
    QTemporaryDir dir;

    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QElapsedTimer timer;
    timer.start();
    pdfExport().Export(pages, pdf, {});
    const double pdfMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("pages                                                %12d\n", pageCount);
    printFigure("PDF export, all pages", pdfMs, "ms");
    printFigure("PDF export, per page", pdfMs / pageCount, "ms");
    printFigure("PDF file size", double(QFileInfo(pdf).size()) / 1024.0, "KiB");

    TfrxExportSettings settings;
    for (int i = 0; i < picturePages; ++i)
        settings.Pages.append(i);
    if (settings.Pages.isEmpty())
        return 0;
    timer.restart();
    pngExport().Export(pages, dir.filePath(QStringLiteral("p-%d.png")), settings);
    printFigure("PNG export at 96 dpi, per page", double(timer.nsecsElapsed()) / 1e6 / double(settings.Pages.size()),
                "ms");
    return 0;
}
