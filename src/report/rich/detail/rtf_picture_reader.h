#pragma once

// Reading one \pict group of RTF: the words that name its kind and size, and its data as
// hex digits or \bin bytes.

#include "report/rich/detail/rtf_keywords.h"
#include "report/rich/rich_picture.h"

#include <QByteArrayView>

namespace report::rich::detail {

class RtfPictureReader {
public:
    // A new \pict group begins.
    void start();
    // A control word inside the group; false when it is no picture word.
    bool word(Keyword keyword, QByteArrayView name, bool hasParam, int param);
    // A byte of hex data; blanks and anything else between the digits are no data.
    void hexByte(char c);
    void binary(QByteArrayView bytes);
    // The picture read, its size settled; the reader is empty again.
    RichPicture finish();

private:
    RichPicture picture_;
    int nibble_ = -1; // a first hex digit waiting for its second
};

} // namespace report::rich::detail
