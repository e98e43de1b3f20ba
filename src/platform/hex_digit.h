#pragma once

namespace platform {

// The value of one hexadecimal digit of either case, -1 for any other character. One
// copy for every reader of hexadecimal text (RTF pictures, colours, numbers, PDF maps).
// A signed char above 0x7F becomes a large char32_t here and is rightly no digit.
constexpr int hexDigitValue(char32_t c) noexcept
{
    if (c >= U'0' && c <= U'9')
        return int(c - U'0');
    if (c >= U'a' && c <= U'f')
        return int(c - U'a') + 10;
    if (c >= U'A' && c <= U'F')
        return int(c - U'A') + 10;
    return -1;
}

} // namespace platform
