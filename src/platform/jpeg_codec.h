#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

// JPEG pictures. Failures throw platform::Error with the decoder's reason.
namespace platform {

inline constexpr int defaultJpegQuality = 90;

// Grayscale pictures come back as Format_Grayscale8, all others (CMYK included) as
// Format_RGB888. Data that stops early or is damaged is refused, not half-shown.
QImage decodeJpeg(const QByteArray& bytes);
QImage readJpegFile(const QString& path);

// 24-bit colour baseline JPEG (not progressive). Transparent areas are laid on white.
QByteArray encodeJpeg(const QImage& image, int quality = defaultJpegQuality);
// Written to a temporary file and renamed into place.
void writeJpegFile(const QString& path, const QImage& image, int quality = defaultJpegQuality);

} // namespace platform
