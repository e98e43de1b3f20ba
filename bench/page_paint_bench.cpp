// Drawing prepared pages: 50 quotation-like pages of 40 rows (five framed texts and a rule
// each, a picture every tenth row) painted at 100 % onto a screen-sized image, as the preview
// repaints them, and at 300 dpi as a printer or a PDF page would take them.
#include "figure_line.h"
#include "quotation_rows.h"
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

// The quotation rows with a rule under each row and a band with a picture for every tenth.
struct Template : bench::QuotationRows {
    TfrxMasterData* pictureBand;

    Template()
    {
        for (TfrxMemoView* memo : memos) {
            TfrxFont font = memo->Font();
            font.SetName(QStringLiteral("宋体"));
            memo->SetFont(font);
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
            t.fill(line);
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

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    Template t;
    TfrxPreviewPages pages(t.report);
    prepare(t, pages);
    printFigure("pages painted per second at 100 % (240 objects)", pagesPerSecond(pages, QSize(794, 1123), 1, 4),
         "pages/s");
    const double dpi300 = 300.0 / 96;
    printFigure("pages painted per second at 300 dpi", pagesPerSecond(pages, QSize(2481, 3508), dpi300, 1), "pages/s");
    return 0;
}
