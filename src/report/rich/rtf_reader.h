#pragma once

// Reading RTF as word processors, converters and rich-text controls write it.

#include "report/rich/rich_document.h"

#include <QByteArrayView>

namespace report::rich {

// Whether the bytes are RTF: "{\rtf" after optional blanks.
bool looksLikeRtf(QByteArrayView bytes);

// Reads the text and formatting of RTF bytes. Never fails: what is not understood is
// skipped without losing the text around it, and input that ends early (a truncated
// escape, groups never closed) gives the text read so far. Time and memory grow with the
// input's length only, whatever the nesting, \bin lengths or parameter values.
RichDocument readRtf(QByteArrayView bytes);

// False only when the text readRtf gives cannot hold the character: a printable ASCII
// character other than \ { } appears in that text only as itself, as a \'hh escape or as a
// \u word. Lets a caller that looks for one character skip reading the document. Always
// true for other characters (control words give breaks and tabs).
bool mayHoldCharacter(QByteArrayView bytes, char16_t c);

} // namespace report::rich
