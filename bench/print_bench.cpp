// Printing the 10,000-line quotation (556 pages): the time from the job's start until the
// queue has the whole job (a cups-pdf queue on a private CUPS server); printing to a file;
// and the same pages written by the PDF export, with the ratios of one run; and, for
// scale, until cups-pdf has made its PDF of the job (the spooler's own conversion).
//
//   bench_print [ROWS]    (default 10000; needs root for the CUPS server, else prints only
//                          the file figures)

#include "figure_line.h"
#include "generated_lines.h"
#include "preview/printing/frx_printers.h"
#include "preview/printing/print_job.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/pages/page_export.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_template.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace report;

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// A private server with a cups-pdf queue; empty when it cannot start.
QString startServer(const QString& dir)
{
    QProcess p;
    p.start(QStringLiteral(QMX_SOURCE_DIR "/scripts/cups_test_server"),
            {QStringLiteral("start"), dir, QString::number(::getpid())});
    p.waitForFinished(60000);
    if (p.exitCode() != 0) {
        std::fprintf(stderr, "no CUPS server: %s\n", p.readAllStandardError().constData());
        return QString();
    }
    qputenv("CUPS_SERVER", (dir + QStringLiteral("/cups.sock")).toLocal8Bit());
    return dir + QStringLiteral("/pdf");
}

bool print(TfrxReport& report, TfrxPreviewPages& pages, const QString& title, const QString& file)
{
    report.ReportOptions().Name = title;
    report.PrintOptions().ShowDialog = false;
    preview::TfrxPrinters& printers = preview::frxPrinters();
    printers.Printer().FileName = file;
    try {
        return preview::printPages(report, pages, printers, {});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "printing failed: %s\n", e.what());
        return false;
    }
}

// Waits (at most ten minutes) for cups-pdf's finished PDF of the job.
bool waitForPdf(const QString& folder, const QString& title)
{
    for (int i = 0; i < 6000; ++i) {
        const QStringList found = QDir(folder).entryList({title + QStringLiteral("*.pdf")}, QDir::Files);
        if (!found.isEmpty()) {
            // cups-pdf writes under the final name: the file is whole once poppler reads it.
            QProcess info;
            info.setStandardOutputFile(QProcess::nullDevice());
            info.setStandardErrorFile(QProcess::nullDevice());
            info.start(QStringLiteral("pdfinfo"), {folder + u'/' + found.first()});
            if (info.waitForFinished(60000) && info.exitCode() == 0)
                return true;
        }
        QThread::msleep(100);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    // The server's folder must be open to the spooler's filters, so not inside `dir`.
    const QString cupsDir = QDir::tempPath() + QStringLiteral("/qmx-bench-cups-") + QString::number(::getpid());
    const QString pdfFolder = ::geteuid() == 0 ? startServer(cupsDir) : QString();
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    GeneratedLinesDataSet lines(rows);
    lines.SetName(QStringLiteral("frxDBDataset1"));
    TfrxReport report;
    loadQuotationTemplate(report);
    ReportShell shell(report);
    if (!shell.PrepareReport(true))
        return 1;
    TfrxPreviewPages& pages = shell.PreviewPages();
    std::printf("pages                                                %12d\n", pages.PageCount());

    const double exportMs = millisecondsOf([&] { pdfExport().Export(pages, dir.filePath(QStringLiteral("export.pdf")), {}); });
    printFigure("PDF export", exportMs, "ms");
    if (pdfFolder.isEmpty() || !preview::frxPrinters().HasPhysicalPrinters())
        return 0;
    const QString prn = dir.filePath(QStringLiteral("out.prn"));
    const double fileMs = millisecondsOf([&] { print(report, pages, QStringLiteral("file"), prn); });
    printFigure("print to file", fileMs, "ms");
    printFigure("print to file / PDF export", fileMs / exportMs, "x");
    const double queueMs = millisecondsOf([&] { print(report, pages, QStringLiteral("benchjob"), QString()); });
    printFigure("print to the queue, until the queue has the job", queueMs, "ms");
    printFigure("print to the queue / PDF export", queueMs / exportMs, "x");
    const double convertMs = millisecondsOf([&] {
        if (!waitForPdf(pdfFolder, QStringLiteral("benchjob")))
            std::fprintf(stderr, "cups-pdf wrote no PDF within ten minutes\n");
    });
    printFigure("then until cups-pdf has written its PDF", convertMs, "ms");
    std::printf("file sizes: export %lld KiB, print to file %lld KiB\n",
                QFileInfo(dir.filePath(QStringLiteral("export.pdf"))).size() / 1024, QFileInfo(prn).size() / 1024);
    QProcess::execute(QStringLiteral(QMX_SOURCE_DIR "/scripts/cups_test_server"), {QStringLiteral("stop"), cupsDir});
    QDir(cupsDir).removeRecursively();
    return 0;
}
