// Vertical bands: data bands laid out from left to right, one cell per row of their data
// source, across the horizontal bands they cross. The objects of a horizontal band that
// lie within a vertical band are its cells' content; the horizontal band is printed with a
// copy of them for each row. Cells beyond the page width go on further sheets: the page run
// is repeated for them (without the TfrxHeader bands), or the page grows with EndlessWidth.

#include "report/engine/engine_extensions.h"

#include "report/calc/frx_calc.h"
#include "report/calc/frx_object_data.h"
#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <algorithm>

namespace report {

namespace {

constexpr double kEps = 0.0001;
// A bound on the sheets of one page run, far above any real content.
constexpr int kMaxSheets = 10000;

QList<TfrxBand*> verticalBandsOf(const TfrxReportPage& page)
{
    QList<TfrxBand*> bands;
    for (TfrxComponent* c : page.Objects())
        if (auto* b = as<TfrxBand>(c); b && b->Vertical)
            bands.append(b);
    return bands;
}

bool within(const TfrxView& object, const TfrxBand& vertical)
{
    return object.Left() >= vertical.Left() - kEps
        && object.Left() + object.Width() <= vertical.Left() + vertical.Width() + kEps;
}

} // namespace

// The objects stay in their horizontal band (so that a template prepared again finds them
// there); the band only remembers which of them are cells of which vertical band.
void EngineExtensions::linkVerticalBands(TfrxEngine& engine, TfrxReportPage& page)
{
    const QList<TfrxBand*> verticals = verticalBandsOf(page);
    if (verticals.isEmpty())
        return;
    for (TfrxComponent* c : page.Objects()) {
        auto* band = as<TfrxBand>(c);
        if (!band || band->Vertical || as<TfrxOverlay>(band))
            continue;
        BandRun& run = engine.BandState().of(*band);
        for (TfrxComponent* o : band->Objects()) {
            auto* view = as<TfrxView>(o);
            if (!view)
                continue;
            for (TfrxBand* vertical : verticals) {
                if (within(*view, *vertical)) {
                    run.verticalCells.append({vertical, view});
                    run.crossedByVertical = true;
                    break;
                }
            }
        }
    }
}

// The band goes out through the engine's usual path without the cell objects; the cells
// are added while it is prepared (addVerticalCells).
bool EngineExtensions::outputAcrossVerticalBands(TfrxEngine& engine, TfrxBand& band)
{
    if (acrossBand_ == &band || collecting())
        return false;
    BandRun& run = engine.BandState().of(band);
    const QList<TfrxComponent*> designed = band.Objects();
    for (const auto& [vertical, view] : run.verticalCells)
        view->SetParent(nullptr);
    TfrxBand* outer = acrossBand_;
    acrossBand_ = &band;
    const auto restore = [&] {
        acrossBand_ = outer;
        for (TfrxComponent* c : designed)
            c->SetParent(nullptr);
        for (TfrxComponent* c : designed)
            c->SetParent(&band);
    };
    try {
        engine.outputBand(band);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return true;
}

// One copy of the band's cell objects per row of each vertical master band, with the data
// of that row, placed from left to right from the first vertical band's Left.
void EngineExtensions::addVerticalCells(TfrxEngine& engine, TfrxBand& band)
{
    TfrxReportPage* page = engine.CurrentPage();
    if (!page)
        return;
    BandRun& run = engine.BandState().of(band);
    const QList<TfrxDataBand*>& masters = engine.BandState().masters(*page).vertical;
    if (masters.isEmpty())
        return;
    const double start = masters.first()->Left();
    double cellLeft = start, sheetLeft = start;
    int cell = 0;
    for (TfrxDataBand* vertical : masters) {
        TfrxDataSet* source = vertical->DataSet();
        if (!source)
            continue;
        int line = 1;
        for (source->First(); !source->Eof() && !engine.Report().Terminated; source->Next(), ++cell, ++line) {
            engine.countRow();
            const double width = vertical->Width();
            if (cell == sheetCell_)
                sheetLeft = cellLeft;
            const double x = start + cellLeft - sheetLeft;
            const bool fits = page->EndlessWidth || cell == sheetCell_ || x + width <= engine.PageWidth + kEps;
            if (cell >= sheetCell_ && !fits && (nextSheetCell_ < 0 || cell < nextSheetCell_))
                nextSheetCell_ = cell;
            if (cell >= sheetCell_ && fits && (nextSheetCell_ < 0 || cell < nextSheetCell_)) {
                engine.CurVColumn = line;
                verticalRight_ = std::max(verticalRight_, x + width);
                for (const auto& [owner, view] : run.verticalCells) {
                    if (owner != vertical || !view->classInfo().factory())
                        continue;
                    // Named before it joins the report, where the name is taken.
                    auto* copy = static_cast<TfrxView*>(view->classInfo().factory()(nullptr));
                    copy->AssignAll(*view);
                    copy->SetName(view->Name());
                    copy->SetParent(&band);
                    copy->SetLeft(x + view->Left() - vertical->Left());
                    run.addedObjects.append(copy);
                    engine.Calc().SetCurrentObjectName(view->Name());
                    getObjectData(engine.Calc(), *copy);
                }
            }
            cellLeft += width;
        }
    }
}

void EngineExtensions::repeatForVerticalBands(TfrxEngine& engine, TfrxReportPage& page)
{
    if (repeatingSheets_ || nextSheetCell_ < 0)
        return;
    repeatingSheets_ = true;
    engine.noHeaders_ = true;
    const auto restore = [&] {
        repeatingSheets_ = false;
        engine.noHeaders_ = false;
        sheetCell_ = 0;
        nextSheetCell_ = -1;
    };
    try {
        for (int n = 0; nextSheetCell_ > sheetCell_ && n < kMaxSheets && !engine.Report().Terminated; ++n) {
            sheetCell_ = nextSheetCell_;
            nextSheetCell_ = -1;
            engine.pageRun(page);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

} // namespace report
