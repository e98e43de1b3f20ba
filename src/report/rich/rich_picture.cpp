#include "report/rich/rich_picture.h"

#include "platform/error.h"
#include "platform/jpeg_codec.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace report::rich {

namespace {

constexpr int kTwipsPerPixel = 15; // at 96 dpi
constexpr int kMaxScale = 1000;    // percent
// Pictures with more pixels than this are not decoded (a few bytes can claim any size).
constexpr qint64 kMaxPixels = 40'000'000;

// The size a JPEG's frame header gives, read without decoding; empty when there is none.
QSize jpegSize(const QByteArray& data)
{
    const auto at = [&](qsizetype i) { return i < data.size() ? int(uchar(data[i])) : -1; };
    if (at(0) != 0xFF || at(1) != 0xD8)
        return {};
    qsizetype i = 2;
    while (i + 3 < data.size()) {
        if (at(i) != 0xFF)
            return {};
        const int marker = at(i + 1);
        if (marker == 0xFF) {
            ++i;
            continue;
        }
        const int length = at(i + 2) << 8 | at(i + 3);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame && i + 8 < data.size())
            return QSize(at(i + 7) << 8 | at(i + 8), at(i + 5) << 8 | at(i + 6));
        if (length < 2)
            return {};
        i += 2 + length;
    }
    return {};
}

QSize pngSize(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, "png");
    return reader.size();
}

QSize ownSize(const RichPicture& p)
{
    switch (p.kind) {
    case RichPicture::Kind::Png: return pngSize(p.data);
    case RichPicture::Kind::Jpeg: return jpegSize(p.data);
    case RichPicture::Kind::Other: return {};
    }
    return {};
}

bool decodable(QSize size)
{
    return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= kMaxPixels;
}

int shown(int goal, int own, int scale)
{
    const long long base = goal > 0 ? goal : std::max(0LL, (long long)own * kTwipsPerPixel);
    return int(std::min<long long>(kMaxPictureTwips, base * scale / 100));
}

} // namespace

void settlePicture(RichPicture& p)
{
    p.goalWidth = std::clamp(p.goalWidth, 0, kMaxPictureTwips);
    p.goalHeight = std::clamp(p.goalHeight, 0, kMaxPictureTwips);
    p.scaleX = p.scaleX <= 0 ? 100 : std::min(p.scaleX, kMaxScale);
    p.scaleY = p.scaleY <= 0 ? 100 : std::min(p.scaleY, kMaxScale);
    const QSize own = (p.goalWidth > 0 && p.goalHeight > 0) ? QSize() : ownSize(p);
    p.width = shown(p.goalWidth, own.width(), p.scaleX);
    p.height = shown(p.goalHeight, own.height(), p.scaleY);
}

QImage decodePicture(const RichPicture& p)
{
    if (p.kind == RichPicture::Kind::Other || !decodable(ownSize(p)))
        return {};
    if (p.kind == RichPicture::Kind::Jpeg) {
        try {
            return platform::decodeJpeg(p.data);
        } catch (const platform::Error&) {
            return {}; // damaged data shows as an empty box
        }
    }
    QBuffer buffer;
    buffer.setData(p.data);
    QImageReader reader(&buffer, "png");
    return reader.read();
}

} // namespace report::rich
