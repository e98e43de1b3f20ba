#pragma once

// Spreading a number of device pixels (positive or negative) over the characters of a line.

namespace report::detail {

// Adds `pixels` to `extra[0..count)`: every character gets the quotient and the remainder
// goes one pixel at a time to characters spread evenly along the line, by halving the range
// (the first half of the pixels to the first half of the characters; a single pixel to the
// middle character of its range).
void spreadPixels(int* extra, int count, int pixels);

} // namespace report::detail
