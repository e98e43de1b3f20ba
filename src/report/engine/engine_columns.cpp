// Multi-column data bands (Columns > 1): records go side by side across the columns of a
// row, and a complete row of columns that ends below the page's free area moves whole to
// the next column or page.

#include "report/engine/engine_extensions.h"

#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/pages/preview_pages.h"

#include <algorithm>

namespace report {

namespace {

constexpr double kEps = 0.0001;

bool multiColumn(const TfrxBand& band)
{
    const auto* data = as<TfrxDataBand>(&band);
    return data && data->Columns > 1;
}

} // namespace

double EngineExtensions::columnLeft(TfrxEngine& engine, TfrxBand& band)
{
    if (!multiColumn(band))
        return 0;
    const auto& data = static_cast<const TfrxDataBand&>(band);
    return (engine.BandState().of(band).column - 1) * (data.ColumnWidth + data.ColumnGap);
}

void EngineExtensions::columnStep(TfrxEngine& engine, TfrxDataBand& band)
{
    if (!multiColumn(band))
        return;
    BandRun& run = engine.BandState().of(band);
    run.lowestY = std::max(run.lowestY, engine.CurY);
    if (run.column < band.Columns)
        engine.CurY = run.rowY; // the next record goes beside this one
    else
        completeColumnRow(engine, band);
    if (!band.Visible())
        return;
    if (++run.column > band.Columns) {
        run.column = 1;
        run.lowestY = 0;
    }
}

// A row of columns is complete: it stays when it ends within the free area, otherwise it
// moves to the next column or page (while keeping, the keep block moves it).
void EngineExtensions::completeColumnRow(TfrxEngine& engine, TfrxDataBand& band)
{
    BandRun& run = engine.BandState().of(band);
    // An endless page, and a subreport printed on its parent, never break.
    if (run.lowestY <= engine.PageHeight - engine.FooterHeight() + kEps || engine.FreeSpace() >= 1000000
        || collecting()) {
        engine.CurY = run.lowestY;
        return;
    }
    if (keeping()) {
        engine.NewColumn();
        return;
    }
    TfrxPreviewPages& pages = engine.PreviewPages();
    const double rowHeight = run.lowestY - run.rowY;
    pages.CutObjectsFrom(run.rowStart);
    engine.NewColumn();
    pages.PasteCutObjects(engine.CurX, engine.CurY);
    engine.CurY += rowHeight;
}

// After the last record, or when a group changes: an unfinished row of columns ends here,
// and the next record starts a new row in column 1.
void EngineExtensions::finishColumns(TfrxEngine& engine, TfrxDataBand& band)
{
    if (!multiColumn(band))
        return;
    BandRun& run = engine.BandState().of(band);
    if (run.column != 1) {
        run.lowestY = std::max(run.lowestY, engine.CurY);
        completeColumnRow(engine, band);
    }
    run.column = 1;
    run.lowestY = 0;
}

} // namespace report
