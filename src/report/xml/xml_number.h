#pragma once

// Numbers in attribute values: the one form every writer and reader of the XML text form
// uses (templates, prepared pages, the command-line tools), whatever the locale.
//
// Written: decimal with '.'. A float is its shortest fixed form that reads back the same
// when that needs at most 15 significant digits ("12.5", "0.0001", "39728.7130210069");
// otherwise the 15-digit general form with a C exponent ("0.3" for 0.1 + 0.2, "1e+15",
// "1e-05"). -0 is "0"; what is no number is "nan", "inf" or "-inf", which no reader takes.
// Read: ',' or '.' as the decimal separator, blanks anywhere ignored, a sign and an exponent
// allowed; anything else, and what is no finite number, is refused. Integers are decimal;
// reading also takes '$' followed by hexadecimal digits.

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string>

namespace report {

void appendFloatText(std::string& out, double value);
QString floatToText(double value);
std::optional<double> readFloatText(QByteArrayView latin1);
std::optional<double> readFloatText(QStringView text);

void appendIntText(std::string& out, int value);
std::optional<int> readIntText(QByteArrayView latin1);
std::optional<int> readIntText(QStringView text);

} // namespace report
