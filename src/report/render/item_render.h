#pragma once

// How each kind of report item is drawn and measured. Every kind (text, line, shape,
// picture, rich text, ...) has one painter and one measurer, registered by class in one
// table; the page painter, the band engine, printing and export all go through it. A class
// without an entry of its own takes its nearest registered ancestor's.

class QPainter;

namespace report {

class ClassInfo;
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

// Gives a class (and its descendants without an entry of their own) a painter and a
// measurer; both must live as long as the program. Registering a class again replaces its
// entry. The built-in kinds are registered on first use of the table.
void registerItemKind(const ClassInfo& cls, const ItemPainter& painter, const ItemMeasurer& measurer);

const ItemPainter& painterFor(const TfrxView& view);
const ItemMeasurer& measurerFor(const TfrxView& view);

// Shorthands through the table; the text context is the item's report's, or the global one.
void paintItem(TfrxView& view, const PaintTarget& target);
double calcItemHeight(TfrxView& view);
double calcItemWidth(TfrxView& view);
void initItemPart(TfrxView& view);
double drawItemPart(TfrxView& view);

} // namespace report
