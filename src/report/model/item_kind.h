#pragma once

// What each kind of report item does beyond holding data, registered by class in one table:
// how it is drawn and measured, how it gets its data while a report is prepared, and how a
// prepared page stores it. The layers that do these things sit above the object model; each
// kind's entry is made where all of them are seen (report/engine/item_kinds.cpp), and the
// lower layers call through this table instead of naming the layers above them.

#include <optional>

class QPainter;

namespace report {

class ClassInfo;
class ReportCalc;
class TfrxTextContext;
class TfrxView;

// Where an item lands on the canvas: a point at report units (x, y) of the page is drawn at
// (x * scaleX + offsetX, y * scaleY + offsetY). The text context carries the layout object
// and the values filled in at drawing time ([TotalPages#], the copy's name, print scale).
struct PaintTarget {
    QPainter& canvas;
    double scaleX = 1;
    double scaleY = 1;
    double offsetX = 0;
    double offsetY = 0;
    TfrxTextContext& texts;
};

class ItemPainter {
public:
    virtual ~ItemPainter() = default;
    virtual void paint(TfrxView& view, const PaintTarget& target) const = 0;
};

// Measuring for the band engine, in report units. Items of a fixed size keep their size; the
// piecewise output lets a band split an item over pages.
class ItemMeasurer {
public:
    virtual ~ItemMeasurer() = default;
    // The height the content needs at the item's current width.
    virtual double calcHeight(TfrxView& view, TfrxTextContext& texts) const;
    // The width the content needs on one line (the widest line).
    virtual double calcWidth(TfrxView& view, TfrxTextContext& texts) const;
    // Starts piecewise output: the whole content is still to come.
    virtual void initPart(TfrxView& view) const;
    // Keeps in the item what fits its current height, keeps the rest for the next part, and
    // returns the height left free below what was kept (0 when nothing remains).
    virtual double drawPart(TfrxView& view, TfrxTextContext& texts) const;
};

// What a prepared object is, for storing it: Hidden kinds are not stored at all.
enum class PreparedKind { Hidden, Band, GroupHeader, Memo, Line, Shape, Picture, FullDifference, View };

// Fills a view with what it shows for the current row (field values, expanded brackets).
using DataGetter = void (*)(ReportCalc& calc, TfrxView& view);

// A registered entry leaves empty what the class inherits from its nearest ancestor that
// sets it. Looked up, every field is set: the painter and measurer for views (TfrxView has
// them), the getter where the kind has one, the prepared kind (Hidden at the root).
struct ItemKind {
    const ItemPainter* painter = nullptr;
    const ItemMeasurer* measurer = nullptr;
    DataGetter getData = nullptr;
    std::optional<PreparedKind> prepared;
};

// Gives a class (and its descendants without entries of their own) its kind; painters and
// measurers must live as long as the program. Registering a class again replaces its entry.
// Entries are made before any report runs (and by tests between runs), not while other
// threads look them up.
void registerItemKind(const ClassInfo& cls, const ItemKind& kind);

// The class's kind with every inherited field filled in. Fast: this runs for every object
// of every row.
const ItemKind& itemKindOf(const ClassInfo& cls);

} // namespace report
