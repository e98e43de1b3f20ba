#include "preview/printing/print_job.h"

#include "preview/printing/frx_printers.h"
#include "preview/printing/page_numbers.h"
#include "platform/error.h"
#include "report/calc/frx_calc.h"
#include "report/frx_resources.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/text/text_context.h"

#include <QPainter>

#include <cmath>

namespace preview {

using report::TfrxPrintMode;
using report::TPrinterOrientation;

int fitCount(double length, double piece)
{
    if (piece <= 0)
        return 1;
    const double whole = std::floor(length / piece);
    const int count = std::abs(whole * piece - length) <= 11 ? int(std::lround(length / piece)) : int(whole) + 1;
    return std::max(1, count);
}

namespace {

// What the printer was last set up with; a page that differs sets it up again.
struct PrintParams {
    int paper = 0;
    long width = 0, height = 0;
    int bin = 0;
    TPrinterOrientation orientation{};
    int duplex = 0;
    bool operator==(const PrintParams&) const = default;
};

// The print options, the text context's copy name and the store's print values are put back
// however the job ends.
class JobValues {
public:
    JobValues(report::TfrxReport& report, report::TfrxPreviewPages& pages)
        : report_(report), pages_(pages), options_(report.PrintOptions()), copyName_(report.TextContext().CopyName)
    {
    }
    ~JobValues()
    {
        report_.PrintOptions() = options_;
        report_.TextContext().CopyName = copyName_;
        pages_.PrintCopyNo = 0;
        pages_.PrintScale = 1;
        pages_.PrintTotalPages = 0;
    }
    JobValues(const JobValues&) = delete;
    JobValues& operator=(const JobValues&) = delete;

private:
    report::TfrxReport& report_;
    report::TfrxPreviewPages& pages_;
    report::TfrxPrintOptions options_;
    std::optional<QString> copyName_;
};

// The preview locked and the progress display shown while the job runs, however it ends.
class JobScope {
public:
    explicit JobScope(const PrintJobHooks& hooks) : hooks_(hooks)
    {
        if (hooks_.LockPreview)
            hooks_.LockPreview(true);
        if (hooks_.OnProgressStart)
            hooks_.OnProgressStart();
    }
    ~JobScope()
    {
        if (hooks_.OnProgressStop)
            hooks_.OnProgressStop();
        if (hooks_.LockPreview)
            hooks_.LockPreview(false);
    }
    JobScope(const JobScope&) = delete;
    JobScope& operator=(const JobScope&) = delete;

private:
    const PrintJobHooks& hooks_;
};

class PrintRun {
public:
    PrintRun(report::TfrxReport& report, report::TfrxPreviewPages& pages, TfrxCustomPrinter& printer,
             const PrintJobHooks& hooks, int duplex)
        : report_(report), pages_(pages), printer_(printer), hooks_(hooks), options_(report.PrintOptions()),
          duplexOverride_(duplex), list_(options_.PageNumbers, pages.PageCount())
    {
    }

    // Prints every copy; false when the report was terminated.
    bool run();

private:
    bool runCopies();
    bool selected(int index) const;
    QList<int> pageOrder() const;
    // Each page `repeats` times in a row (copy numbers from copyNo on), the printer making
    // printerCopies of each sheet.
    bool printPages(int copyNo, int printerCopies, int repeats = 1);
    bool printPage(int index, int copyNo, int printerCopies);
    bool printSplit(int index, int copyNo, int printerCopies);
    bool runJoin(int copies);
    bool printJoinSheet(const QList<int>& order, int& next, int& cell, int columns, int rows, double cellW,
                        double cellH, int perPage, int run);
    void setParams(const PrintParams& params, double width, double height, int copies);
    void beginPage();
    void endPage();
    void draw(int index, int copyNo, double factorX, double factorY, double offsetXMm, double offsetYMm);
    int pageDuplex(const report::TfrxReportPage& page) const;
    int pageBin(int index, const report::TfrxReportPage& page) const;
    bool terminated();
    void progress(int pageNo);
    // The rebuilt page, after the report's OnPrintPage saw it; null when it cannot be rebuilt.
    report::TfrxReportPage* announcePage(int index, int copyNo);
    // Lets the window breathe and lets go of the rebuilt pages after each sheet.
    void afterSheet();
    void readSheet();

    report::TfrxReport& report_;
    report::TfrxPreviewPages& pages_;
    TfrxCustomPrinter& printer_;
    const PrintJobHooks& hooks_;
    report::TfrxPrintOptions options_;
    int duplexOverride_;
    PageNumberList list_;
    std::optional<PrintParams> last_;
    double sheetWidth_ = 0, sheetHeight_ = 0;
    int sheets_ = 0; // sheets of the copy being printed
    int lastDuplex_ = 0;
};

bool PrintRun::run()
{
    if (options_.PrintMode != TfrxPrintMode::pmDefault)
        readSheet();
    const int copies = std::max(1, options_.Copies);
    printer_.Title = report_.ReportOptions().Name.isEmpty() ? report_.FileName : report_.ReportOptions().Name;
    pages_.PrintTotalPages = pages_.PageCount();
    if (options_.PrintMode == TfrxPrintMode::pmJoin)
        return runJoin(copies);
    // A printer makes uncollated copies of each page itself; a file has no copy count, so
    // each page is written there as many times as copies were asked for.
    if (!options_.Collate)
        return printer_.FileName.isEmpty() ? printPages(1, copies) : printPages(1, 1, copies);
    for (int copy = 1; copy <= copies; ++copy) {
        sheets_ = 0;
        if (!printPages(copy, 1))
            return false;
        // Duplex copies each start on a sheet of their own.
        if ((lastDuplex_ == 1 || lastDuplex_ == 2) && sheets_ % 2 == 1 && printer_.Printing) {
            beginPage();
            endPage();
        }
    }
    return true;
}

// The sheet of the modes other than pmDefault: the chosen paper in portrait. "Default" (the
// custom size without a size) means the first printed page's own paper.
void PrintRun::readSheet()
{
    int paper = options_.PrintOnSheet;
    double width = 0, height = 0;
    if (paper == report::customPaperSize || paper == 0) {
        const QList<int> order = pageOrder();
        const report::TfrxReportPage* first = order.isEmpty() ? nullptr : pages_.GetPreparedPage(order.first());
        paper = first ? first->PaperSize() : 9;
        width = first ? std::min(first->PaperWidth(), first->PaperHeight()) : 210;
        height = first ? std::max(first->PaperWidth(), first->PaperHeight()) : 297;
    }
    printer_.SetViewParams(paper, width, height, TPrinterOrientation::poPortrait);
    options_.PrintOnSheet = paper;
    sheetWidth_ = printer_.PaperWidth;
    sheetHeight_ = printer_.PaperHeight;
}

bool PrintRun::selected(int index) const
{
    const int number = index + 1;
    if (!list_.Contains(number))
        return false;
    switch (options_.PrintPages) {
    case report::TfrxPrintPages::ppOdd: return number % 2 == 1;
    case report::TfrxPrintPages::ppEven: return number % 2 == 0;
    default: return true;
    }
}

QList<int> PrintRun::pageOrder() const
{
    QList<int> order;
    for (int i = 0; i < pages_.PageCount(); ++i)
        if (selected(i))
            order.append(i);
    if (options_.Reverse)
        std::reverse(order.begin(), order.end());
    return order;
}

bool PrintRun::printPages(int copyNo, int printerCopies, int repeats)
{
    for (const int index : pageOrder()) {
        for (int repeat = 0; repeat < repeats; ++repeat) {
            const int copy = copyNo + repeat;
            const bool printed = options_.PrintMode == TfrxPrintMode::pmSplit ? printSplit(index, copy, printerCopies)
                                                                              : printPage(index, copy, printerCopies);
            if (!printed)
                return false;
        }
    }
    return true;
}

bool PrintRun::terminated()
{
    if (!report_.Terminated)
        return false;
    if (printer_.Printing)
        printer_.Abort();
    return true;
}

int PrintRun::pageDuplex(const report::TfrxReportPage& page) const
{
    return duplexOverride_ != 0 ? duplexOverride_ : int(page.Duplex);
}

int PrintRun::pageBin(int index, const report::TfrxReportPage& page) const
{
    return index == 0 ? page.Bin : page.BinOtherPages;
}

void PrintRun::setParams(const PrintParams& params, double width, double height, int copies)
{
    if (last_ && *last_ == params)
        return;
    printer_.SetPrintParams(params.paper, width, height, params.orientation, copies, params.bin, params.duplex + 1);
    last_ = params;
}

void PrintRun::beginPage()
{
    if (!printer_.Printing)
        printer_.BeginDoc();
    printer_.BeginPage();
}

void PrintRun::endPage()
{
    printer_.EndPage();
    ++sheets_;
}

void PrintRun::progress(int pageNo)
{
    if (hooks_.OnProgress)
        hooks_.OnProgress(frxGet(QStringLiteral("prPrinting")).replace(QStringLiteral("%d"), QString::number(pageNo)));
}

// Draws the page with its corner at the offset (millimetres from the printable corner).
void PrintRun::draw(int index, int copyNo, double factorX, double factorY, double offsetXMm, double offsetYMm)
{
    QPainter* canvas = printer_.Canvas();
    if (!canvas)
        return;
    pages_.PrintCopyNo = copyNo;
    pages_.PrintScale = factorY;
    report_.TextContext().CopyName = report::copyNameText(copyNo);
    pages_.PaintPage(index, *canvas, printer_.DPIx / 96.0 * factorX, printer_.DPIy / 96.0 * factorY,
                     offsetXMm * printer_.DPIx / 25.4, offsetYMm * printer_.DPIy / 25.4,
                     report::TfrxPreviewPages::Output::Paper);
}

report::TfrxReportPage* PrintRun::announcePage(int index, int copyNo)
{
    report::TfrxReportPage* page = pages_.GetPreparedPage(index);
    if (page && hooks_.OnPrintPage)
        hooks_.OnPrintPage(*page, copyNo);
    return page;
}

void PrintRun::afterSheet()
{
    if (hooks_.ProcessMessages)
        hooks_.ProcessMessages();
    pages_.ClearPageCache();
}

bool PrintRun::printPage(int index, int copyNo, int printerCopies)
{
    if (terminated())
        return false;
    report::TfrxReportPage* page = announcePage(index, copyNo);
    if (!page)
        return true;
    const int duplex = pageDuplex(*page);
    const int bin = pageBin(index, *page);
    const double pageWidth = page->PaperWidth(), pageHeight = page->PaperHeight();
    double factorX = 1, factorY = 1;
    if (options_.PrintMode == TfrxPrintMode::pmScale) {
        const bool landscape = page->Orientation() == TPrinterOrientation::poLandscape;
        setParams({options_.PrintOnSheet, 0, 0, bin, page->Orientation(), duplex},
                  landscape ? sheetHeight_ : sheetWidth_, landscape ? sheetWidth_ : sheetHeight_, printerCopies);
        // The sheet as it lies for this page's orientation.
        factorX = pageWidth > 0 ? printer_.PaperWidth / pageWidth : 1;
        factorY = pageHeight > 0 ? printer_.PaperHeight / pageHeight : 1;
    } else {
        setParams({page->PaperSize(), std::lround(pageWidth), std::lround(pageHeight), bin, page->Orientation(), duplex},
                  pageWidth, pageHeight, printerCopies);
    }
    lastDuplex_ = duplex;
    beginPage();
    draw(index, copyNo, factorX, factorY, -printer_.LeftMargin, -printer_.TopMargin);
    progress(index + 1);
    endPage();
    afterSheet();
    return true;
}

// A page larger than the sheet, on as many sheets as it needs, row by row; neighbouring
// sheets overlap by 3 mm. The sheet is turned when that needs fewer sheets.
bool PrintRun::printSplit(int index, int copyNo, int printerCopies)
{
    if (terminated())
        return false;
    report::TfrxReportPage* page = announcePage(index, copyNo);
    if (!page)
        return true;
    const double pageWidth = page->PaperWidth(), pageHeight = page->PaperHeight();
    int columns = fitCount(pageWidth, sheetWidth_), rows = fitCount(pageHeight, sheetHeight_);
    const int turnedColumns = fitCount(pageWidth, sheetHeight_), turnedRows = fitCount(pageHeight, sheetWidth_);
    const bool turned = turnedColumns * turnedRows < columns * rows;
    if (turned) {
        columns = turnedColumns;
        rows = turnedRows;
    }
    const int duplex = pageDuplex(*page);
    lastDuplex_ = duplex;
    const TPrinterOrientation orientation = turned ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait;
    setParams({options_.PrintOnSheet, 0, 0, pageBin(index, *page), orientation, duplex},
              turned ? sheetHeight_ : sheetWidth_, turned ? sheetWidth_ : sheetHeight_, printerCopies);
    const double w = printer_.PaperWidth, h = printer_.PaperHeight;
    const double l = printer_.LeftMargin, t = printer_.TopMargin, r = printer_.RightMargin, b = printer_.BottomMargin;
    // Where the page's corner lies, from the printable corner, on the sheet of a row/column.
    const auto shift = [](int n, double first, double size, double lead, double trail) {
        if (n == 0)
            return -first;
        return -(size - trail - kSheetOverlapMm) - (n - 1) * (size - lead - trail - kSheetOverlapMm);
    };
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            if (terminated())
                return false;
            beginPage();
            draw(index, copyNo, 1, 1, shift(column, l, w, l, r), shift(row, t, h, t, b));
            endPage();
        }
    }
    progress(index + 1);
    afterSheet();
    return true;
}

// Several small pages on one sheet. Pages go forward and only the page list selects them;
// without collation each page fills Copies cells in a row, with it the whole run repeats.
bool PrintRun::runJoin(int copies)
{
    QList<int> order;
    for (int i = 0; i < pages_.PageCount(); ++i)
        if (list_.Contains(i + 1))
            order.append(i);
    if (order.isEmpty())
        return true;
    const report::TfrxReportPage* first = pages_.GetPreparedPage(order.first());
    if (!first)
        return true;
    double cellW = first->PaperWidth(), cellH = first->PaperHeight();
    const int bin = first->Bin, duplex = pageDuplex(*first);
    int columns = fitCount(sheetWidth_, cellW), rows = fitCount(sheetHeight_, cellH);
    const int turnedColumns = fitCount(sheetWidth_, cellH), turnedRows = fitCount(sheetHeight_, cellW);
    const bool turned = turnedColumns * turnedRows < columns * rows;
    if (turned) {
        columns = turnedRows;
        rows = turnedColumns;
    }
    const TPrinterOrientation orientation = turned ? TPrinterOrientation::poLandscape : TPrinterOrientation::poPortrait;
    setParams({options_.PrintOnSheet, 0, 0, bin, orientation, duplex}, turned ? sheetHeight_ : sheetWidth_,
              turned ? sheetWidth_ : sheetHeight_, 1);
    lastDuplex_ = duplex;
    const int runs = options_.Collate ? copies : 1;
    const int perPage = options_.Collate ? 1 : copies;
    for (int run = 1; run <= runs; ++run) {
        sheets_ = 0;
        int next = 0, cell = 0;
        while (next < order.size()) {
            if (!printJoinSheet(order, next, cell, columns, rows, cellW, cellH, perPage, run))
                return false;
        }
        if ((lastDuplex_ == 1 || lastDuplex_ == 2) && sheets_ % 2 == 1 && run < runs) {
            beginPage();
            endPage();
        }
    }
    return true;
}

// One sheet of joined pages; `next` and `cell` say where the pages and copies stand.
bool PrintRun::printJoinSheet(const QList<int>& order, int& next, int& cell, int columns, int rows, double cellW,
                              double cellH, int perPage, int run)
{
    if (terminated())
        return false;
    beginPage();
    for (int slot = 0; slot < columns * rows && next < order.size(); ++slot) {
        const int index = order[next];
        const int copyNo = perPage > 1 ? cell + 1 : run;
        announcePage(index, copyNo);
        draw(index, copyNo, 1, 1, -printer_.LeftMargin + (slot % columns) * cellW,
             -printer_.TopMargin + (slot / columns) * cellH);
        if (++cell >= perPage) {
            cell = 0;
            ++next;
        }
    }
    progress(next);
    endPage();
    afterSheet();
    return !terminated();
}

} // namespace

bool printPages(report::TfrxReport& report, report::TfrxPreviewPages& pages, TfrxPrinters& printers,
                const PrintJobHooks& hooks)
{
    const JobValues restore(report, pages);
    printers.SelectByName(report.PrintOptions().Printer);
    int duplex = 0;
    if (report.PrintOptions().ShowDialog && hooks.ShowDialog && !hooks.ShowDialog(duplex))
        return false;
    // A malformed list stops the job before anything reaches the printer.
    PageNumberList(report.PrintOptions().PageNumbers, pages.PageCount());
    TfrxCustomPrinter& printer = printers.Printer();
    // The file chosen for this job is not the next job's.
    const std::unique_ptr<TfrxCustomPrinter, void (*)(TfrxCustomPrinter*)> forgetFile(
        &printer, [](TfrxCustomPrinter* p) { p->FileName.clear(); });
    report.Terminated = false;
    if (hooks.OnPrintReport)
        hooks.OnPrintReport();
    pages.ClearPageCache();
    bool completed = false;
    {
        const JobScope scope(hooks);
        try {
            PrintRun run(report, pages, printer, hooks, duplex);
            completed = run.run();
            if (printer.Printing)
                printer.EndDoc();
        } catch (...) {
            if (printer.Printing)
                printer.Abort();
            throw;
        }
    }
    if (hooks.OnAfterPrintReport)
        hooks.OnAfterPrintReport();
    return completed && !report.Terminated;
}

} // namespace preview
