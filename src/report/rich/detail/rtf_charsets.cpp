#include "report/rich/detail/rtf_charsets.h"

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

QString Decoders::decode(const char* encoding, QByteArrayView bytes)
{
    auto it = decoders_.find(QByteArray(encoding));
    if (it == decoders_.end()) {
        QStringDecoder d(encoding, QStringDecoder::Flag::Stateless);
        if (!d.isValid())
            d = QStringDecoder(QStringDecoder::Latin1);
        it = decoders_.emplace(QByteArray(encoding), std::move(d)).first;
    }
    QString text = it->second.decode(bytes);
    it->second.resetState();
    return text;
}

} // namespace report::rich::detail
