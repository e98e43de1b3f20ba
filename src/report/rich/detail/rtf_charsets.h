#pragma once

// The byte encodings of RTF text: a font's character set (\fcharset) or the document's
// code page (\ansicpg) names the encoding its \'hh bytes are in.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace report::rich::detail {

// The encoding name of a Windows code page (936 → GBK, 1252 → windows-1252, …); unknown
// pages give windows-1252.
const char* codePageEncoding(int codePage);

// The encoding of a font character set; the default and unknown sets use `ansiCodePage`.
const char* charsetEncoding(int charset, int ansiCodePage);

// The code page RTF writers give a character set (for \ansicpg and \fcharset back again).
int charsetCodePage(int charset, int ansiCodePage);

// Decoders by encoding name. Making one costs more than reading a short document, so
// each thread keeps those it has made (decoding leaves no state in them). Short byte runs
// (font names, headings) recur in every copy of a template's text; their decodings are
// kept too, a bounded number of them.
class Decoders {
public:
    static Decoders& ofThisThread();
    // `encoding` is one of the names the functions above give.
    QString decode(const char* encoding, QByteArrayView bytes);

private:
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>()(bytes); }
    };
    struct Codec {
        QStringDecoder decoder;
        std::unordered_map<std::string, QString, Hash, std::equal_to<>> memo;
    };
    static QString convert(Codec& codec, QByteArrayView bytes);

    std::map<const char*, Codec> codecs_; // the names are string literals
};

} // namespace report::rich::detail
