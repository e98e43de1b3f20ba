// JPEG decoding on libjpeg.
#include <cstdio>
#include <jpeglib.h>
#include "platform/detail/jpeg_errors.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/jpeg_codec.h"
#include <vector>

namespace platform {

namespace {

using detail::JpegErrorManager;

struct Decompressor {
    jpeg_decompress_struct info{};
    JpegErrorManager errors{};
    bool created = false;

    Decompressor() { info.err = detail::installJpegErrorManager(errors); }
    ~Decompressor()
    {
        if (created)
            jpeg_destroy_decompress(&info);
    }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

// The library is driven in steps that hold no objects with destructors, because an error
// longjmps out of them. Each answers false when libjpeg gave up.
bool startDecoding(Decompressor& d, const QByteArray& bytes)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_create_decompress(&d.info);
    d.created = true;
    jpeg_mem_src(&d.info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&d.info, TRUE);
    switch (d.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.info.out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        // libjpeg turns YCCK into CMYK; CMYK to RGB is done here.
        d.info.out_color_space = JCS_CMYK;
        break;
    default:
        d.info.out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(&d.info);
    return true;
}

void cmykToRgb(const unsigned char* cmyk, unsigned char* rgb, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, cmyk += 4, rgb += 3) {
        // Adobe applications store the inks inverted (255 = no ink); other writers do not.
        const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
        const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
        const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
        const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
        rgb[0] = static_cast<unsigned char>((c * k + 127) / 255);
        rgb[1] = static_cast<unsigned char>((m * k + 127) / 255);
        rgb[2] = static_cast<unsigned char>((y * k + 127) / 255);
    }
}

bool readRows(Decompressor& d, QImage& image, unsigned char* cmykRow)
{
    if (setjmp(d.errors.jump))
        return false;
    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        JSAMPROW row = cmykRow ? cmykRow : image.scanLine(y);
        if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
            return false; // only with a suspending source, which the memory source is not
        if (cmykRow)
            cmykToRgb(cmykRow, image.scanLine(y), d.info.output_width, d.info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

[[noreturn]] void failDecoding(const Decompressor& d)
{
    throw Error(QStringLiteral("The JPEG picture cannot be read: %1")
                    .arg(detail::jpegMessage(d.errors)));
}

} // namespace

QImage decodeJpeg(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        throw Error(QStringLiteral("The JPEG picture cannot be read: the data is empty"));
    Decompressor d;
    if (!startDecoding(d, bytes))
        failDecoding(d);

    const bool gray = d.info.out_color_space == JCS_GRAYSCALE;
    const bool cmyk = d.info.out_color_space == JCS_CMYK;
    QImage image(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height),
                 gray ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        throw Error(QStringLiteral("The JPEG picture is too large (%1 × %2)")
                        .arg(d.info.output_width)
                        .arg(d.info.output_height));
    std::vector<unsigned char> cmykRow(cmyk ? std::size_t(d.info.output_width) * 4 : 0);
    if (!readRows(d, image, cmyk ? cmykRow.data() : nullptr))
        failDecoding(d);
    // A truncated or damaged stream still "decodes" (libjpeg pads it and warns): refuse it.
    if (d.errors.damaged)
        failDecoding(d);
    return image;
}

QImage readJpegFile(const QString& path)
{
    const QByteArray bytes = readWholeFile(path); // its errors already name the file
    try {
        return decodeJpeg(bytes);
    } catch (const Error& error) {
        throw Error(QStringLiteral("%1 (%2)").arg(error.message(), path));
    }
}

} // namespace platform
