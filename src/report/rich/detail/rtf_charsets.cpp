#include "report/rich/detail/rtf_charsets.h"

#include <algorithm>
#include <cstring>

namespace report::rich::detail {

const char* codePageEncoding(int codePage)
{
    switch (codePage) {
    case 874: return "windows-874";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1250: return "windows-1250";
    case 1251: return "windows-1251";
    case 1253: return "windows-1253";
    case 1254: return "windows-1254";
    case 1255: return "windows-1255";
    case 1256: return "windows-1256";
    case 1257: return "windows-1257";
    case 1258: return "windows-1258";
    case 10000: return "macintosh";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return "windows-1252";
    }
}

int charsetCodePage(int charset, int ansiCodePage)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 28591; // symbol fonts: the bytes are the glyph numbers
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return ansiCodePage; // 1 (default), 255 (OEM) and the rest
    }
}

const char* charsetEncoding(int charset, int ansiCodePage)
{
    return codePageEncoding(charsetCodePage(charset, ansiCodePage));
}

Decoders& Decoders::ofThisThread()
{
    thread_local Decoders decoders;
    return decoders;
}

namespace {

constexpr qsizetype kMemoBytes = 64;  // longer runs are decoded each time
constexpr std::size_t kMemoEntries = 512;

// Every encoding the functions above name reads bytes below 0x80 as ASCII, but for
// Shift_JIS, where 0x5C and 0x7E may be other characters.
bool readsAsciiAsAscii(const char* encoding) { return std::strcmp(encoding, "Shift_JIS") != 0; }

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
}

} // namespace

QString Decoders::decode(const char* encoding, QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    if (readsAsciiAsAscii(encoding) && isAscii(bytes))
        return QString::fromLatin1(bytes);
    auto it = codecs_.find(encoding);
    if (it == codecs_.end()) {
        QStringDecoder d(encoding, QStringDecoder::Flag::Stateless);
        if (!d.isValid())
            d = QStringDecoder(QStringDecoder::Latin1);
        it = codecs_.emplace(encoding, Codec{std::move(d), {}}).first;
    }
    Codec& codec = it->second;
    if (bytes.size() > kMemoBytes)
        return convert(codec, bytes);
    const std::string_view key(bytes.data(), std::size_t(bytes.size()));
    if (const auto known = codec.memo.find(key); known != codec.memo.end())
        return known->second;
    if (codec.memo.size() >= kMemoEntries)
        codec.memo.clear();
    return codec.memo.emplace(std::string(key), convert(codec, bytes)).first->second;
}

QString Decoders::convert(Codec& codec, QByteArrayView bytes)
{
    QString text = codec.decoder.decode(bytes);
    codec.decoder.resetState();
    return text;
}

} // namespace report::rich::detail
