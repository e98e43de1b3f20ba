// Drawing prepared pages: 50 quotation-like pages of 40 rows (five framed texts and a rule
// each, a picture every tenth row) painted at 100 % onto a screen-sized image, as the preview
// repaints them, and at 300 dpi as a printer or a PDF page would take them.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>

namespace {

using namespace report;

constexpr int kPages = 50;
constexpr int kBandsPerPage = 40;
constexpr int kMemosPerBand = 5;

QByteArray pngPicture()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

struct Template {
    TfrxReport report;
    TfrxReportPage* page;
    TfrxMasterData* band;
    TfrxMasterData* pictureBand;
    TfrxMemoView* memos[kMemosPerBand];

    Template()
    {
        page = new TfrxReportPage(&report);
        page->SetName(QStringLiteral("Page1"));
        page->SetDefaults();
        band = new TfrxMasterData(page);
        band->SetName(QStringLiteral("MasterData1"));
        band->SetBounds(0, 0, 718, 24);
        const double lefts[] = {0, 40, 400, 480, 600};
        const double widths[] = {40, 360, 80, 120, 118};
        for (int i = 0; i < kMemosPerBand; ++i) {
            memos[i] = new TfrxMemoView(band);
            memos[i]->SetName(QStringLiteral("Memo%1").arg(i + 1));
            memos[i]->SetBounds(lefts[i], 2, widths[i], 20);
            memos[i]->Frame().Typ = 15;
            TfrxFont font = memos[i]->Font();
            font.SetName(QStringLiteral("宋体"));
            memos[i]->SetFont(font);
        }
        auto* rule = new TfrxLineView(band);
        rule->SetName(QStringLiteral("Line1"));
        rule->SetBounds(0, 23, 718, 0);
        pictureBand = new TfrxMasterData(page);
        pictureBand->SetName(QStringLiteral("MasterData2"));
        pictureBand->SetBounds(0, 0, 718, 24);
        auto* picture = new TfrxPictureView(pictureBand);
        picture->SetName(QStringLiteral("Picture1"));
        picture->SetBounds(0, 0, 32, 24);
        picture->Stretched = true;
        picture->Picture = pngPicture();
    }
};

void prepare(Template& t, TfrxPreviewPages& pages)
{
    pages.Clear();
    pages.Engine().Running = true;
    pages.BeginPreparation();
    pages.RegisterSourcePage(*t.page);
    int line = 0;
    for (int p = 0; p < kPages; ++p) {
        pages.StartPage(*t.page);
        for (int b = 0; b < kBandsPerPage; ++b, ++line) {
            TfrxMasterData* band = b % 10 == 9 ? t.pictureBand : t.band;
            band->SetTop(60 + b * 24);
            t.memos[0]->SetText(QString::number(line + 1));
            t.memos[1]->SetText(QStringLiteral("金士顿 FURY Beast DDR4 3200 16GB 台式机内存 %1").arg(line % 97));
            t.memos[2]->SetText(QString::number(line % 4 + 1));
            t.memos[3]->SetText(QString::number(199 + line % 1000) + QStringLiteral(".00"));
            t.memos[4]->SetText(QString::number((199 + line % 1000) * (line % 4 + 1)) + QStringLiteral(".00"));
            pages.AppendObject(*band);
        }
    }
    pages.EndPreparation();
    pages.Engine().Running = false;
}

// Pages drawn per second onto an image of the given size at the given scale; every page
// is drawn once first so that rebuilt pages and font tables are warm.
double pagesPerSecond(TfrxPreviewPages& pages, QSize size, double scale, int rounds)
{
    QImage image(size, QImage::Format_RGB32);
    for (int pass = 0; pass < 2; ++pass) {
        QElapsedTimer timer;
        timer.start();
        const int n = pass == 0 ? 1 : rounds;
        for (int r = 0; r < n; ++r) {
            for (int p = 0; p < kPages; ++p) {
                image.fill(Qt::white);
                QPainter painter(&image);
                pages.PaintPage(p, painter, scale, scale, 0, 0);
            }
        }
        if (pass == 1)
            return n * kPages / (timer.nsecsElapsed() / 1e9);
    }
    return 0;
}

void line(const char* figure, double value, const char* unit)
{
    std::printf("%-52s %12.1f %s\n", figure, value, unit);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    Template t;
    TfrxPreviewPages pages(t.report);
    prepare(t, pages);
    line("pages painted per second at 100 % (240 objects)", pagesPerSecond(pages, QSize(794, 1123), 1, 4),
         "pages/s");
    const double dpi300 = 300.0 / 96;
    line("pages painted per second at 300 dpi", pagesPerSecond(pages, QSize(2481, 3508), dpi300, 1), "pages/s");
    return 0;
}
