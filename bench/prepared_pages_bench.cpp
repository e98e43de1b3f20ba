// Prepared pages: 1,000,000 text objects appended as 5,000 pages of 40 bands with 5 texts
// each (a handful of source objects), the memory they take, saving and loading the
// prepared-report file, rebuilding a page, and the peak memory with the file cache on.
#include "figure_line.h"
#include "quotation_rows.h"
#include "report/pages/preview_pages.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <malloc.h>

namespace {

using namespace report;

constexpr int kPages = 5000;
constexpr int kBandsPerPage = 40;
using bench::kMemosPerBand;
using Template = bench::QuotationRows;
constexpr int kRebuilds = 200;

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// The band engine's part: every page gets 40 rows of five texts.
void prepare(Template& t, TfrxPreviewPages& pages, qint64* peak = nullptr)
{
    pages.Clear();
    pages.Engine().Running = true;
    pages.BeginPreparation();
    pages.RegisterSourcePage(*t.page);
    int line = 0;
    for (int p = 0; p < kPages; ++p) {
        pages.StartPage(*t.page);
        for (int b = 0; b < kBandsPerPage; ++b, ++line) {
            t.band->SetTop(60 + b * 24);
            t.fill(line);
            t.memos[4]->SetHeight(line % 3 ? 20 : 40);
            pages.AppendObject(*t.band);
        }
        if (peak && (p & 15) == 0)
            *peak = std::max(*peak, heapInUse());
    }
    pages.EndPreparation();
    pages.Engine().Running = false;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const double objects = double(kPages) * kBandsPerPage * kMemosPerBand;
    const double elements = double(kPages) * kBandsPerPage * (kMemosPerBand + 1);

    {
        Template t;
        TfrxPreviewPages pages(t.report);
        const qint64 empty = heapInUse();
        QElapsedTimer timer;
        timer.start();
        prepare(t, pages);
        const double seconds = timer.nsecsElapsed() / 1e9;
        const qint64 used = heapInUse() - empty;
        printFigure("text objects appended per second (goal >= 500000)", objects / seconds, "objects/s");
        printFigure("memory per stored object (goal <= 200)", double(used) / elements, "bytes");

        const QString path = dir.filePath(QStringLiteral("bench.fp3"));
        timer.restart();
        pages.SaveToFile(path);
        const double saveSeconds = timer.nsecsElapsed() / 1e9;
        const double megabytes = QFile(path).size() / 1048576.0;
        printFigure(".fp3 file size", megabytes, "MB");
        printFigure(".fp3 save throughput", megabytes / saveSeconds, "MB/s");

        TfrxReport other;
        TfrxPreviewPages loaded(other);
        timer.restart();
        loaded.LoadFromFile(path);
        printFigure(".fp3 load throughput", megabytes / (timer.nsecsElapsed() / 1e9), "MB/s");

        timer.restart();
        for (int i = 0; i < kRebuilds; ++i)
            pages.GetPreparedPage(i * (kPages / kRebuilds)); // distinct pages: never cached
        printFigure("rebuilding one 200-object page (goal <= 2)", timer.nsecsElapsed() / 1e6 / kRebuilds, "ms");
    }

    {
        Template t;
        t.report.EngineOptions().UseFileCache = true;
        t.report.EngineOptions().MaxMemSize = 10;
        t.report.EngineOptions().TempDir = dir.path();
        TfrxPreviewPages pages(t.report);
        malloc_trim(0);
        const qint64 empty = heapInUse();
        qint64 peak = empty;
        prepare(t, pages, &peak);
        printFigure("peak memory above the empty store, file cache 10 MB (goal <= 60)", (peak - empty) / 1048576.0, "MB");
    }
    return 0;
}
