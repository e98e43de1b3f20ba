// The quotation printout prepared over 1,000 and 10,000 generated lines: preparing in this
// process (best of several runs), saving the prepared-report file, and the whole
// `qmxdiy-report prepare --builtin --rows N -o x.fp3` process (wall time and peak memory).
// When the peer harness (KReport over the same rows) has been built, it runs in the same
// run on the same rows and the ratios are printed. The whole process over no lines gives the
// start alone. Arguments: the qmxdiy-report program, and optionally the peer harness's folder.
#include "generated_lines.h"
#include "process_run.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_template.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace report;

constexpr int kRuns = 5;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Figures {
    double prepareMin = 0, prepareMedian = 0, processMin = 0, processMedian = 0, peakMb = 0, pdfMs = 0;
};

// The prepared pages written as a PDF, as the peer harness's pdf mode times its own; the
// best of three, as for the peer.
double pdfTime(TfrxPreviewPages& pages, const QString& file)
{
    double best = 0;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        pdfExport().Export(pages, file, TfrxExportSettings());
        const double ms = double(t.nsecsElapsed()) / 1e6;
        best = run == 0 ? ms : std::min(best, ms);
    }
    return best;
}

// Preparing in this process: the template is loaded once per run, as the program does.
Figures ownInProcess(int lines, const QString& fp3)
{
    std::vector<double> times;
    int pages = 0;
    double pdfMs = 0;
    for (int run = 0; run < kRuns; ++run) {
        GeneratedLinesDataSet source(lines);
        source.SetName(QStringLiteral("frxDBDataset1"));
        TfrxReport report;
        loadQuotationTemplate(report);
        report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
        ReportShell shell(report);
        QElapsedTimer t;
        t.start();
        shell.PrepareReport(true);
        times.push_back(double(t.nsecsElapsed()) / 1e6);
        pages = shell.PreviewPages().PageCount();
        if (run == kRuns - 1) {
            QElapsedTimer s;
            s.start();
            shell.PreviewPages().SaveToFile(fp3);
            const double saveMs = double(s.nsecsElapsed()) / 1e6;
            std::printf("report %d lines: pages %d\n", lines, pages);
            std::printf("report %d lines: fp3 size %.2f MB, save %.1f ms\n", lines,
                        double(QFileInfo(fp3).size()) / 1048576.0, saveMs);
            const QString pdf = QString(fp3).replace(QStringLiteral(".fp3"), QStringLiteral(".pdf"));
            pdfMs = pdfTime(shell.PreviewPages(), pdf);
            std::printf("report %d lines: pdf %.1f ms (min), %d pages, %.2f MB\n", lines, pdfMs, pages,
                        double(QFileInfo(pdf).size()) / 1048576.0);
        }
    }
    Figures f;
    f.pdfMs = pdfMs;
    f.prepareMin = *std::min_element(times.begin(), times.end());
    f.prepareMedian = median(times);
    std::printf("report %d lines: prepare %.1f ms (min), %.1f ms (median)\n", lines, f.prepareMin, f.prepareMedian);
    return f;
}

void ownProcess(const QString& tool, int lines, const QString& fp3, Figures& f)
{
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const ProcessRun r = runProcess({tool, QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"),
                                         QString::number(lines), QStringLiteral("-o"), fp3});
        if (!r.ok) {
            std::printf("report %d lines: qmxdiy-report prepare failed\n", lines);
            return;
        }
        times.push_back(r.seconds * 1000);
        f.peakMb = std::max(f.peakMb, r.peakMb);
    }
    f.processMin = *std::min_element(times.begin(), times.end());
    f.processMedian = median(times);
    std::printf("report %d lines: whole process %.1f ms (min), %.1f ms (median), peak memory %.1f MB\n", lines,
                f.processMin, f.processMedian, f.peakMb);
}

// The peer's PDF time (its own timing of writing the PDF), best of three runs.
void peerPdf(const QString& harness, const QString& layout, int lines, const Figures& own)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("peer.pdf"));
    std::vector<double> pdfMs;
    for (int run = 0; run < 3; ++run) {
        const ProcessRun r = runProcess({harness, QString::number(lines), QStringLiteral("pdf"), layout, out});
        const QJsonObject o = QJsonDocument::fromJson(r.out.trimmed().split('\n').last()).object();
        if (!r.ok || o.isEmpty()) {
            std::printf("peer %d lines: the harness failed in pdf mode\n", lines);
            return;
        }
        pdfMs.push_back(o.value(QStringLiteral("pdf_ms")).toDouble());
    }
    const double best = *std::min_element(pdfMs.begin(), pdfMs.end());
    std::printf("peer %d lines: pdf %.1f ms (min), %.1f ms (median)\n", lines, best, median(pdfMs));
    std::printf("ratio %d lines: pdf %.2f\n", lines, own.pdfMs / best);
}

bool peer(const QString& folder, int lines, const Figures& own)
{
    const QString harness = folder + QStringLiteral("/kreport_bench");
    const QString layout = folder + QStringLiteral("/quote.kreport");
    if (!QFileInfo(harness).isExecutable() || !QFileInfo(layout).isFile())
        return false;
    std::vector<double> prepareMs, wall;
    double peak = 0;
    for (int run = 0; run < kRuns; ++run) {
        const ProcessRun r = runProcess({harness, QString::number(lines), QStringLiteral("prepare"), layout});
        const QJsonObject o = QJsonDocument::fromJson(r.out.trimmed().split('\n').last()).object();
        if (!r.ok || o.isEmpty()) {
            std::printf("peer %d lines: the harness failed\n", lines);
            return true;
        }
        prepareMs.push_back(o.value(QStringLiteral("prepare_ms")).toDouble());
        wall.push_back(r.seconds * 1000);
        peak = std::max(peak, r.peakMb);
    }
    const double pMin = *std::min_element(prepareMs.begin(), prepareMs.end());
    const double wMin = *std::min_element(wall.begin(), wall.end());
    std::printf("peer %d lines: prepare %.1f ms (min), %.1f ms (median), whole process %.1f ms (min), %.1f ms (median), "
                "peak memory %.1f MB\n",
                lines, pMin, median(prepareMs), wMin, median(wall), peak);
    std::printf("ratio %d lines: prepare %.2f (min) %.2f (median), whole process %.2f (min) %.2f (median), "
                "peak memory %.2f\n",
                lines, own.prepareMin / pMin, own.prepareMedian / median(prepareMs), own.processMin / wMin,
                own.processMedian / median(wall), own.peakMb / peak);
    peerPdf(harness, layout, lines, own);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_report QMXDIY_REPORT [PEER_FOLDER]\n");
        return 2;
    }
    const QString tool = args[1];
    const QString peerFolder = args.size() > 2 ? args[2] : QString();
    QTemporaryDir dir;
    // The start alone: an empty quotation, which is most of a short one's time.
    Figures start;
    ownProcess(tool, 0, dir.filePath(QStringLiteral("q0.fp3")), start);
    for (int lines : {1000, 10000}) {
        const QString fp3 = dir.filePath(QStringLiteral("q%1.fp3").arg(lines));
        Figures f = ownInProcess(lines, fp3);
        ownProcess(tool, lines, fp3, f);
        if (peerFolder.isEmpty() || !peer(peerFolder, lines, f))
            std::printf("peer %d lines: harness not built (see ../shared/peers/kreport/README.md)\n", lines);
    }
    return 0;
}
