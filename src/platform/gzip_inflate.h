#pragma once
#include <QByteArray>

namespace platform {

inline constexpr qsizetype defaultInflateLimit = qsizetype(256) * 1024 * 1024;

// Inflates gzip-framed data (several members in a row are joined). Throws platform::Error
// for damaged or truncated data and when the result would exceed outputLimit bytes.
QByteArray inflateGzip(const QByteArray& compressed, qsizetype outputLimit = defaultInflateLimit);

} // namespace platform
