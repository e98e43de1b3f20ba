#pragma once

// Breaking one paragraph into output lines from the reference widths of its characters.

#include <vector>

namespace report::detail {

struct BreakLine {
    int start = 0;       // first character, relative to the paragraph
    int length = 0;      // characters taken from the paragraph
    bool hyphen = false; // a "-" follows the characters
    bool number = false; // a number kept whole however wide (never broken, never clipped across)
};

struct BreakSettings {
    bool wordWrap = true;
    bool wordBreak = false;
    int firstWidth = 0; // reference pixels available to the paragraph's first line
    int laterWidth = 0; // and to the lines after it
};

// True when the characters are one number as a text object shows it: digits with signs,
// decimal and group separators, currency and percent signs, and no blank.
bool isNumberText(const char16_t* text, int n);

// Appends the output lines of a paragraph of `n` characters (n > 0) with the given widths.
void breakParagraph(const char16_t* text, const int* widths, int n, const BreakSettings& settings,
                    std::vector<BreakLine>& lines);

// The number of letters of the word at `word` (at most `available` characters to the end of
// the paragraph) that go before a hyphen when only `fitting` of them fit, or 0 when the word
// cannot be broken there. Russian words only.
int hyphenationPrefix(const char16_t* word, int available, int fitting);

} // namespace report::detail
