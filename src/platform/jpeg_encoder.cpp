// JPEG encoding on libjpeg.
#include <cstdio>
#include <jpeglib.h>
#include <jerror.h>
#include "platform/detail/jpeg_errors.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/jpeg_codec.h"
#include <QPainter>
#include <cstdlib>

namespace platform {

namespace {

using detail::JpegErrorManager;

// A growing malloc'd buffer the encoder owns, so that it is freed however encoding ends
// (the library's own memory destination cannot be reclaimed after an error).
struct MemoryDestination {
    jpeg_destination_mgr base; // first member: libjpeg hands back a pointer to it
    unsigned char* buffer;
    std::size_t capacity;
    std::size_t size;
};

constexpr std::size_t initialCapacity = 64 * 1024;

MemoryDestination& destinationOf(j_compress_ptr info)
{
    return *reinterpret_cast<MemoryDestination*>(info->dest);
}

void startDestination(j_compress_ptr info)
{
    MemoryDestination& d = destinationOf(info);
    if (!d.buffer) {
        d.buffer = static_cast<unsigned char*>(std::malloc(initialCapacity));
        if (!d.buffer)
            ERREXIT1(info, JERR_OUT_OF_MEMORY, 10);
        d.capacity = initialCapacity;
    }
    d.base.next_output_byte = d.buffer;
    d.base.free_in_buffer = d.capacity;
}

boolean growDestination(j_compress_ptr info)
{
    // Called with the whole buffer full.
    MemoryDestination& d = destinationOf(info);
    auto* bigger = static_cast<unsigned char*>(std::realloc(d.buffer, d.capacity * 2));
    if (!bigger)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 11);
    d.buffer = bigger;
    d.base.next_output_byte = d.buffer + d.capacity;
    d.base.free_in_buffer = d.capacity;
    d.capacity *= 2;
    return TRUE;
}

void finishDestination(j_compress_ptr info)
{
    MemoryDestination& d = destinationOf(info);
    d.size = d.capacity - d.base.free_in_buffer;
}

struct Compressor {
    jpeg_compress_struct info{};
    JpegErrorManager errors{};
    MemoryDestination destination{};
    bool created = false;

    Compressor()
    {
        info.err = detail::installJpegErrorManager(errors);
        destination.base.init_destination = startDestination;
        destination.base.empty_output_buffer = growDestination;
        destination.base.term_destination = finishDestination;
    }
    ~Compressor()
    {
        if (created)
            jpeg_destroy_compress(&info);
        std::free(destination.buffer);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

// Holds no objects with destructors: an error longjmps out of it.
bool compress(Compressor& c, const QImage& rgb, int quality)
{
    if (setjmp(c.errors.jump))
        return false;
    jpeg_create_compress(&c.info);
    c.created = true;
    c.info.dest = &c.destination.base;
    c.info.image_width = static_cast<JDIMENSION>(rgb.width());
    c.info.image_height = static_cast<JDIMENSION>(rgb.height());
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info); // JFIF, YCbCr, Huffman, sequential: a baseline picture
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW row = const_cast<uchar*>(rgb.constScanLine(static_cast<int>(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

QImage opaqueRgb(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB888);
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, image);
    painter.end();
    return flat.convertToFormat(QImage::Format_RGB888);
}

} // namespace

QByteArray encodeJpeg(const QImage& image, int quality)
{
    if (image.isNull())
        throw Error(QStringLiteral("There is no picture to save as JPEG"));
    if (image.width() > JPEG_MAX_DIMENSION || image.height() > JPEG_MAX_DIMENSION)
        throw Error(QStringLiteral("The picture is too large for JPEG (%1 × %2)")
                        .arg(image.width())
                        .arg(image.height()));
    const QImage rgb = opaqueRgb(image);
    Compressor c;
    if (!compress(c, rgb, quality))
        throw Error(QStringLiteral("The JPEG picture cannot be written: %1")
                        .arg(detail::jpegMessage(c.errors)));
    return QByteArray(reinterpret_cast<const char*>(c.destination.buffer),
                      static_cast<qsizetype>(c.destination.size));
}

void writeJpegFile(const QString& path, const QImage& image, int quality)
{
    writeFileAtomically(path, encodeJpeg(image, quality));
}

} // namespace platform
