#pragma once

// The built-in item kinds, each defined beside its drawing: painter, measurer, how it gets
// its data and how a prepared page stores it. report/engine/item_kinds.cpp registers them.

#include "report/model/item_kind.h"

namespace report::detail {

// Any view: its background and frame, at its own size.
ItemKind plainViewKind();
ItemKind memoKind();
ItemKind lineKind();
ItemKind shapeKind();
ItemKind pictureKind();
ItemKind richKind();

} // namespace report::detail
