#include "app/picture_files.h"
#include "app/picture_frame.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/jpeg_codec.h"
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

namespace app {

namespace {

const QString kFolderName = QStringLiteral("PICS");

} // namespace

PictureFiles::PictureFiles(QString dataFolder) : dataFolder_(std::move(dataFolder)) {}

QString PictureFiles::storedPath(int itemId)
{
    return QStringLiteral(".\\PICS\\%1.jpg").arg(itemId);
}

QString PictureFiles::resolve(const QString& stored) const
{
    QString relative = stored;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(relative))
        return QDir::cleanPath(relative);
    return QDir::cleanPath(QDir(dataFolder_).filePath(relative));
}

QString PictureFiles::fileOf(int itemId) const
{
    return QDir(dataFolder_).filePath(kFolderName + QStringLiteral("/%1.jpg").arg(itemId));
}

void PictureFiles::ensureFolder() const
{
    if (!QDir(dataFolder_).mkpath(kFolderName))
        throw platform::Error(QStringLiteral("无法建立文件夹“%1”").arg(QDir(dataFolder_).filePath(kFolderName)));
}

bool showPictureFile(PictureFrame& frame, const QString& path, bool reread)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        frame.setPicture(QImage()); // never another item's picture
        return false;
    }
    const QString source = QStringLiteral("%1|%2|%3")
                               .arg(info.absoluteFilePath())
                               .arg(info.size())
                               .arg(info.lastModified().toMSecsSinceEpoch());
    if (!reread && frame.source() == source)
        return true;
    try {
        frame.setPicture(platform::readJpegFile(path), source);
    } catch (const std::exception&) {
        frame.setPicture(QImage()); // not a readable JPEG: no picture rather than another item's
        return false;
    }
    return true;
}

QByteArray pictureFileAsJpeg(const QString& chosen)
{
    QFile source(chosen);
    if (!source.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("无法读取图片文件“%1”：%2").arg(chosen, source.errorString()));
    const QByteArray bytes = source.readAll();
    // A JPEG file is kept byte for byte; any other picture becomes one, as the frame shows JPEG only.
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return bytes;
    const QImage picture = QImage::fromData(bytes);
    if (picture.isNull())
        throw platform::Error(QStringLiteral("“%1”不是可以读取的图片文件。").arg(chosen));
    return platform::encodeJpeg(picture, platform::defaultJpegQuality);
}

void storePictureFile(const QString& chosen, const QString& target)
{
    const QByteArray jpeg = pictureFileAsJpeg(chosen);
    platform::AtomicFile file(target);
    file.write(jpeg);
    file.commit();
}

QImage samplePicture()
{
    QFile file(QStringLiteral(":/app/sample.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    try {
        return platform::decodeJpeg(file.readAll());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace app
