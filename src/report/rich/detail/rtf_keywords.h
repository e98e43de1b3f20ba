#pragma once

// The control words the RTF reader acts on. Anything else is skipped.

#include <QByteArrayView>

namespace report::rich::detail {

enum class Keyword {
    Unknown,
    // document
    Rtf, Ansicpg, Deff, Deftab, FontTable, ColorTable, Uc, U, Bin, SkipDestination,
    // font and colour tables
    F, Fcharset, Red, Green, Blue,
    // text
    Par, Line, Tab, Cell, Row,
    // character format
    Plain, B, I, Ul, UlNone, Strike, Hidden, Fs, Cf, Highlight, Loch, Hich, Dbch, Rtlch, Ltrch, Af, Ab, Ai, Afs,
    // paragraph format
    Pard, Ql, Qc, Qr, Qj, Li, Ri, Fi, Sb, Sa, Sl, Slmult, Tx,
    // pictures
    Pict, Shppict, PngBlip, JpegBlip, OtherBlip, Picw, Pich, Picwgoal, Pichgoal, Picscalex, Picscaley,
    // symbols: the character of the table below
    Symbol,
};

struct KeywordInfo {
    Keyword keyword = Keyword::Unknown;
    char16_t symbol = 0; // for Keyword::Symbol
};

KeywordInfo lookupKeyword(QByteArrayView word);

} // namespace report::rich::detail
