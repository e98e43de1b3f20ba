#pragma once

// The built-in item kinds, each defined beside its drawing; the table registers them.

#include "report/render/item_render.h"

namespace report::detail {

struct ItemKind {
    const ItemPainter* painter;
    const ItemMeasurer* measurer;
};

// Any view: its background and frame, at its own size.
ItemKind plainViewKind();
ItemKind memoKind();
ItemKind lineKind();
ItemKind shapeKind();
ItemKind pictureKind();
ItemKind richKind();

} // namespace report::detail
