#pragma once

// Laying out a rich document on the 600 dpi reference device of the text layout, so that
// measuring, the preview and the printed page break lines at the same places: fonts per
// run through the font table, line breaking of Chinese between characters and of Latin at
// spaces, paragraph alignment, indents and spacing.

#include "report/rich/rich_document.h"

#include <vector>

namespace report::rich {

constexpr double kReferencePerUnit = 6.25; // reference pixels per report unit
constexpr double kTwipsPerReference = 2.4; // 1440 twips / 600 reference pixels
constexpr double kTwipsPerUnit = 15;

// The reference height of a font size: round(points × 600 / 72) pixels.
int referenceFontHeight(int halfPoints);
int twipsToReference(int twips);

// One output line; lengths in reference pixels from the top-left corner of the layout
// rectangle.
struct RichLine {
    int start = 0; // first character
    int end = 0;   // after the last character drawn (a paragraph break is not part of it)
    int next = 0;  // first character of the next line
    int top = 0;
    int height = 0;
    int baseline = 0; // from the line's top
    bool paragraphEnd = false;
    int bottomWithSpacing = 0; // the line's bottom, plus the paragraph's space after
};

struct RichLayout {
    std::vector<RichLine> lines;
    std::vector<int> x;     // per character: left edge
    std::vector<int> width; // per character: advance as placed (justified)
    int height = 0;         // of the whole text with its paragraph spacing
};

// Lays the document out for a line width in reference pixels.
RichLayout layOutRich(const RichDocument& document, int width);

// What fits into a height in reference pixels: the first character that does not (the
// document's length when all fit) and the height of the lines that do.
struct RichFit {
    int firstUnfit = 0;
    int height = 0;
    int keptLines = 0;
};
RichFit fitRich(const RichDocument& document, const RichLayout& layout, int height);

} // namespace report::rich
