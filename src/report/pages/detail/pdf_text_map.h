#pragma once

// Mending the text maps (ToUnicode) of a PDF written by Qt's PDF writer.

#include <QByteArray>

namespace report::detail {

// The writer finds the character of each glyph by searching the font's character map
// from the lowest code up, so a glyph a Chinese font shares between a radical and the
// ideograph itself (一 and the Kangxi radical one, 页 and the simplified radical leaf)
// comes out of text extraction and search as the radical. Each such radical in a text
// map becomes its ideograph again. Codes keep their length, so no offset in the file
// changes. Returns the number of codes mended.
int mendPdfTextMaps(QByteArray& pdf);

// The ideograph a radical stands for, or the code itself.
char16_t unifiedIdeographOf(char16_t code);

} // namespace report::detail
