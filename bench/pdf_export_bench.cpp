// Export of prepared pages: the time to write N pages of a quotation-like layout (a page
// header with a title, 18 rows of six framed texts with Chinese descriptions and a rule)
// as one PDF file, per page and in all, the file's size; and PNG pictures at 96 dpi.
//
//   bench_pdf_export [PAGES [PICTURES]]    (defaults 1000 and 20)
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>

namespace {

using namespace report;

constexpr int kRowsPerPage = 18;
constexpr int kColumns = 6;

struct Layout {
    TfrxReport report;
    TfrxReportPage* page;
    TfrxPageHeader* header;
    TfrxMemoView* title;
    TfrxMasterData* band;
    TfrxMemoView* cells[kColumns];
    TfrxLineView* rule;

    Layout()
    {
        page = new TfrxReportPage(&report);
        page->SetName(QStringLiteral("Page1"));
        page->SetDefaults();
        header = new TfrxPageHeader(page);
        header->SetName(QStringLiteral("PageHeader1"));
        header->SetBounds(0, 0, 718, 60);
        title = new TfrxMemoView(header);
        title->SetName(QStringLiteral("Title"));
        title->SetBounds(0, 10, 718, 30);
        title->Font().SetName(QStringLiteral("Noto Sans CJK SC"));
        title->Font().SetSize(16);
        band = new TfrxMasterData(page);
        band->SetName(QStringLiteral("MasterData1"));
        band->SetBounds(0, 60, 718, 40);
        const double lefts[] = {0, 40, 140, 420, 500, 600};
        const double widths[] = {40, 100, 280, 80, 100, 118};
        for (int i = 0; i < kColumns; ++i) {
            cells[i] = new TfrxMemoView(band);
            cells[i]->SetName(QStringLiteral("Cell%1").arg(i + 1));
            cells[i]->SetBounds(lefts[i], 0, widths[i], 38);
            cells[i]->Frame().Typ = 15;
            cells[i]->Font().SetName(QStringLiteral("Noto Sans CJK SC"));
            cells[i]->WordWrap = true;
        }
        rule = new TfrxLineView(band);
        rule->SetName(QStringLiteral("Rule"));
        rule->SetBounds(0, 39, 718, 0);
    }
};

// The band engine's part: a header and 18 rows on every page.
void prepare(Layout& l, TfrxPreviewPages& pages, int pageCount)
{
    pages.Clear();
    pages.Engine().Running = true;
    pages.BeginPreparation();
    pages.RegisterSourcePage(*l.page);
    int line = 0;
    for (int p = 0; p < pageCount; ++p) {
        pages.StartPage(*l.page);
        l.title->SetText(QStringLiteral("装机单 第 %1 页").arg(p + 1));
        pages.AppendObject(*l.header);
        for (int r = 0; r < kRowsPerPage; ++r, ++line) {
            l.band->SetTop(60 + r * 40);
            l.cells[0]->SetText(QString::number(line + 1));
            l.cells[1]->SetText(QStringLiteral("主板"));
            l.cells[2]->SetText(QStringLiteral("华硕 PRIME B760M-K D4 主板 型号 %1，支持第十二代处理器").arg(line));
            l.cells[3]->SetText(QString::number(1 + line % 3));
            l.cells[4]->SetText(QString::number(599 + line % 100) + QStringLiteral(".00"));
            l.cells[5]->SetText(QStringLiteral("含税"));
            pages.AppendObject(*l.band);
        }
    }
    pages.EndPreparation();
    pages.Engine().Running = false;
}

void figure(const char* name, double value, const char* unit)
{
    std::printf("%-52s %12.1f %s\n", name, value, unit);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int pageCount = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int picturePages = std::min(pageCount, argc > 2 ? std::max(0, std::atoi(argv[2])) : 20);
    Layout layout;
    TfrxPreviewPages pages(layout.report);
    prepare(layout, pages, pageCount);
    QTemporaryDir dir;

    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QElapsedTimer timer;
    timer.start();
    pdfExport().Export(pages, pdf, {});
    const double pdfMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("pages                                                %12d\n", pageCount);
    figure("PDF export, all pages", pdfMs, "ms");
    figure("PDF export, per page", pdfMs / pageCount, "ms");
    figure("PDF file size", double(QFileInfo(pdf).size()) / 1024.0, "KiB");

    TfrxExportSettings settings;
    for (int i = 0; i < picturePages; ++i)
        settings.Pages.append(i);
    if (settings.Pages.isEmpty())
        return 0;
    timer.restart();
    pngExport().Export(pages, dir.filePath(QStringLiteral("p-%d.png")), settings);
    figure("PNG export at 96 dpi, per page", double(timer.nsecsElapsed()) / 1e6 / double(settings.Pages.size()), "ms");
    return 0;
}
