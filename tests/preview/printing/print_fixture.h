#pragma once

// Prepared pages for the printing tests: a report made here, one prepared page per template
// page (each page's paper, orientation and texts chosen by the test), and the quotation's
// pages prepared by the report tool over generated rows. A recording printer notes every
// job call instead of printing.

#include "preview/printing/frx_printers.h"
#include "preview/printing/print_job.h"
#include "platform/error.h"
#include "report/model/frx_paper.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/text/text_context.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace printtest {

using namespace report;

struct PageSpec {
    PageSpec(QStringList pageTexts = {}, int paperSize = 9) : texts(std::move(pageTexts)), paper(paperSize) {}
    QStringList texts;        // one text object each, stacked
    int paper = 9;            // 256 with width and height for a size of its own
    double width = 0, height = 0;
    TPrinterOrientation orientation = TPrinterOrientation::poPortrait;
    int bin = 0, binOther = 0;
    TfrxDuplexMode duplex = TfrxDuplexMode::dmNone;
    QStringList hidden;       // text objects that are not Printable
};

// A report whose prepared pages are the given pages, in order.
class MadePages {
public:
    explicit MadePages(const std::vector<PageSpec>& specs)
    {
        report.SetName(QStringLiteral("frxReport1"));
        report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
        int n = 0;
        for (const PageSpec& spec : specs)
            addPage(spec, ++n);
        shell = std::make_unique<ReportShell>(report);
        prepared = shell->PrepareReport(true);
    }
    TfrxPreviewPages& pages() { return shell->PreviewPages(); }

    TfrxReport report;
    std::unique_ptr<ReportShell> shell;
    bool prepared = false;

private:
    void addPage(const PageSpec& spec, int n)
    {
        auto* page = new TfrxReportPage(&report);
        page->SetName(QStringLiteral("Page%1").arg(n));
        page->SetOrientation(spec.orientation);
        if (spec.paper == customPaperSize) {
            page->SetPaperWidth(spec.width);
            page->SetPaperHeight(spec.height);
        } else {
            page->SetPaperSize(spec.paper);
        }
        page->LeftMargin = page->RightMargin = page->TopMargin = page->BottomMargin = 10;
        page->Bin = spec.bin;
        page->BinOtherPages = spec.binOther;
        page->Duplex = spec.duplex;
        auto* band = new TfrxReportTitle(page);
        band->SetName(QStringLiteral("Title%1").arg(n));
        band->SetBounds(0, 0, 100 * fr01cm, 20 * fr01cm);
        int i = 0;
        const auto add = [&](const QString& text, bool printable) {
            auto* memo = new TfrxMemoView(band);
            memo->SetName(QStringLiteral("Memo%1_%2").arg(n).arg(++i));
            memo->SetBounds(0, (i - 1) * 20, 90 * fr01cm, 20);
            memo->SetText(text);
            memo->Printable = printable;
        };
        for (const QString& text : spec.texts)
            add(text, true);
        for (const QString& text : spec.hidden)
            add(text, false);
    }
};

// Pages of texts "P1" .. "Pn" on A4 portrait.
inline std::vector<PageSpec> numberedPages(int count)
{
    std::vector<PageSpec> specs;
    for (int i = 1; i <= count; ++i)
        specs.push_back(PageSpec{{QStringLiteral("P%1").arg(i)}});
    return specs;
}

// The quotation prepared by the report tool over that many generated rows, as a file.
inline QString quotationFile(int rows)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("quotation%1.fp3").arg(rows));
    if (QFile::exists(path))
        return path;
    QProcess p;
    p.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"),
            {QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--rows"), QString::number(rows),
             QStringLiteral("-o"), path});
    p.waitForFinished(300000);
    return p.exitCode() == 0 ? path : QString();
}

// Every call of a job, as text: "params paper w h orientation copies bin duplex", "begin",
// "page", "end page", "end", "abort".
class RecordingPrinter : public preview::TfrxCustomPrinter {
public:
    explicit RecordingPrinter(const QString& name = QStringLiteral("Recorder"))
        : TfrxCustomPrinter(name, QStringLiteral("port of ") + name)
    {
    }
    void Init() override
    {
        if (Initialized)
            return;
        Papers += preview::standardPapers();
        DPIx = DPIy = 96;
        SetViewParams(9, 0, 0, TPrinterOrientation::poPortrait);
        LeftMargin = TopMargin = RightMargin = BottomMargin = 5;
        Initialized = true;
    }
    void Abort() override
    {
        calls << QStringLiteral("abort");
        painter.reset();
        Printing = false;
    }
    void BeginDoc() override
    {
        calls << QStringLiteral("begin");
        Printing = true;
    }
    void BeginPage() override
    {
        if (failOnPage > 0 && ++pagesBegun == failOnPage)
            throw platform::Error(QStringLiteral("The printer went away"));
        calls << QStringLiteral("page");
        painter = std::make_unique<QPainter>(&image);
    }
    void EndPage() override
    {
        painter.reset();
        calls << QStringLiteral("end page");
    }
    void EndDoc() override
    {
        calls << QStringLiteral("end");
        Printing = false;
    }
    void BeginRAWDoc() override {}
    void EndRAWDoc() override {}
    void WriteRAWDoc(const QByteArray&) override {}
    void SetViewParams(int paper, double width, double height, TPrinterOrientation orientation) override
    {
        PaperSize = paper;
        Orientation = orientation;
        const PaperInfo* info = findPaper(paper);
        PaperWidth = info ? info->widthMm : width;
        PaperHeight = info ? info->heightMm : height;
        if (info && orientation == TPrinterOrientation::poLandscape)
            std::swap(PaperWidth, PaperHeight);
    }
    void SetPrintParams(int paper, double width, double height, TPrinterOrientation orientation, int copies, int bin,
                        int duplex) override
    {
        SetViewParams(paper, width, height, orientation);
        calls << QStringLiteral("params %1 %2 %3 %4 %5 %6 %7")
                     .arg(paper)
                     .arg(std::lround(PaperWidth))
                     .arg(std::lround(PaperHeight))
                     .arg(orientation == TPrinterOrientation::poLandscape ? QStringLiteral("L") : QStringLiteral("P"))
                     .arg(copies)
                     .arg(bin)
                     .arg(duplex);
    }
    bool PropertiesDlg(QWidget*) override { return false; }
    QPainter* Canvas() override { return painter.get(); }

    QStringList calls;
    int failOnPage = 0; // the page whose start fails (1-based), 0 for none
    int pagesBegun = 0;
    QImage image{64, 64, QImage::Format_RGB32};
    std::unique_ptr<QPainter> painter;

    int count(const QString& call) const { return int(calls.count(call)); }
};

// A printer list of recording printers ("Recorder", "Second", ...), the first the default.
inline std::unique_ptr<preview::TfrxPrinters> recordingPrinters(int count = 1)
{
    std::vector<std::unique_ptr<preview::TfrxCustomPrinter>> list;
    const QStringList names{QStringLiteral("Recorder"), QStringLiteral("Second"), QStringLiteral("Third")};
    for (int i = 0; i < count; ++i)
        list.push_back(std::make_unique<RecordingPrinter>(names[i]));
    return std::make_unique<preview::TfrxPrinters>(std::move(list), 0);
}

} // namespace printtest
