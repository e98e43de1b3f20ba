#include "app/item_picture_store.h"
#include "app/picture_files.h"
#include "app/picture_frame.h"
#include "db/connection.h"
#include "db/item_pictures.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/jpeg_codec.h"
#include <QCryptographicHash>
#include <QFile>
#include <QImage>

namespace app {

ItemPictureStore::ItemPictureStore(db::Connection& connection, QString dataFolder)
    : connection_(connection), dataFolder_(std::move(dataFolder)), inCatalogue_(connection.isServer())
{
}

bool ItemPictureStore::has(int itemId) const
{
    if (inCatalogue_)
        return db::hasItemPicture(connection_, itemId);
    return platform::fileExists(PictureFiles(dataFolder_).fileOf(itemId));
}

QByteArray ItemPictureStore::bytes(int itemId) const
{
    if (inCatalogue_)
        return db::loadItemPicture(connection_, itemId);
    QFile file(PictureFiles(dataFolder_).fileOf(itemId));
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("无法读取图片文件“%1”：%2").arg(file.fileName(), file.errorString()));
    return file.readAll();
}

QImage ItemPictureStore::picture(int itemId) const
{
    const QByteArray jpeg = bytes(itemId);
    return jpeg.isEmpty() ? QImage() : platform::decodeJpeg(jpeg);
}

void ItemPictureStore::store(int itemId, const QByteArray& jpeg)
{
    if (inCatalogue_) {
        db::storeItemPicture(connection_, itemId, jpeg);
        return;
    }
    const PictureFiles files(dataFolder_);
    files.ensureFolder();
    platform::AtomicFile file(files.fileOf(itemId));
    file.write(jpeg);
    file.commit();
}

void ItemPictureStore::storeFile(int itemId, const QString& chosen)
{
    if (!inCatalogue_) {
        const PictureFiles files(dataFolder_);
        files.ensureFolder();
        storePictureFile(chosen, files.fileOf(itemId));
        return;
    }
    store(itemId, pictureFileAsJpeg(chosen));
}

void ItemPictureStore::remove(int itemId)
{
    if (inCatalogue_) {
        db::removeItemPicture(connection_, itemId);
        return;
    }
    const QString file = PictureFiles(dataFolder_).fileOf(itemId);
    if (platform::fileExists(file))
        platform::deleteFile(file);
}

bool ItemPictureStore::show(PictureFrame& frame, int itemId, bool reread) const
{
    if (!inCatalogue_)
        return showPictureFile(frame, PictureFiles(dataFolder_).fileOf(itemId), reread);
    try {
        const QByteArray jpeg = bytes(itemId);
        if (jpeg.isEmpty()) {
            frame.setPicture(QImage()); // never another item's picture
            return false;
        }
        // The same bytes need not be decoded again.
        const QString source = QStringLiteral("picture|%1|%2").arg(itemId).arg(
            QString::fromLatin1(QCryptographicHash::hash(jpeg, QCryptographicHash::Sha1).toHex()));
        if (!reread && frame.source() == source)
            return true;
        frame.setPicture(platform::decodeJpeg(jpeg), source);
        return true;
    } catch (const std::exception&) {
        frame.setPicture(QImage()); // unreadable, or the server away: no picture rather than another's
        return false;
    }
}

} // namespace app
