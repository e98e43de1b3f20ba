#pragma once

// What a text object shows: its data-bound field, or its text with the delimited
// expressions replaced by their values; then "Value", the highlight, SuppressRepeated and
// the hand-over to FlowTo. Also the bracketed parts of a view's TagStr and URL. The page
// placeholders "[TotalPages#]" and "[CopyName#]" stay in the text; text objects fill them
// in when they are drawn.

#include <QString>

namespace report {

class ReportCalc;
class TfrxCustomMemoView;
class TfrxView;
class TfrxBand;

// One bracket of a text object: the " #" inline format, the "[TotalPages#]" and
// "[CopyName#]" placeholders, HideZeros, then the bracket's or the object's format. Sets
// the object's Value.
QString evaluateBracket(ReportCalc& calc, TfrxCustomMemoView& memo, const QString& expression);

// The text with every bracket (the object's delimiters) replaced by its value's text.
QString expandMemoText(ReportCalc& calc, TfrxCustomMemoView& memo, const QString& text);

// A text object gets its data. With FlowTo set, the part of the new text that does not fit
// the object's height is handed to the FlowTo object, whose expressions are then switched
// off.
void getMemoData(ReportCalc& calc, TfrxCustomMemoView& memo);

// A data band starts a new run of rows or an enclosing group changes: its text objects
// forget the text remembered for SuppressRepeated, and their values.
void forgetRepeatedTexts(TfrxBand& band);

// Replaces every "[...]" of the view's TagStr and URL by the plain text of its value;
// returns the designed texts for restoreViewTexts.
struct ViewTexts {
    QString tagStr, url;
};
ViewTexts expandViewTexts(ReportCalc& calc, TfrxView& view);
void restoreViewTexts(TfrxView& view, const ViewTexts& designed);

} // namespace report
