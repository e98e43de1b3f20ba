#pragma once

// The band engine's calls into keep blocks, multi-column data bands, the outline, band
// splitting, endless pages and subreports. Every operation does nothing here, which is
// right for bands and pages that do not use those features; the engine-extensions work
// derives from this class and hands its object to the engine.

namespace report {

class TfrxBand;
class TfrxDataBand;
class TfrxEngine;
class TfrxReportPage;

class EngineExtensions {
public:
    virtual ~EngineExtensions() = default;

    // Keep blocks: output of the band's block stays together on one page.
    virtual void openKeep(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    virtual void closeKeep(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    // True while a keep block is open.
    virtual bool keeping() const { return false; }
    // NewPage moves what was output since the block opened; before and after the page break.
    virtual void beforeKeptPageBreak(TfrxEngine& engine) { (void)engine; }
    virtual void afterKeptPageBreak(TfrxEngine& engine) { (void)engine; }

    // The start of a row of a band with KeepFooter, where its footer's keep block would open.
    virtual void rememberRowStart(TfrxEngine& engine, TfrxDataBand& band) { (void)engine, (void)band; }

    // Multi-column data bands: the step after each row, the finish after the last one and
    // the end of a row of columns when a group changes.
    virtual void columnStep(TfrxEngine& engine, TfrxDataBand& band) { (void)engine, (void)band; }
    virtual void finishColumns(TfrxEngine& engine, TfrxDataBand& band) { (void)engine, (void)band; }
    virtual void endColumnRow(TfrxEngine& engine, TfrxDataBand& band) { (void)engine, (void)band; }
    // Places a multi-column band; false when the band is not one (the engine places it).
    virtual bool placeColumnBand(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; return false; }

    // Outline: the item of a band after its output, and going one level up.
    virtual void addOutlineItem(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    virtual void outlineLevelUp(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    // The page's OutlineText item at the start of a page run and after a page break.
    virtual void addPageOutline(TfrxEngine& engine, TfrxReportPage& page) { (void)engine, (void)page; }

    // Splits a band that does not fit (AllowSplit); false leaves it to NewColumn.
    virtual bool splitBand(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; return false; }

    // Endless pages: the prepared page takes the size of its content.
    virtual void resizeEndlessPage(TfrxEngine& engine, TfrxReportPage& page) { (void)engine, (void)page; }

    // Subreports of a band: printed on their parent while the band is prepared, or after
    // its output.
    virtual void runParentSubreports(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    virtual void runSubreports(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; }
    // Copies a band crossed by vertical bands; false when it is not crossed.
    virtual bool outputAcrossVerticalBands(TfrxEngine& engine, TfrxBand& band) { (void)engine, (void)band; return false; }
    // Drill-down visibility of group bands when the groups start.
    virtual void applyDrillDown(TfrxEngine& engine, TfrxDataBand& band) { (void)engine, (void)band; }
};

} // namespace report
