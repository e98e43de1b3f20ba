// Every kind of report item, one line each: registered when the program starts, before any
// report runs, so the object model, Calc, the painters and the prepared pages all find it.
// This file is linked whole into every program that links the report engine (see
// src/report/CMakeLists.txt), so the linker never drops it. A new kind is its own file,
// defining its painter, measurer, getter and prepared kind, plus one line here. A class no
// entry covers is not stored in prepared pages (the table's default).

#include "report/model/frx_bands.h"
#include "report/model/frx_views.h"
#include "report/render/detail/item_kinds.h"

namespace report {

namespace {

[[maybe_unused]] const bool registered = [] {
    registerItemKind(TfrxBand::staticClassInfo(), {.prepared = PreparedKind::Band});
    registerItemKind(TfrxGroupHeader::staticClassInfo(), {.prepared = PreparedKind::GroupHeader});
    // A subreport's content is prepared into the page; the object itself is not stored.
    registerItemKind(TfrxSubreport::staticClassInfo(), {.prepared = PreparedKind::Hidden});
    registerItemKind(TfrxView::staticClassInfo(), detail::plainViewKind());
    registerItemKind(TfrxCustomMemoView::staticClassInfo(), detail::memoKind());
    registerItemKind(TfrxCustomLineView::staticClassInfo(), detail::lineKind());
    registerItemKind(TfrxShapeView::staticClassInfo(), detail::shapeKind());
    registerItemKind(TfrxPictureView::staticClassInfo(), detail::pictureKind());
    registerItemKind(TfrxRichView::staticClassInfo(), detail::richKind());
    return true;
}();

} // namespace

} // namespace report
