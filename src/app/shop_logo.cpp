#include "app/shop_logo.h"
#include "platform/error.h"
#include "platform/jpeg_codec.h"
#include <QBuffer>
#include <QFile>
#include <QImage>

namespace app {

namespace {

// The header's logo box is 30 × 15 mm: 800 × 400 pixels print it sharp at any printer's
// resolution worth having, and keep the catalogue file small.
constexpr int kMostWidth = 800;
constexpr int kMostHeight = 400;

} // namespace

QByteArray logoPicture(const QString& file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("无法读取图片文件“%1”：%2").arg(file, in.errorString()));
    const QByteArray bytes = in.readAll();
    QImage image = QImage::fromData(bytes);
    if (image.isNull()) {
        try {
            image = platform::decodeJpeg(bytes);
        } catch (const std::exception&) {
            image = QImage();
        }
    }
    if (image.isNull())
        throw platform::Error(QStringLiteral("“%1”不是可以读取的图片（PNG、JPEG、BMP 或 GIF）。").arg(file));
    if (image.width() > kMostWidth || image.height() > kMostHeight)
        image = image.scaled(kMostWidth, kMostHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        throw platform::Error(QStringLiteral("无法转换图片“%1”。").arg(file));
    return png;
}

} // namespace app
