#include "platform/gzip_inflate.h"
#include "platform/error.h"
#include <zlib.h>
#include <algorithm>
#include <limits>

namespace platform {

namespace {

struct Inflater {
    z_stream stream{};
    bool open = false;
    ~Inflater()
    {
        if (open)
            inflateEnd(&stream);
    }
};

// zlib counts in uInt; larger buffers are handed over in slices of this size.
constexpr qsizetype maxSlice = std::numeric_limits<uInt>::max();
constexpr qsizetype firstOutput = 64 * 1024;

[[noreturn]] void fail(const QString& reason)
{
    throw Error(QStringLiteral("The compressed data cannot be unpacked: %1").arg(reason));
}

} // namespace

QByteArray inflateGzip(const QByteArray& compressed, qsizetype outputLimit)
{
    if (compressed.isEmpty())
        fail(QStringLiteral("it is empty"));
    outputLimit = std::max<qsizetype>(outputLimit, 0);

    Inflater z;
    if (inflateInit2(&z.stream, 16 + MAX_WBITS) != Z_OK) // 16: gzip framing only
        fail(QStringLiteral("the decompressor cannot start"));
    z.open = true;

    const auto* input = reinterpret_cast<const Bytef*>(compressed.constData());
    qsizetype inputLeft = compressed.size();
    // Room for one byte beyond the limit shows an oversized result without inflating it all.
    const qsizetype room = outputLimit + 1;
    QByteArray output;
    output.resize(std::min(room, std::max(firstOutput, compressed.size() * 4)));
    qsizetype produced = 0;

    for (;;) {
        if (z.stream.avail_in == 0 && inputLeft > 0) {
            const qsizetype slice = std::min(inputLeft, maxSlice);
            z.stream.next_in = const_cast<Bytef*>(input);
            z.stream.avail_in = static_cast<uInt>(slice);
            input += slice;
            inputLeft -= slice;
        }
        if (produced == output.size()) {
            if (produced >= room)
                break;
            output.resize(std::min(room, output.size() * 2));
        }
        const qsizetype offered = std::min(output.size() - produced, maxSlice);
        z.stream.next_out = reinterpret_cast<Bytef*>(output.data() + produced);
        z.stream.avail_out = static_cast<uInt>(offered);

        const int rc = inflate(&z.stream, Z_NO_FLUSH);
        produced += offered - z.stream.avail_out;
        const bool inputDone = z.stream.avail_in == 0 && inputLeft == 0;
        if (rc == Z_STREAM_END) {
            if (inputDone)
                break;
            inflateReset(&z.stream); // another gzip member follows
            continue;
        }
        if (rc == Z_OK || rc == Z_BUF_ERROR) {
            if (inputDone && z.stream.avail_out > 0)
                fail(QStringLiteral("the data ends before the end of the stream"));
            continue;
        }
        fail(z.stream.msg ? QString::fromLatin1(z.stream.msg) : QStringLiteral("error %1").arg(rc));
    }
    if (produced > outputLimit)
        fail(QStringLiteral("the result is larger than %1 bytes").arg(outputLimit));
    output.resize(produced);
    return output;
}

} // namespace platform
