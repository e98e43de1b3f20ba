#pragma once

// Writing a rich document as RTF, the form the object stores and hands on as a remainder.

#include "report/rich/rich_document.h"

#include <QByteArray>

namespace report::rich {

// The RTF of the characters from `from` to `to` (the whole document by default). Every
// paragraph, the last included, ends with \par, which the reader takes back off; the bytes
// are plain ASCII with non-ASCII text as \u escapes and font names in their character set.
QByteArray writeRtf(const RichDocument& document, int from = 0, int to = -1);

} // namespace report::rich
