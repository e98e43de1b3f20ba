// The preview window over a 1,000-page prepared quotation (the built-in template over
// generated lines): the time from opening the window until its first page is painted, the
// time of each scroll step while scrolling through every page at 100 % (median and 99th
// percentile), and the memory after every page has been on screen.
#include "generated_lines.h"
#include "platform/font_table.h"
#include "platform/headless_gui.h"
#include "preview/window/preview_control.h"
#include "preview/window/preview_form.h"
#include "preview/window/preview_workspace.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_template.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kPages = 1000;

// Resident memory of the process in KiB (Linux).
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

// Prepares enough generated lines for kPages pages and saves them as a prepared-report file.
int writeQuotation(const QString& file)
{
    int lines = 18 * kPages;
    for (;;) {
        GeneratedLinesDataSet source(lines);
        source.SetName(QStringLiteral("frxDBDataset1"));
        report::TfrxReport report;
        report::loadQuotationTemplate(report);
        report.EngineOptions().NewSilentMode = report::TfrxSilentMode::simSilent;
        report::ReportShell shell(report);
        shell.PrepareReport(true);
        const int pages = shell.PreviewPages().PageCount();
        if (pages >= kPages || pages == 0) {
            shell.PreviewPages().SaveToFile(file);
            return pages;
        }
        lines = lines * kPages / pages + 18;
    }
}

} // namespace

int main(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QApplication app(argc, argv);
    platform::installFontTable();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("quotation.fp3"));
    const int pages = writeQuotation(file);

    GeneratedLinesDataSet source(0);
    source.SetName(QStringLiteral("frxDBDataset1"));
    report::TfrxReport report;
    report::loadQuotationTemplate(report);
    report::ReportShell shell(report);
    const long before = residentKiB();

    QElapsedTimer clock;
    clock.start();
    shell.PreviewPages().LoadFromFile(file);
    const double loaded = clock.nsecsElapsed() / 1e6;
    clock.restart();
    preview::TfrxPreviewForm form(nullptr, shell);
    form.resize(1280, 960);
    form.show();
    form.Init();
    preview::TfrxPreviewWorkspace& area = *form.preview()->workspace();
    // The window system shows the window first; then its page area paints.
    while (!form.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    area.viewport()->repaint();
    const double firstPaint = clock.nsecsElapsed() / 1e6;
    const int cachedAtFirstPaint = shell.PreviewPages().CachedPageCount();

    // Scroll steps of a wheel notch's three lines (60 pixels) through every page.
    std::vector<double> steps;
    const int end = area.pageList().scrollSize().height();
    long halfway = 0;
    for (int y = 0; y < end; y += 60) {
        if (halfway == 0 && y >= end / 2)
            halfway = residentKiB();
        clock.restart();
        area.setScrollPos({0, y});
        QApplication::sendPostedEvents(); // the paint of what scrolled into view
        steps.push_back(clock.nsecsElapsed() / 1e6);
    }
    const long after = residentKiB();

    std::printf("pages: %d (file of %.1f MiB)\n", pages, QFile(file).size() / 1048576.0);
    std::printf("load the prepared-report file: %.1f ms\n", loaded);
    std::printf("open the window until the first page is painted: %.1f ms (goal <= 200 ms; %d pages drawn)\n",
                firstPaint, cachedAtFirstPaint);
    std::printf("scroll step at 100%% (%zu steps of 60 px): median %.2f ms, p99 %.2f ms, max %.2f ms "
                "(goal: median <= 8 ms, p99 <= 16 ms)\n",
                steps.size(), percentile(steps, 0.5), percentile(steps, 0.99), percentile(steps, 1.0));
    std::printf("memory after visiting every page: %ld KiB more than with the file loaded (%ld KiB after half "
                "of them); %d pages cached\n",
                after - before, halfway - before, shell.PreviewPages().CachedPageCount());
    return 0;
}
