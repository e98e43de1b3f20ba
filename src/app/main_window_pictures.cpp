// Product pictures: the enlarged view and the five picture commands of the popup menu. A
// picture is a JPEG named after the item, in the PICS folder beside a catalogue file or in the
// catalogue itself on a server (ItemPictureStore); the item's record keeps its relative path. The hidden DBImage1 carries the bitmap column HW_TP, which the paste and
// clear commands leave empty; clear and copy act on the picture file.
#include "app/main_window.h"
#include "app/item_picture_store.h"
#include "app/picture_files.h"
#include "app/picture_frame.h"
#include "db/dataset.h"
#include "dbaware/db_image.h"
#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include "platform/jpeg_codec.h"
#include "platform/widgets/clipboard.h"
#include "platform/widgets/dialogs.h"
#include <QFrame>

namespace app {

namespace {

const QString kPathColumn = QStringLiteral("HW_TP_URL");
// The frame shows JPEG only, so the import offers JPEG files first.
const QString kOpenFilter = QStringLiteral("JPEG 图片 (*.jpg *.jpeg *.jpe *.jfif);;所有文件 (*)");
const QString kSaveFilter = QStringLiteral("JPEG 图片 (*.jpg);;所有文件 (*)");

void requireCurrentItem(const db::Dataset& items)
{
    // Editing an empty list would start a new item instead.
    if (items.active() && items.state() == db::Dataset::State::Browse && items.isEmpty())
        throw platform::Error(QStringLiteral("没有选中的产品"));
}

// A new item is saved first so that it has its id; the item is then in edit state.
int editItemForPicture(db::Dataset& items)
{
    requireCurrentItem(items);
    if (items.state() == db::Dataset::State::Insert)
        items.post();
    items.edit();
    return items.asInteger(QStringLiteral("HW_ID"));
}

} // namespace

void TFrm_main::Image1Click()
{
    shell.Image2->setPicture(record.Image1->picture());
    shell.pnl_bigimg->show();
    shell.pnl_bigimg->raise();
}

void TFrm_main::N8Click()
{
    platform::guarded([this] {
        db::Dataset& items = *ADOQueryHW;
        const int id = editItemForPicture(items);
        QImage picture = platform::clipboardPicture();
        if (picture.isNull())
            picture = record.DBImage1->picture(); // the bitmap kept with the item takes its place
        if (picture.isNull())
            throw platform::Error(QStringLiteral("剪贴板中没有图片"));
        ItemPictureStore(*ADOConnection1, dataFolder()).store(id, platform::encodeJpeg(picture, platform::defaultJpegQuality));
        items.setValue(kPathColumn, PictureFiles::storedPath(id));
        // The picture stays on the clipboard; the item keeps no bitmap of its own.
        platform::putClipboardPicture(picture);
        record.DBImage1->clearPicture();
        items.post();
    });
}

void TFrm_main::N9Click()
{
    platform::guarded([this] {
        const QString chosen = platform::openFileName(this, QStringLiteral("导入图片"), dataFolder(), kOpenFilter);
        if (chosen.isEmpty())
            return;
        db::Dataset& items = *ADOQueryHW;
        const int id = editItemForPicture(items);
        ItemPictureStore pictures(*ADOConnection1, dataFolder());
        // Only a picture actually stored gets its path recorded.
        if (!platform::reported(this, [&] { pictures.storeFile(id, chosen); })) {
            items.cancel();
            return;
        }
        items.setValue(kPathColumn, PictureFiles::storedPath(id));
        items.post();
        pictures.show(*record.Image1, id, true);
    });
}

void TFrm_main::N24Click()
{
    platform::guarded([this] {
        db::Dataset& items = *ADOQueryHW;
        requireCurrentItem(items);
        const int id = items.asInteger(QStringLiteral("HW_ID"));
        ItemPictureStore pictures(*ADOConnection1, dataFolder());
        const bool hasFile = pictures.has(id);
        if (!hasFile && !record.DBImage1->hasPicture())
            return;
        // The picture is the item's own; it moves to the clipboard, so a paste brings it
        // back. A bitmap kept in the record goes with it.
        const QImage picture = hasFile ? pictures.picture(id) : record.DBImage1->picture();
        items.edit();
        if (record.DBImage1->hasPicture())
            record.DBImage1->clearPicture();
        items.setValue(kPathColumn, QVariant());
        items.post();
        if (hasFile)
            pictures.remove(id);
        platform::putClipboardPicture(picture);
        record.Image1->setPicture(QImage());
    });
}

void TFrm_main::N11Click()
{
    platform::guarded([this] {
        // The item's picture; a bitmap kept in the record when it has none.
        const ItemPictureStore pictures(*ADOConnection1, dataFolder());
        const int id = ADOQueryHW->asInteger(QStringLiteral("HW_ID"));
        if (pictures.has(id))
            platform::putClipboardPicture(pictures.picture(id));
        else if (record.DBImage1->hasPicture())
            platform::putClipboardPicture(record.DBImage1->picture());
    });
}

void TFrm_main::N12Click()
{
    platform::guarded([this] {
        const QString chosen =
            platform::saveFileName(this, QStringLiteral("保存图片"), dataFolder(), kSaveFilter, QStringLiteral("jpg"));
        if (chosen.isEmpty())
            return;
        const QByteArray jpeg =
            ItemPictureStore(*ADOConnection1, dataFolder()).bytes(ADOQueryHW->asInteger(QStringLiteral("HW_ID")));
        if (jpeg.isEmpty())
            return;
        platform::AtomicFile file(chosen);
        file.write(jpeg);
        file.commit();
    });
}

} // namespace app
