#pragma once

// Drawing a text object with a given context, for objects that belong to no report but are
// shown for one (the objects of prepared pages).

class QPainter;

namespace report {

class TfrxCustomMemoView;
class TfrxTextContext;

// What TfrxCustomMemoView::Draw does, with the context's layout object and draw-time values.
void drawMemoWith(TfrxCustomMemoView& memo, TfrxTextContext& context, QPainter* canvas, double scaleX, double scaleY,
                  double offsetX, double offsetY);

} // namespace report
