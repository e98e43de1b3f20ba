#include "platform/error.h"
#include "platform/jpeg_codec.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <cstdio>
#include <jpeglib.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

// The segments before the scan: marker code -> payloads, and the quantisation tables.
struct JpegHeader {
    std::multimap<int, QByteArray> segments;
    std::map<int, std::vector<int>> quantTables; // by table id, in stored order
};

JpegHeader parseHeader(const QByteArray& jpeg)
{
    JpegHeader header;
    auto byte = [&](qsizetype i) { return int(uchar(jpeg.at(i))); };
    qsizetype at = 2; // after SOI
    while (at + 4 <= jpeg.size() && byte(at) == 0xFF && byte(at + 1) != 0xDA) {
        const int marker = byte(at + 1);
        const int length = byte(at + 2) * 256 + byte(at + 3);
        const QByteArray payload = jpeg.mid(at + 4, length - 2);
        header.segments.emplace(marker, payload);
        for (qsizetype p = 0; marker == 0xDB && p < payload.size();) {
            const int wide = uchar(payload[p]) >> 4, id = uchar(payload[p]) & 15;
            auto& table = header.quantTables[id];
            for (int k = 0; k < 64; ++k)
                table.push_back(wide ? uchar(payload[p + 1 + 2 * k]) * 256 + uchar(payload[p + 2 + 2 * k])
                                     : uchar(payload[p + 1 + k]));
            p += 1 + 64 * (wide ? 2 : 1);
        }
        at += 2 + length;
    }
    return header;
}

QImage quadrants(QImage::Format format = QImage::Format_RGB32)
{
    QImage image(96, 64, format);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, QColor(200, 180, 40)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, colours[(y >= 32) * 2 + (x >= 48)]);
    return image;
}

// Fine detail, so that the quantisation decides the file size.
QImage noise()
{
    QImage image(128, 128, QImage::Format_RGB32);
    std::srand(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(std::rand() % 256, std::rand() % 256, std::rand() % 256));
    return image;
}

void expectNear(QColor actual, QColor expected, int tolerance = 12)
{
    EXPECT_NEAR(actual.red(), expected.red(), tolerance);
    EXPECT_NEAR(actual.green(), expected.green(), tolerance);
    EXPECT_NEAR(actual.blue(), expected.blue(), tolerance);
}

// Pictures in colour spaces the program itself never writes, made with libjpeg directly.
QByteArray foreignJpeg(J_COLOR_SPACE input, J_COLOR_SPACE stored, std::vector<uchar> pixel)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = info.image_height = 16;
    info.input_components = int(pixel.size());
    info.in_color_space = input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored); // CMYK and YCCK get the Adobe marker
    jpeg_start_compress(&info, TRUE);
    std::vector<uchar> row;
    for (int x = 0; x < 16; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

TEST(JpegCodec, RoundTripKeepsSizeAndColours)
{
    const QImage source = quadrants();
    const QImage decoded = platform::decodeJpeg(platform::encodeJpeg(source));
    ASSERT_EQ(decoded.size(), source.size());
    for (QPoint centre : {QPoint(24, 16), QPoint(72, 16), QPoint(24, 48), QPoint(72, 48)})
        expectNear(decoded.pixelColor(centre), source.pixelColor(centre));
}

TEST(JpegCodec, WritesBaselineTwentyFourBitPictures)
{
    // A grayscale source is written in colour all the same.
    for (const QImage& source : {quadrants(), quadrants(QImage::Format_Grayscale8)}) {
        const QByteArray jpeg = platform::encodeJpeg(source);
        ASSERT_TRUE(jpeg.startsWith("\xFF\xD8") && jpeg.endsWith("\xFF\xD9"));
        const JpegHeader header = parseHeader(jpeg);
        EXPECT_EQ(header.segments.count(0xC2), 0u) << "progressive";
        ASSERT_EQ(header.segments.count(0xC0), 1u) << "no baseline frame";
        const QByteArray frame = header.segments.find(0xC0)->second;
        EXPECT_EQ(uchar(frame[0]), 8);       // bits per sample
        EXPECT_EQ(uchar(frame[5]), 3);       // components
        EXPECT_EQ(uchar(frame[1]) * 256 + uchar(frame[2]), source.height());
    }
}

TEST(JpegCodec, DefaultQualityIsNinety)
{
    const QImage source = noise();
    const QByteArray byDefault = platform::encodeJpeg(source);
    EXPECT_EQ(byDefault, platform::encodeJpeg(source, 90));
    const QByteArray half = platform::encodeJpeg(source, 50);
    EXPECT_GT(byDefault.size(), half.size());
    // At quality 50 the tables are the standard ones; quality 90 scales them to 20 %.
    const auto tables90 = parseHeader(byDefault).quantTables, tables50 = parseHeader(half).quantTables;
    ASSERT_EQ(tables90.size(), 2u);
    ASSERT_EQ(tables50.size(), 2u);
    for (const auto& [id, table50] : tables50)
        for (int k = 0; k < 64; ++k)
            EXPECT_EQ(tables90.at(id)[k], std::max(1, (table50[k] * 20 + 50) / 100)) << id << ' ' << k;
}

TEST(JpegCodec, TransparentAreasBecomeWhite)
{
    QImage source(32, 32, QImage::Format_ARGB32);
    source.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            source.setPixelColor(x, y, Qt::red);
    const QImage decoded = platform::decodeJpeg(platform::encodeJpeg(source));
    expectNear(decoded.pixelColor(4, 4), Qt::red);
    expectNear(decoded.pixelColor(28, 28), Qt::white);
}

TEST(JpegCodec, FileIsReplacedWholeAndReadBack)
{
    testing_support::TempFolder folder;
    const QString path = folder.file(QStringLiteral("17.jpg"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("not a picture at all");
    old.close();
    platform::writeJpegFile(path, quadrants());
    EXPECT_EQ(platform::readJpegFile(path).size(), QSize(96, 64));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("17.jpg")});
    EXPECT_THROW(platform::writeJpegFile(folder.file(QStringLiteral("no/such/folder.jpg")), quadrants()),
                 platform::Error);
    EXPECT_THROW(platform::encodeJpeg(QImage()), platform::Error);
}

TEST(JpegDecode, GrayscaleCmykAndYcckPictures)
{
    const QImage gray = platform::decodeJpeg(foreignJpeg(JCS_GRAYSCALE, JCS_GRAYSCALE, {100}));
    EXPECT_EQ(gray.format(), QImage::Format_Grayscale8);
    EXPECT_NEAR(qGray(gray.pixel(8, 8)), 100, 2);
    // Adobe's inverted inks: 255 means none. Red is full magenta and yellow.
    for (J_COLOR_SPACE stored : {JCS_CMYK, JCS_YCCK}) {
        const QImage red = platform::decodeJpeg(foreignJpeg(JCS_CMYK, stored, {255, 0, 0, 255}));
        expectNear(red.pixelColor(8, 8), Qt::red);
    }
}

TEST(JpegDecode, DamagedDataFailsCleanly)
{
    const QByteArray good = platform::encodeJpeg(noise());
    const QByteArray header = good.left(good.indexOf("\xFF\xDA") + 20);
    const QByteArray garbage = QByteArray("GIF89a").repeated(50);
    for (const QByteArray& bad : {good.left(good.size() / 2), good.chopped(2), header, garbage,
                                  QByteArray(), good.mid(2)}) {
        try {
            platform::decodeJpeg(bad);
            ADD_FAILURE() << "decoded " << bad.size() << " bad bytes";
        } catch (const platform::Error& error) {
            EXPECT_FALSE(error.message().isEmpty());
        }
    }
    testing_support::TempFolder folder;
    QFile empty(folder.file(QStringLiteral("empty.jpg")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_THROW(platform::readJpegFile(empty.fileName()), platform::Error);
    EXPECT_THROW(platform::readJpegFile(folder.file(QStringLiteral("missing.jpg"))), platform::Error);
}

} // namespace
