#pragma once

// Drawing and measuring report items through the item-kind table: every kind (text, line,
// shape, picture, rich text, ...) has one painter and one measurer there, and the page
// painter, the band engine, printing and export all go through it.

#include "report/model/item_kind.h"

namespace report {

const ItemPainter& painterFor(const TfrxView& view);
const ItemMeasurer& measurerFor(const TfrxView& view);

// Shorthands through the table; the text context is the item's report's, or the global one.
void paintItem(TfrxView& view, const PaintTarget& target);
double calcItemHeight(TfrxView& view);
double calcItemWidth(TfrxView& view);
void initItemPart(TfrxView& view);
double drawItemPart(TfrxView& view);

} // namespace report
