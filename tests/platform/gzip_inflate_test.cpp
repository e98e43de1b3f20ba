#include "platform/error.h"
#include "platform/gzip_inflate.h"
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray gzip(const QByteArray& data)
{
    z_stream s{};
    EXPECT_EQ(deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    QByteArray out(qsizetype(deflateBound(&s, uLong(data.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = uInt(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&s, Z_FINISH), Z_STREAM_END);
    out.resize(qsizetype(s.total_out));
    deflateEnd(&s);
    return out;
}

// Megabytes of text-like data with enough variety that the output has to grow many times.
QByteArray sampleData(qsizetype size)
{
    QByteArray data;
    data.reserve(size);
    quint32 state = 12345;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        data += "line " + QByteArray::number(state >> 8) + (state & 1 ? " 装机单\n" : " part\n");
    }
    return data.left(size);
}

TEST(GzipInflate, RoundTripsLargeData)
{
    const QByteArray data = sampleData(6 * 1024 * 1024);
    EXPECT_EQ(platform::inflateGzip(gzip(data)), data);
}

TEST(GzipInflate, EmptyPayloadAndJoinedMembers)
{
    EXPECT_EQ(platform::inflateGzip(gzip(QByteArray())), QByteArray());
    EXPECT_EQ(platform::inflateGzip(gzip("first, ") + gzip("second")), QByteArray("first, second"));
}

TEST(GzipInflate, TruncatedOrDamagedInputFails)
{
    const QByteArray packed = gzip(sampleData(200000));
    QByteArray flipped = packed;
    flipped[flipped.size() / 2] = char(~flipped[flipped.size() / 2]);
    const QByteArray bad[] = {packed.left(10), packed.left(packed.size() / 2), packed.chopped(1),
                              flipped, QByteArray("plain text, not gzip"),
                              packed + "trailing", QByteArray()};
    for (const QByteArray& input : bad)
        EXPECT_THROW(platform::inflateGzip(input), platform::Error) << input.size() << " bytes";
}

TEST(GzipInflate, RefusesResultsOverTheLimit)
{
    const QByteArray data = sampleData(100000);
    const QByteArray packed = gzip(data);
    EXPECT_EQ(platform::inflateGzip(packed, data.size()), data);
    EXPECT_THROW(platform::inflateGzip(packed, data.size() - 1), platform::Error);
    // A small input that would expand enormously stops at the limit.
    const QByteArray bomb = gzip(QByteArray(64 * 1024 * 1024, '\0'));
    EXPECT_LT(bomb.size(), 100000);
    EXPECT_THROW(platform::inflateGzip(bomb, 1024 * 1024), platform::Error);
}

} // namespace
