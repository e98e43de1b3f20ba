#include "app/picture_files.h"
#include "app/picture_frame.h"
#include "platform/error.h"
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
        throw platform::Error(QStringLiteral("Cannot create folder \"%1\"").arg(QDir(dataFolder_).filePath(kFolderName)));
}

bool showPictureFile(PictureFrame& frame, const QString& path, bool reread)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    const QString source = QStringLiteral("%1|%2|%3")
                               .arg(info.absoluteFilePath())
                               .arg(info.size())
                               .arg(info.lastModified().toMSecsSinceEpoch());
    if (!reread && frame.source() == source)
        return true;
    try {
        frame.setPicture(platform::readJpegFile(path), source);
    } catch (const std::exception&) {
        return false; // not a readable JPEG: the previous picture stays
    }
    return true;
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
