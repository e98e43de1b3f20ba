#pragma once

// Decimal digits of a double, rounded as the platform rounds when it prints: the value is
// first taken to 18 significant digits, then rounded half away from zero at the requested
// place.

#include <QString>

#include <string>

namespace report::detail {

struct DecimalDigits {
    bool negative = false;
    // Significant digits without leading zeros; "0" for zero.
    std::string digits = "0";
    // Decimal exponent of the first digit: value = d0.d1d2... * 10^exponent.
    int exponent = 0;

    bool isZero() const { return digits == "0"; }
};

// The digits of a finite value (18 significant digits, trailing zeros removed).
DecimalDigits decimalDigits(double value);

// Rounds to `count` significant digits (count may be 0 or negative: everything below the
// first kept place goes); a carry can add a digit in front.
void roundSignificant(DecimalDigits& d, int count);
// Rounds to `decimals` places after the point.
inline void roundDecimals(DecimalDigits& d, int decimals)
{
    roundSignificant(d, d.exponent + 1 + decimals);
}

// The integer digits ("0" when below 1) and exactly `decimals` fraction digits.
std::string integerPart(const DecimalDigits& d);
std::string fractionPart(const DecimalDigits& d, int decimals);

// Inserts the group separator every three digits from the right.
QString groupDigits(const std::string& digits, const QString& separator);

} // namespace report::detail
