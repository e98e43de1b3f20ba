#pragma once

// Setting up the layout object for one text object: the font, switches, spacing and the text
// area, shared by the text object's measuring, drawing and piecewise output.

#include <QColor>
#include <QRectF>
#include <QString>

namespace report {

class TfrxCustomMemoView;
class TfrxFont;
class TfrxDrawText;

// The area a text object lays out in when its width follows the text.
inline constexpr double kUnboundedExtent = 10000;

// Room taken around the text by gaps, frame lines and the drop shadow, in report units.
struct MemoInsets {
    double left = 0, top = 0, right = 0, bottom = 0;
    double horizontal() const { return left + right; }
    double vertical() const { return top + bottom; }
};
MemoInsets memoInsets(const TfrxCustomMemoView& memo);

// The text area relative to the object's top-left corner, in report units.
QRectF memoTextArea(const TfrxCustomMemoView& memo);

// The font the text is drawn in: the highlight's while it is active.
const TfrxFont& memoFont(const TfrxCustomMemoView& memo);
// That font's colour; system colours, which have no fixed value, are taken as black.
QColor memoTextColor(const TfrxCustomMemoView& memo);

// Font, switches and spacing of the object.
void applyMemoSettings(const TfrxCustomMemoView& memo, TfrxDrawText& drawText);

// Lays out `text` in an area of the given size at scale 1, for measuring.
void layOutForMeasure(const TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text, double width,
                      double height);

// CalcWidth of the object were `text` its text; the caller holds the layout object.
double memoWidthOf(const TfrxCustomMemoView& memo, TfrxDrawText& drawText, const QString& text);

// Lays the object's text out as its height is measured: in the text area, or unbounded when
// the width follows the text.
void layOutAtWidth(const TfrxCustomMemoView& memo, TfrxDrawText& drawText);

} // namespace report
