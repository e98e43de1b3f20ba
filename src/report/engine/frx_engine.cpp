// The run of the band engine: initialize, validate, the passes over the report pages, page
// runs, adding and ending pages, NewPage, NewColumn and the free space.

#include "report/engine/frx_engine.h"

#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_calc.h"
#include "report/engine/engine_extensions.h"
#include "report/calc/frx_object_data.h"
#include "report/frx_resources.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"

#include <QLocale>
#include <cmath>

namespace report {

namespace {

QList<TfrxReportPage*> reportPages(const TfrxReport& report)
{
    QList<TfrxReportPage*> pages;
    for (TfrxComponent* c : report.Objects())
        if (auto* page = as<TfrxReportPage>(c))
            pages.append(page);
    return pages;
}

template <class Band>
Band* firstBandOf(const TfrxReportPage& page)
{
    for (TfrxComponent* c : page.Objects())
        if (auto* b = as<Band>(c))
            return b;
    return nullptr;
}

bool isSubreportPage(const TfrxReportPage& page)
{
    for (TfrxComponent* c : page.Report() ? page.Report()->AllObjects() : QList<TfrxComponent*>())
        if (auto* sub = as<TfrxSubreport>(c))
            if (sub->Page() == &page)
                return true;
    return false;
}

} // namespace

TfrxEngine::TfrxEngine(TfrxReport& report, ReportCalc& calc, TfrxPreviewPages& pages)
    : report_(report), calc_(calc), pages_(pages), ownExtensions_(std::make_unique<EngineExtensions>()),
      ext_(ownExtensions_.get())
{
}

TfrxEngine::~TfrxEngine() = default;

void TfrxEngine::SetExtensions(EngineExtensions* extensions)
{
    ext_ = extensions ? extensions : ownExtensions_.get();
}

void TfrxEngine::StopReport() { report_.Terminated = true; }

// The expression language runs no procedures: without a host to run one, a procedure the
// template names gets an error line (once per object and event), so that a report that
// depends on it does not pass for complete.
bool TfrxEngine::runProcedure(const char* event, const QString& name, TfrxComponent* sender)
{
    if (name.isEmpty())
        return true;
    if (hooks_.RunProcedure) {
        hooks_.RunProcedure(name, sender);
        return true;
    }
    report_.AddError(frxGet(QStringLiteral("clProcNotRun"))
                         .arg(sender ? sender->Name() : QString(), QLatin1StringView(event), name));
    return false;
}

void TfrxEngine::processMessages()
{
    if (hooks_.ProcessMessages)
        hooks_.ProcessMessages();
}

void TfrxEngine::initializeRun()
{
    pages_.BeginPreparation();
    StartDate = calc_.System().date;
    StartTime = calc_.System().time;
    CurVColumn = 0;
    running_ = true;
    rows_ = 0;
    countedPage_ = -1;
    state_.clear();
    calc_.Aggregates().Clear();
    ext_->reset();
    DoublePass = report_.EngineOptions().DoublePass;
    pages_.Engine().Running = true;
}

bool TfrxEngine::Run()
{
    initializeRun();
    bool started = false;
    try {
        const QList<TfrxReportPage*> pages = reportPages(report_);
        for (TfrxReportPage* page : pages) {
            ext_->linkVerticalBands(*this, *page);
            LinkBands(*page, false);
            LinkBands(*page, true);
        }
        if (!validate()) {
            finishRun(false);
            return false;
        }
        started = true;
        for (int i = 0; i < report_.DataSets().Count(); ++i)
            if (TfrxDataSet* ds = report_.DataSets()[i].DataSet())
                ds->Initialize();
        applyNamedStyles(report_);
        runProcedure("OnStartReport", report_.OnStartReport, &report_);
        for (TfrxReportPage* page : pages) {
            pages_.RegisterSourcePage(*page);
            calc_.Aggregates().AddItems(*page, state_.masters(*page).horizontal);
        }
        FinalPass = !DoublePass;
        TotalPages = 0;
        pages_.MarkPassStart();
        runPass();
        if (DoublePass && !report_.Terminated) {
            TotalPages = pages_.PageCount();
            pages_.RewindToPassStart();
            calc_.Aggregates().ClearValues();
            FinalPass = true;
            runPass();
        }
    } catch (...) {
        finishRun(started);
        throw;
    }
    finishRun(started);
    return true;
}

void TfrxEngine::finishRun(bool started)
{
    // Every step runs even when one fails, so that the sources are back and the store closed.
    std::exception_ptr failure;
    const auto guarded = [&failure](auto&& step) {
        try {
            step();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    };
    if (started)
        guarded([&] { runProcedure("OnStopReport", report_.OnStopReport, &report_); });
    for (int i = 0; i < report_.DataSets().Count(); ++i)
        if (TfrxDataSet* ds = report_.DataSets()[i].DataSet())
            guarded([ds] { ds->Finalize(); });
    guarded([this] { pages_.EndPreparation(); });
    running_ = false;
    pages_.Engine().Running = false;
    page_ = nullptr;
    pageBands_ = {};
    published_ = {};
    headers_.clear();
    if (failure)
        std::rethrow_exception(failure);
}

void TfrxEngine::runPass()
{
    pages_.Engine().FinalPass = FinalPass;
    pages_.Engine().TotalPages = TotalPages;
    firstPageRun_ = true;
    TfrxDataSet* source = report_.DataSet();
    if (!source) {
        runAllPages();
        return;
    }
    source->First();
    while (!source->Eof() && !report_.Terminated) {
        runAllPages();
        source->Next();
    }
}

void TfrxEngine::runAllPages()
{
    for (TfrxReportPage* page : reportPages(report_)) {
        if (report_.Terminated)
            break;
        if (page->Visible() && !isSubreportPage(*page))
            runReportPage(*page);
        firstPageRun_ = false;
    }
}

void TfrxEngine::runReportPage(TfrxReportPage& page)
{
    noKeepAtPageStart_ = true;
    runProcedure("OnBeforePrint", page.OnBeforePrint, &page);
    if (TfrxDataSet* source = page.DataSet()) {
        source->First();
        while (!source->Eof() && !report_.Terminated) {
            pageRun(page);
            source->Next();
        }
    } else {
        pageRun(page);
    }
    runProcedure("OnAfterPrint", page.OnAfterPrint, &page);
}

bool TfrxEngine::pageHasData(TfrxReportPage& page)
{
    if (report_.EngineOptions().PrintIfEmpty)
        return true;
    // bandHasData runs the band's OnMasterDetail.
    for (TfrxDataBand* band : state_.masters(page).horizontal) {
        if (bandHasData(*band))
            return true;
    }
    return false;
}

void TfrxEngine::pageRun(TfrxReportPage& page)
{
    if (!pageHasData(page))
        return;
    beginPageRun(page);
    outputPageViews(page);
    if (hooks_.OnManualBuild)
        hooks_.OnManualBuild(page);
    else if (page.OnManualBuild.isEmpty() || !runProcedure("OnManualBuild", page.OnManualBuild, &page))
        runDataBands(state_.masters(page).horizontal);
    lastPage_ = true;
    if (page.EndlessHeight || page.EndlessWidth) {
        PageHeight = CurY + FooterHeight();
        ext_->resizeEndlessPage(*this, page);
    }
    EndPage();
    lastPage_ = false;
    ext_->repeatForVerticalBands(*this, page);
}

// Views placed on the page outside any band go out once through a band as large as the
// printable area.
void TfrxEngine::outputPageViews(TfrxReportPage& page)
{
    QList<std::pair<TfrxComponent*, int>> views; // with their places among the page's children
    for (int i = 0; i < page.Objects().size(); ++i)
        if (as<TfrxView>(page.Objects()[i]))
            views.append({page.Objects()[i], i});
    if (views.isEmpty())
        return;
    TfrxNullBand carrier;
    carrier.SetBounds(0, 0, PageWidth, PageHeight);
    for (const auto& [view, at] : views)
        view->SetParent(&carrier);
    const auto putBack = [&] {
        for (const auto& [view, at] : views) {
            view->SetParent(&page);
            page.SetChildIndex(view, at);
        }
    };
    const double y = CurY;
    try {
        ShowBand(&carrier);
    } catch (...) {
        putBack();
        throw;
    }
    putBack();
    CurY = y;
}

void TfrxEngine::beginPageRun(TfrxReportPage& page)
{
    page_ = &page;
    headers_.clear();
    pageBands_ = {firstBandOf<TfrxReportTitle>(page), firstBandOf<TfrxPageHeader>(page), firstBandOf<TfrxPageFooter>(page),
                  firstBandOf<TfrxColumnHeader>(page), firstBandOf<TfrxColumnFooter>(page), firstBandOf<TfrxOverlay>(page)};
    TfrxBand* title = pageBands_.title;
    TfrxBand* header = pageBands_.header;
    if (page.TitleBeforeHeader)
        headers_ = {{title, 0, false}, {header, 0, false}};
    else
        headers_ = {{header, 0, false}, {title, 0, false}};
    PageHeight = page.PaperHeight() * fr01cm - page.TopMargin * fr01cm - page.BottomMargin * fr01cm;
    PageWidth = page.PaperWidth() * fr01cm - page.LeftMargin * fr01cm - page.RightMargin * fr01cm;
    CurX = CurY = 0;
    CurColumn = 1;
    columnOrigin_ = 0;
    firstPage_ = true;
    lastPage_ = false;
    if (page.PrintOnPreviousPage && pages_.PageCount() > 0) {
        // Goes on below the content of the last prepared page, without a page header.
        pages_.SetCurPage(pages_.PageCount() - 1);
        CurY = pages_.LowestBandBottom();
        for (HeaderEntry& e : headers_)
            if (e.band && e.band == title)
                e.band = nullptr;
        ShowBand(title);
    } else {
        addPage();
    }
    if (firstPageRun_)
        pages_.FirstPage = pages_.CurPage();
    headerHeight_ = CurY;
    TfrxBand* columnHeader = pageBands_.columnHeader;
    ShowBand(columnHeader);
    headers_.push_back({columnHeader, 0, false});
    // The title is printed once, on the first page of the run.
    for (HeaderEntry& e : headers_)
        if (e.band && as<TfrxReportTitle>(e.band))
            e.band = nullptr;
    ext_->addPageOutline(*this, page, true);
}

void TfrxEngine::checkPageLimit()
{
    if (limits_.maxPages > 0 && pages_.PageCount() >= limits_.maxPages && pages_.CurPage() + 1 >= limits_.maxPages) {
        const QString line = QStringLiteral("The report stops at %1 pages").arg(limits_.maxPages);
        report_.AddError(line);
        report_.Terminated = true;
        throw ReportError(line);
    }
}

void TfrxEngine::checkPageObjects(const TfrxBand& band)
{
    if (pages_.CurPage() != countedPage_) {
        countedPage_ = pages_.CurPage();
        pageObjects_ = pages_.CurrentObjectCount();
    }
    pageObjects_ += 1 + band.Objects().size();
    if (limits_.maxPageObjects > 0 && pageObjects_ > limits_.maxPageObjects) {
        const QString line = frxGet(QStringLiteral("prTooManyObjects"))
                                 .arg(pages_.CurPage() + 1)
                                 .arg(limits_.maxPageObjects);
        report_.AddError(line);
        report_.Terminated = true;
        throw ReportError(line);
    }
}

void TfrxEngine::addPage()
{
    checkPageLimit();
    pages_.StartPage(*page_);
    countedPage_ = -1;
    CurY = 0;
    if (TfrxOverlay* overlay = pageBands_.overlay; overlay && !overlay->PrintOnTop) {
        ShowBand(overlay);
        CurY = 0;
    }
    const double savedX = CurX;
    headerHeight_ = 0;
    for (std::size_t i = 0; i < headers_.size(); ++i) {
        HeaderEntry entry = headers_[i];
        CurX = entry.x;
        TfrxBand* band = entry.band;
        if (!band || band == pageBreakBand_ || (ext_->keeping() && entry.addedWhileKeeping))
            continue;
        if (auto* ph = as<TfrxPageHeader>(band); ph && firstPage_ && !ph->PrintOnFirstPage)
            continue;
        if (noHeaders_ && as<TfrxHeader>(band))
            continue;
        band->IsReprinting = true;
        const int line = line_, through = lineThrough_;
        line_ = band->LineN;
        lineThrough_ = band->LineThrough;
        calledFromAddPage_ = true;
        if (as<TfrxReportTitle>(band))
            headers_[i].band = nullptr;
        if (as<TfrxPageHeader>(band))
            headerHeight_ = band->Height();
        const int pageBefore = pages_.CurPage();
        try {
            ShowBand(band);
        } catch (...) {
            calledFromAddPage_ = false;
            band->IsReprinting = false;
            throw;
        }
        calledFromAddPage_ = false;
        band->IsReprinting = false;
        line_ = line;
        lineThrough_ = through;
        // A band split over pages: the page it ends on had its own headers printed.
        if (pages_.CurPage() != pageBefore)
            break;
    }
    CurX = savedX;
}

// The footer path: prepared, placed at CurY unless the page already holds it, unprepared,
// its aggregates reset.
void TfrxEngine::outputFooter(TfrxBand* band)
{
    outputFooterAt(band, 0, true);
}

// On a page of several columns the column footer stands under each column that was used,
// at that column's left, so one page holds it once per column.
void TfrxEngine::outputColumnFooter()
{
    if (page_ && page_->Columns() > 1)
        outputFooterAt(pageBands_.columnFooter, CurX, false);
    else
        outputFooter(pageBands_.columnFooter);
}

void TfrxEngine::outputFooterAt(TfrxBand* band, double left, bool oncePerPage)
{
    if (!band)
        return;
    try {
        prepareBand(*band);
        if (band->Visible()) {
            band->SetLeft(left);
            band->SetTop(CurY);
            if (!oncePerPage || !pages_.PageHasBand(*band))
                pages_.AppendObject(*band);
            CurY += band->Height();
        }
    } catch (...) {
        unprepareBand(*band);
        throw;
    }
    unprepareBand(*band);
    calc_.Aggregates().Reset(band);
}

void TfrxEngine::EndPage()
{
    TfrxReportPage& page = *page_;
    outputColumnFooter();
    if (page.Columns() > 1 && !lastPage_) {
        CurX = columnOrigin_;
        CurColumn = 1;
    }
    if (lastPage_ && !printingSummary_) {
        printingSummary_ = true;
        try {
            ShowBandByClass(TfrxReportSummary::staticClassInfo());
        } catch (...) {
            printingSummary_ = false;
            throw;
        }
        printingSummary_ = false;
    }
    if (TfrxPageFooter* footer = pageBands_.footer) {
        CurY = PageHeight - footer->Height();
        const bool leftOut = (firstPage_ && !footer->PrintOnFirstPage) || (lastPage_ && !footer->PrintOnLastPage);
        if (leftOut) {
            try {
                prepareBand(*footer);
            } catch (...) {
                unprepareBand(*footer);
                throw;
            }
            unprepareBand(*footer);
            calc_.Aggregates().Reset(footer);
        } else {
            outputFooter(footer);
        }
    }
    if (TfrxOverlay* overlay = pageBands_.overlay; overlay && overlay->PrintOnTop) {
        CurY = 0;
        outputFooter(overlay);
    }
    firstPage_ = false;
}

double TfrxEngine::FooterHeight() const
{
    if (!page_)
        return 0;
    double h = 0;
    if (pageBands_.columnFooter)
        h += pageBands_.columnFooter->Height();
    if (pageBands_.footer)
        h += pageBands_.footer->Height();
    return h;
}

double TfrxEngine::FreeSpace() const
{
    if (page_ && page_->EndlessHeight)
        return 1000000;
    return PageHeight - FooterHeight() - CurY;
}

void TfrxEngine::NewPage()
{
    const bool keeping = ext_->keeping();
    if (keeping)
        ext_->beforeKeptPageBreak(*this);
    EndPage();
    addPage();
    if (keeping)
        ext_->afterKeptPageBreak(*this);
    ext_->addPageOutline(*this, *page_, false);
}

void TfrxEngine::NewColumn()
{
    if (!page_ || CurColumn >= page_->Columns()) {
        NewPage();
        return;
    }
    outputColumnFooter();
    ++CurColumn;
    QString position = page_->ColumnPositions.value(CurColumn - 1);
    position.remove(u' ');
    position.replace(u',', u'.');
    const double x = QLocale::c().toDouble(position) * fr01cm;
    CurY = headerHeight_;
    for (const HeaderEntry& entry : headers_) {
        if (!entry.band || as<TfrxPageHeader>(entry.band))
            continue;
        for (TfrxBand* b = entry.band; b; b = b->Child()) {
            CurX = entry.x + x;
            try {
                prepareBand(*b);
                if (b->Visible()) {
                    b->SetLeft(CurX);
                    b->SetTop(CurY);
                    pages_.AppendObject(*b);
                    CurY += b->Height();
                }
            } catch (...) {
                unprepareBand(*b);
                throw;
            }
            unprepareBand(*b);
            if (!b->Visible() && !b->PrintChildIfInvisible)
                break;
        }
    }
    CurX = columnOrigin_ + x;
}

void TfrxEngine::ShowBandByClass(const ClassInfo& cls)
{
    if (!page_)
        return;
    for (TfrxComponent* c : page_->Objects()) {
        for (const ClassInfo* k = &c->classInfo(); k; k = k->parent()) {
            if (k == &cls) {
                ShowBand(static_cast<TfrxBand*>(c));
                return;
            }
        }
    }
}

} // namespace report
