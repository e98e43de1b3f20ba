#include "report/format/detail/frx_decimal.h"

#include <charconv>
#include <cmath>

namespace report::detail {

DecimalDigits decimalDigits(double value)
{
    DecimalDigits d;
    if (value == 0 || !std::isfinite(value))
        return d;
    d.negative = value < 0;
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, std::fabs(value),
                                       std::chars_format::scientific, 17);
    const std::string_view s(text, std::size_t(written.ptr - text)); // d.ddddde+XX
    const std::size_t e = s.find('e');
    d.digits.clear();
    for (char c : s.substr(0, e))
        if (c != '.')
            d.digits += c;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), d.exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    return d;
}

void roundSignificant(DecimalDigits& d, int count)
{
    if (d.isZero())
        return;
    if (count >= int(d.digits.size()))
        return;
    if (count < 0) {
        d = DecimalDigits{d.negative, "0", 0};
        return;
    }
    const bool up = d.digits[std::size_t(count)] >= '5';
    d.digits.resize(std::size_t(count));
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[std::size_t(i)] == '9') {
            d.digits[std::size_t(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[std::size_t(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d = DecimalDigits{d.negative, "0", 0};
}

std::string integerPart(const DecimalDigits& d)
{
    if (d.isZero() || d.exponent < 0)
        return "0";
    std::string out;
    for (int i = 0; i <= d.exponent; ++i)
        out += i < int(d.digits.size()) ? d.digits[std::size_t(i)] : '0';
    return out;
}

std::string fractionPart(const DecimalDigits& d, int decimals)
{
    std::string out;
    if (d.isZero())
        return std::string(std::size_t(std::max(decimals, 0)), '0');
    for (int k = 0; k < decimals; ++k) {
        const int i = d.exponent + 1 + k;
        out += i >= 0 && i < int(d.digits.size()) ? d.digits[std::size_t(i)] : '0';
    }
    return out;
}

QString groupDigits(const std::string& digits, const QString& separator)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        out += QLatin1Char(digits[std::size_t(i)]);
        const int fromRight = n - 1 - i;
        if (fromRight > 0 && fromRight % 3 == 0)
            out += separator;
    }
    return out;
}

} // namespace report::detail
