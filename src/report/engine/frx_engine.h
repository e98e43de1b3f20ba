#pragma once

// The band engine: walks the report pages, runs the data sources row by row, decides for
// every band whether and where it is printed, grows bands and objects to their content,
// starts new pages and columns, reprints headers and prints footers and summaries, and
// feeds the aggregates. One engine belongs to one report.

#include "report/engine/band_run.h"

#include <QSet>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace report {

class ClassInfo;
class EngineExtensions;
class ReportCalc;
class TfrxGroupHeader;
class TfrxOverlay;
class TfrxPageFooter;
class TfrxPreviewPages;
class TfrxReport;

// Callbacks of the host program fired while the engine runs; each may be left empty.
struct EngineHooks {
    std::function<void(TfrxComponent& component)> OnBeforePrint;
    std::function<void(TfrxComponent& component)> OnAfterPrint;
    // Builds a page's content instead of its data bands.
    std::function<void(TfrxReportPage& page)> OnManualBuild;
    // Runs a script procedure the template names (a band's OnBeforePrint, OnStartReport, ...).
    std::function<void(const QString& procedure, TfrxComponent* sender)> RunProcedure;
    // Lets the window system process pending messages.
    std::function<void()> ProcessMessages;
};

// Bounds that keep a hostile template from running without end; reaching one adds an
// error line and stops the run with the pages made so far.
struct EngineLimits {
    int maxPages = 20000;
    qint64 maxRows = 10000000;
    // Objects on one prepared page (bands and what they hold): far above any real page, far
    // below what a band of no height repeated for every row would pile up.
    qint64 maxPageObjects = 100000;
};

class TfrxEngine {
public:
    TfrxEngine(TfrxReport& report, ReportCalc& calc, TfrxPreviewPages& pages);
    virtual ~TfrxEngine();
    TfrxEngine(const TfrxEngine&) = delete;
    TfrxEngine& operator=(const TfrxEngine&) = delete;

    // Readable by scripts.
    int CurColumn = 1;
    int CurVColumn = 0;
    double CurX = 0;
    double CurY = 0;
    double PageHeight = 0;
    double PageWidth = 0;
    int TotalPages = 0;
    bool FinalPass = true;
    bool DoublePass = false;
    double StartDate = 0;
    double StartTime = 0;

    // One run: link, validate, initialize the data sources, one or two passes, finalize.
    // False when validation failed or a dialog was cancelled; errors of the run are in the
    // report's error list. Exceptions pass after the data sources are finalized.
    bool Run();
    bool Running() const { return running_; }

    virtual void EndPage();
    virtual void NewColumn();
    virtual void NewPage();
    virtual void ShowBand(TfrxBand* band);
    // The current page's first band of that class (nothing when it has none).
    void ShowBandByClass(const ClassInfo& cls);
    virtual double FooterHeight() const;
    virtual double FreeSpace() const;
    // Sets the report's Terminated flag: the run stops at the next check.
    void StopReport();

    EngineHooks& Hooks() { return hooks_; }
    EngineLimits& Limits() { return limits_; }
    // The extensions the engine calls; null restores the engine's own.
    void SetExtensions(EngineExtensions* extensions);
    // Told after each data row; emptied at the start of every preparation.
    std::vector<std::function<void()>>& NotifyList() { return notify_; }

    TfrxReport& Report() const { return report_; }
    ReportCalc& Calc() const { return calc_; }
    TfrxPreviewPages& PreviewPages() const { return pages_; }
    BandRunState& BandState() { return state_; }
    TfrxReportPage* CurrentPage() const { return page_; }
    bool IsFirstPage() const { return firstPage_; }
    bool IsLastPage() const { return lastPage_; }
    // The values of Line and Line#.
    int CurLine() const { return line_; }
    int CurLineThrough() const { return lineThrough_; }

    // Links the bands of one page for one orientation and adds the problems to the
    // report's error list (also used by tools that only check a template).
    void LinkBands(TfrxReportPage& page, bool vertical);

private:
    // The extensions work on the engine state of a run (header list, column origin, ...).
    friend class EngineExtensions;

    struct HeaderEntry {
        TfrxBand* band;
        double x;
        bool addedWhileKeeping;
    };

    // Run and pages (frx_engine.cpp).
    bool validate();
    void initializeRun();
    void finishRun(bool started);
    void runPass();
    void runAllPages();
    void runReportPage(TfrxReportPage& page);
    void pageRun(TfrxReportPage& page);
    bool pageHasData(TfrxReportPage& page);
    void beginPageRun(TfrxReportPage& page);
    void addPage();
    void outputFooter(TfrxBand* band);
    void outputFooterAt(TfrxBand* band, double left, bool oncePerPage);
    void outputColumnFooter();
    void outputPageViews(TfrxReportPage& page);
    void checkPageLimit();
    void checkPageObjects(const TfrxBand& band);
    // Data bands and groups (engine_data.cpp).
    void runDataBands(const QList<TfrxDataBand*>& container);
    void runDataBand(TfrxDataBand& band);
    void printDataRow(TfrxDataBand& band, bool firstRow);
    bool bandHasData(TfrxDataBand& band);
    bool rowHasData(TfrxDataBand& band);
    void countRow();
    void startGroups(TfrxDataBand& band, int from, bool firstRow);
    void checkGroups(TfrxDataBand& band);
    void printGroupFooters(TfrxDataBand& band, int downTo);
    void resetChainAggregates(TfrxBand& band);
    void enterHeader(TfrxBand* band);
    void leaveHeader(TfrxBand* band);
    // Output of one band (engine_output.cpp).
    void outputBand(TfrxBand& band);
    void prepareBand(TfrxBand& band);
    void prepareObjects(TfrxBand& band);
    void unprepareBand(TfrxBand& band);
    void shiftObjects(TfrxBand& band);
    void placeBand(TfrxBand& band);
    bool splitAtPageStart(TfrxBand& band);
    void publishState();
    bool runProcedure(const char* event, const QString& name, TfrxComponent* sender);
    void processMessages();

    TfrxReport& report_;
    ReportCalc& calc_;
    TfrxPreviewPages& pages_;
    EngineHooks hooks_;
    EngineLimits limits_;
    std::unique_ptr<EngineExtensions> ownExtensions_;
    EngineExtensions* ext_;
    BandRunState state_;
    std::vector<std::function<void()>> notify_;

    TfrxReportPage* page_ = nullptr;
    // The current page's bands of the kinds that print once per page, found when its run
    // begins.
    struct PageBands {
        TfrxBand* title = nullptr;
        TfrxBand* header = nullptr;
        TfrxPageFooter* footer = nullptr;
        TfrxBand* columnHeader = nullptr;
        TfrxBand* columnFooter = nullptr;
        TfrxOverlay* overlay = nullptr;
    } pageBands_;
    // Values last given to the script's "Engine" members.
    struct Published {
        double curX = -1, curY = -1, pageWidth = -1, pageHeight = -1, freeSpace = -1;
        int curColumn = -1, pageNo = -1, totalPages = -1;
        bool finalPass = false, doublePass = false, valid = false;
    } published_;
    std::vector<HeaderEntry> headers_;
    double headerHeight_ = 0;
    double columnOrigin_ = 0;
    bool firstPage_ = false;
    bool lastPage_ = false;
    bool firstPageRun_ = false;
    bool noKeepAtPageStart_ = false;
    bool calledFromAddPage_ = false;
    bool noHeaders_ = false;
    bool printingSummary_ = false;
    bool running_ = false;
    TfrxBand* pageBreakBand_ = nullptr;
    QSet<const TfrxBand*> splittingAtPageStart_;
    int line_ = 0;
    int lineThrough_ = 0;
    qint64 rows_ = 0;
    // The objects put on prepared page countedPage_ so far.
    int countedPage_ = -1;
    qint64 pageObjects_ = 0;
};

} // namespace report
