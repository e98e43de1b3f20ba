#pragma once

// The byte encodings of RTF text: a font's character set (\fcharset) or the document's
// code page (\ansicpg) names the encoding its \'hh bytes are in.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <map>

namespace report::rich::detail {

// The encoding name of a Windows code page (936 → GBK, 1252 → windows-1252, …); unknown
// pages give windows-1252.
const char* codePageEncoding(int codePage);

// The encoding of a font character set; the default and unknown sets use `ansiCodePage`.
const char* charsetEncoding(int charset, int ansiCodePage);

// The code page RTF writers give a character set (for \ansicpg and \fcharset back again).
int charsetCodePage(int charset, int ansiCodePage);

// Decoders by encoding name. Making one costs more than reading a short document, so
// each thread keeps those it has made (decoding leaves no state in them).
class Decoders {
public:
    static Decoders& ofThisThread();
    QString decode(const char* encoding, QByteArrayView bytes);

private:
    std::map<QByteArray, QStringDecoder> decoders_;
};

} // namespace report::rich::detail
