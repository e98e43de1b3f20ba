#pragma once

// The band engine's keep blocks, multi-column data bands, outline, band splitting, endless
// pages, subreports, vertical bands and drill-down groups. Each operation does nothing for a
// band or page that does not use its feature. The engine owns one object of this class and
// calls it at the steps where a feature comes in; the operations live in one file per
// feature (engine_keep.cpp, engine_columns.cpp, ...).

#include <QList>
#include <QSet>

namespace report {

class TfrxBand;
class TfrxDataBand;
class TfrxEngine;
class TfrxNullBand;
class TfrxReportPage;
class TfrxView;
class TfrxXMLItem;

class EngineExtensions {
public:
    virtual ~EngineExtensions() = default;

    // Forgets the state of an earlier run.
    virtual void reset();

    // Keep blocks: output of the band's block stays together on one page. `position` is
    // where the block starts among the current page's objects (-1: the current end).
    virtual void openKeep(TfrxEngine& engine, TfrxBand& band, int position = -1);
    virtual void closeKeep(TfrxEngine& engine, TfrxBand& band);
    // True while a keep block is open.
    virtual bool keeping() const { return keep_.on; }
    // NewPage moves what was output since the block opened; before and after the page break.
    virtual void beforeKeptPageBreak(TfrxEngine& engine);
    virtual void afterKeptPageBreak(TfrxEngine& engine);
    // A data band's footer kept with its last row (KeepFooter): the block opens at the
    // remembered start of that row, and the row's aggregate values move with it.
    virtual void openFooterKeep(TfrxEngine& engine, TfrxDataBand& band);
    virtual void closeFooterKeep(TfrxEngine& engine, TfrxDataBand& band);

    // The start of a data row, before the band is printed: where its objects begin on the
    // page and the y it starts at.
    virtual void rememberRowStart(TfrxEngine& engine, TfrxDataBand& band);

    // Multi-column data bands: the step after each row, the finish after the last one and
    // the end of a row of columns when a group changes.
    virtual void columnStep(TfrxEngine& engine, TfrxDataBand& band);
    virtual void finishColumns(TfrxEngine& engine, TfrxDataBand& band);
    virtual void endColumnRow(TfrxEngine& engine, TfrxDataBand& band) { finishColumns(engine, band); }
    // The x of the band's current column within its row of columns (0 for other bands).
    virtual double columnLeft(TfrxEngine& engine, TfrxBand& band);

    // Outline: the item of a band after its output, and going one level up.
    virtual void addOutlineItem(TfrxEngine& engine, TfrxBand& band);
    virtual void outlineLevelUp(TfrxEngine& engine, TfrxBand& band);
    // The page's OutlineText item at the start of a page run and after a page break.
    virtual void addPageOutline(TfrxEngine& engine, TfrxReportPage& page, bool pageRunStart);

    // Splits a band that does not fit (AllowSplit); false leaves it to NewColumn.
    virtual bool splitBand(TfrxEngine& engine, TfrxBand& band);

    // Endless pages: the prepared page takes the size of its content.
    virtual void resizeEndlessPage(TfrxEngine& engine, TfrxReportPage& page);

    // Subreports of a band: printed on their parent while the band is prepared, or after
    // its output.
    virtual void runParentSubreports(TfrxEngine& engine, TfrxBand& band);
    virtual void runSubreports(TfrxEngine& engine, TfrxBand& band);
    // While a subreport printed on its parent runs, its bands go into the output target
    // instead of the prepared pages: true when the band was taken there.
    virtual bool collectOutput(TfrxEngine& engine, TfrxBand& band);
    bool collecting() const { return target_ != nullptr; }

    // Vertical bands: moves the objects of horizontal bands that lie within a vertical band
    // into it (when the page's bands are linked), and prints a horizontal band with the
    // cells of the vertical bands that cross it; false when it is not crossed.
    virtual void linkVerticalBands(TfrxEngine& engine, TfrxReportPage& page);
    virtual bool outputAcrossVerticalBands(TfrxEngine& engine, TfrxBand& band);
    // After a page run: repeats it for the vertical cells that did not fit the page width.
    virtual void repeatForVerticalBands(TfrxEngine& engine, TfrxReportPage& page);

    // Drill-down visibility of group bands when the groups start.
    virtual void applyDrillDown(TfrxEngine& engine, TfrxDataBand& band);
    // A data band hidden in a collapsed group: its nested data bands are not run either.
    bool collapsed(const TfrxDataBand& band) const { return collapsed_.contains(&band); }

private:
    struct KeepState {
        bool on = false;
        TfrxBand* band = nullptr;
        int position = 0;
        // The outline item the block's items were added under, and how many it had.
        TfrxXMLItem* outlineParent = nullptr;
        int outlineCount = 0;
        int anchorIndex = -1;
        bool aggregates = false;
    };
    void moveKeptOutline(TfrxEngine& engine, int newTop);
    void completeColumnRow(TfrxEngine& engine, TfrxDataBand& band);
    void runSubreportPage(TfrxEngine& engine, TfrxReportPage& page);
    bool enterSubreport(TfrxEngine& engine, const TfrxView& subreport, const TfrxReportPage& page);
    void addVerticalCells(TfrxEngine& engine, TfrxBand& band);

    KeepState keep_;
    // The subreport pages being run, outermost first: a page met again contains itself.
    QList<const TfrxReportPage*> subreports_;
    TfrxNullBand* target_ = nullptr;
    QSet<const TfrxDataBand*> collapsed_;
    // Vertical bands: the horizontal band being printed across them; the cells of a page
    // run are numbered left to right, and a sheet (one repetition of the page run) shows
    // the cells from its first one on as far as the page width allows. The right edge the
    // cells reached makes an endless page wide enough.
    TfrxBand* acrossBand_ = nullptr;
    int sheetCell_ = 0;
    int nextSheetCell_ = -1;
    bool repeatingSheets_ = false;
    double verticalRight_ = 0;
};

} // namespace report
