#include "report/rich/detail/rtf_picture_reader.h"

#include "platform/hex_digit.h"

#include <utility>

namespace report::rich::detail {

void RtfPictureReader::start()
{
    picture_ = RichPicture();
    nibble_ = -1;
}

bool RtfPictureReader::word(Keyword keyword, QByteArrayView name, bool hasParam, int param)
{
    RichPicture& p = picture_;
    switch (keyword) {
    // The last kind named counts.
    case Keyword::PngBlip:
        p.kind = RichPicture::Kind::Png;
        p.kindWord.clear();
        return true;
    case Keyword::JpegBlip:
        p.kind = RichPicture::Kind::Jpeg;
        p.kindWord.clear();
        return true;
    case Keyword::OtherBlip:
        p.kind = RichPicture::Kind::Other;
        p.kindWord = name.toByteArray();
        if (hasParam)
            p.kindWord += QByteArray::number(param);
        return true;
    case Keyword::Picw: p.picw = param; return true;
    case Keyword::Pich: p.pich = param; return true;
    case Keyword::Picwgoal: p.goalWidth = param; return true;
    case Keyword::Pichgoal: p.goalHeight = param; return true;
    case Keyword::Picscalex: p.scaleX = param; return true;
    case Keyword::Picscaley: p.scaleY = param; return true;
    default: return false;
    }
}

void RtfPictureReader::hexByte(char c)
{
    const int v = platform::hexDigitValue(c);
    if (v < 0)
        return;
    if (nibble_ < 0) {
        nibble_ = v;
        return;
    }
    picture_.data += char(nibble_ << 4 | v);
    nibble_ = -1;
}

void RtfPictureReader::binary(QByteArrayView bytes) { picture_.data += bytes; }

RichPicture RtfPictureReader::finish()
{
    RichPicture p = std::exchange(picture_, RichPicture());
    nibble_ = -1;
    settlePicture(p);
    return p;
}

} // namespace report::rich::detail
