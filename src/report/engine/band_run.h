#pragma once

// What the band engine keeps about bands while a report runs: shift lists, object growth,
// a group's last condition value, a data band's column and lowest y, and the master lists
// of each page. It lives for one run and is emptied at the start of the next, so it never
// points at objects of a template that has been reloaded since.

#include "report/calc/frx_text_data.h"
#include "report/model/frx_component.h"
#include "report/value/frx_value.h"

#include <QList>
#include <optional>
#include <unordered_map>
#include <vector>

namespace report {

class TfrxBand;
class TfrxComponent;
class TfrxDataBand;
class TfrxReportPage;
class TfrxView;

struct BandRun {
    bool shiftReady = false;
    // The objects with nothing above them, then for each object those directly below it.
    QList<TfrxView*> ownShiftList;
    std::unordered_map<const TfrxView*, QList<TfrxView*>> shiftLists;
    std::unordered_map<const TfrxView*, double> growth;
    Value lastCondition;      // a group header's Condition at its last start
    int column = 1;           // a multi-column data band's current column
    double lowestY = 0;       // the lowest y reached in its current row of columns
    bool crossedByVertical = false;
    // Where the current row (a multi-column band: row of columns) begins among the page's
    // objects, the y it starts at, and where the last row began (KeepFooter).
    int rowStart = 0;
    double rowY = 0;
    int lastRowStart = 0;
    // The top the band was last placed at.
    double placedTop = 0;
    // Objects added to the band for one output (cells of vertical bands, the output of a
    // subreport printed on it); destroyed when the output ends.
    QList<TfrxComponent*> addedObjects;
    // For a band crossed by vertical bands: its objects that were moved into each of them.
    QList<std::pair<TfrxBand*, TfrxView*>> verticalCells;
    // While the band is out: whether its own before-print ran, how many of its objects had
    // theirs, and the designed TagStr and URL of those objects.
    bool prepared = false;
    int preparedObjects = 0;
    std::vector<std::optional<ViewTexts>> designedTexts;
};

struct PageMasters {
    QList<TfrxDataBand*> horizontal;
    QList<TfrxDataBand*> vertical;
};

// The object as T when its class is T or derives from it: a walk up the class table, where
// dynamic_cast compares type names on this platform, which the engine would do for every
// object of every row.
template <class T>
T* as(TfrxComponent* c)
{
    return c && c->classInfo().inheritsFrom(T::staticClassInfo()) ? static_cast<T*>(c) : nullptr;
}
template <class T>
const T* as(const TfrxComponent* c)
{
    return c && c->classInfo().inheritsFrom(T::staticClassInfo()) ? static_cast<const T*>(c) : nullptr;
}

class BandRunState {
public:
    BandRun& of(const TfrxBand& band) { return bands_[&band]; }
    PageMasters& masters(const TfrxReportPage& page) { return pages_[&page]; }
    void clear()
    {
        bands_.clear();
        pages_.clear();
    }

private:
    std::unordered_map<const TfrxBand*, BandRun> bands_;
    std::unordered_map<const TfrxReportPage*, PageMasters> pages_;
};

} // namespace report
