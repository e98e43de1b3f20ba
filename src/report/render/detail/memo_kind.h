#pragma once

// The text object's measurer, shared by its measuring and piecewise output.

#include "report/render/item_render.h"

namespace report::detail {

class MemoMeasurer final : public ItemMeasurer {
public:
    double calcHeight(TfrxView& view, TfrxTextContext& texts) const override;
    double calcWidth(TfrxView& view, TfrxTextContext& texts) const override;
    void initPart(TfrxView& view) const override;
    double drawPart(TfrxView& view, TfrxTextContext& texts) const override;
};

} // namespace report::detail
