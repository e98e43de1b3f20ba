#pragma once

// Formatting a value for display (the rules of TfrxFormat) and the inline " #" format of a
// bracket.
// The object model's TfrxFormat (DisplayFormat property) maps onto DisplayFormat.

#include "report/value/frx_value.h"

#include <optional>

namespace report {

enum class DisplayKind : quint8 { fkText, fkNumeric, fkDateTime, fkBoolean };

struct DisplayFormat {
    DisplayKind kind = DisplayKind::fkText;
    QString formatStr;
    // Only used when it is exactly one character long.
    QString decimalSeparator;
};

// The display text of a value; never fails:
// - null gives '';
// - fkText: the plain conversion (Value::toString);
// - fkNumeric: a picture format when FormatStr begins with "#", else a printf-style format
//   applied to the value as an integer when FormatStr contains "d", else as a
//   floating number; then the system decimal separator is replaced by DecimalSeparator;
// - fkDateTime: FormatDateTime with FormatStr;
// - fkBoolean: FormatStr "yes,no": a value equal to true gives the text before the comma,
//   any other value the text after it;
// - any failure gives the plain conversion (or '' when even that fails).
QString formatDisplayValue(const Value& value, const DisplayFormat& format);

// The plain conversion that never fails: Value::toString, or '' for values without a text.
QString plainText(const Value& value);

// A bracket's expression and its inline format: "e #fmt" (a blank and "#") splits into
// the expression "e" and the format "fmt", unless "fmt" contains ")". The first character
// of the format selects the kind (B/b boolean, D/d/T/t date-time, N/n numeric, else text);
// for numeric formats every "," or "-" becomes the decimal separator and is written "."
// in FormatStr; FormatStr is the rest after the first character (at most 255 characters).
struct InlineFormat {
    QString expression;
    std::optional<DisplayFormat> format;
};
InlineFormat splitInlineFormat(const QString& bracketText);

} // namespace report
