// The picture commands over real JPEG files: paste, import, save, clear, copy and the
// enlarged view.
#include "catalogue_fixture.h"
#include "dbaware/db_image.h"
#include "dbaware/db_navigator.h"
#include "platform/file_operations.h"
#include "platform/widgets/clipboard.h"
#include <QAbstractButton>
#include <QBuffer>
#include <QFrame>

using namespace catalogue_testing;
using platform::DialogKind;

namespace {

QByteArray fileBytes(const QString& path)
{
    return QFileInfo::exists(path) ? platform::readWholeFile(path) : QByteArray();
}

// Whether JPEG data is baseline: its frame header is SOF0, not a progressive or extended one.
bool isBaseline(const QByteArray& jpeg)
{
    return jpeg.contains(QByteArray("\xFF\xC0", 2)) && !jpeg.contains(QByteArray("\xFF\xC2", 2));
}

QString bmpHex(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return QString::fromLatin1(bytes.toHex());
}

class ProductPicturesTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        openDdr5();
        clickRow(1); // 芝奇, which has no picture yet
    }
    void storeBitmap(int id, const QImage& image)
    {
        cat.run(QStringLiteral("update HW set HW_TP = x'%1' where HW_ID = %2").arg(bmpHex(image)).arg(id));
        w->ADOQueryHW->refresh();
    }
    QString storedPath(int id) const { return QStringLiteral(".\\PICS\\%1.jpg").arg(id); }
};

} // namespace

TEST_F(ProductPicturesTest, PasteWritesABaselineQuality90JpegEvenWithoutThePicsFolder)
{
    QDir(cat.folder.file(QStringLiteral("PICS"))).removeRecursively();
    const QImage screenshot = plainPicture(Qt::green, 320, 200);
    platform::putClipboardPicture(screenshot);

    w->menu.N8->trigger();
    const QByteArray written = fileBytes(picturePath(gskill));
    ASSERT_FALSE(written.isEmpty());
    EXPECT_TRUE(isBaseline(written));
    EXPECT_EQ(written, platform::encodeJpeg(screenshot, 90)); // through the codec, quality 90
    EXPECT_EQ(stored(gskill, "HW_TP_URL"), storedPath(gskill));
    EXPECT_TRUE(storedNull(gskill, "HW_TP"));
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    EXPECT_EQ(platform::clipboardPicture().convertToFormat(QImage::Format_RGB32), screenshot);

    // The frame shows it at the next click on the row.
    clickRow(1);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'g');
}

TEST_F(ProductPicturesTest, PasteSavesANewItemFirstAndFallsBackToTheStoredBitmap)
{
    // A new item gets its id by being saved, then its picture.
    w->record.DBNavigator1->button(dbaware::DBNavigator::Button::Insert)->click();
    ASSERT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Insert);
    platform::putClipboardPicture(plainPicture(Qt::red));
    w->menu.N8->trigger();
    const int added = cat.count(QStringLiteral("select max(HW_ID) as n from HW"));
    EXPECT_GT(added, adata);
    EXPECT_TRUE(platform::fileExists(picturePath(added)));
    EXPECT_EQ(stored(added, "HW_TP_URL"), storedPath(added));
    EXPECT_EQ(stored(added, "L4_ID"), QString::number(ddr5));

    // Nothing on the clipboard: the bitmap kept with the item is written instead, then dropped.
    goToItem(gskill);
    storeBitmap(gskill, plainPicture(Qt::blue, 40, 30));
    QGuiApplication::clipboard()->clear();
    w->menu.N8->trigger();
    EXPECT_EQ(colourOf(platform::readJpegFile(picturePath(gskill))), 'b');
    EXPECT_TRUE(storedNull(gskill, "HW_TP"));

    // Neither: no file, and the item waits in edit state.
    goToItem(kingston);
    platform::deleteFile(picturePath(kingston));
    QGuiApplication::clipboard()->clear();
    w->menu.N8->trigger();
    EXPECT_FALSE(platform::fileExists(picturePath(kingston)));
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Edit);
    EXPECT_TRUE(storedNull(kingston, "HW_TP_URL"));
}

TEST_F(ProductPicturesTest, ImportKeepsAJpegByteForByteConvertsOtherPicturesAndShowsThemAtOnce)
{
    testing_support::TempFolder source;
    const QString first = source.file(QStringLiteral("相机照片.jpg"));
    platform::writeFileAtomically(first, platform::encodeJpeg(plainPicture(Qt::red, 200, 150), 75));
    QDir(cat.folder.file(QStringLiteral("PICS"))).removeRecursively();

    dialogs.answers = {first};
    w->menu.N9->trigger();
    ASSERT_EQ(dialogs.of(DialogKind::OpenFile).size(), 1);
    EXPECT_EQ(fileBytes(picturePath(gskill)), fileBytes(first));
    EXPECT_EQ(stored(gskill, "HW_TP_URL"), storedPath(gskill));
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);

    // A second import of a picture of the same size replaces the file and the frame.
    const QString second = source.file(QStringLiteral("second.jpg"));
    platform::writeFileAtomically(second, platform::encodeJpeg(plainPicture(Qt::blue, 200, 150), 75));
    dialogs.answers = {second};
    w->menu.N9->trigger();
    EXPECT_EQ(fileBytes(picturePath(gskill)), fileBytes(second));
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'b');

    // Cancelled: nothing changes.
    w->menu.N9->trigger();
    EXPECT_EQ(fileBytes(picturePath(gskill)), fileBytes(second));

    // A PNG or WebP under any name becomes a JPEG, and is shown.
    for (const char* format : {"PNG", "WEBP"}) {
        const QString other = source.file(QStringLiteral("picture-%1.jpg").arg(QLatin1String(format)));
        ASSERT_TRUE(plainPicture(Qt::green).save(other, format)) << format;
        dialogs.answers = {other};
        w->menu.N9->trigger();
        EXPECT_TRUE(fileBytes(picturePath(gskill)).startsWith("\xFF\xD8\xFF")) << format;
        EXPECT_EQ(colourOf(platform::readJpegFile(picturePath(gskill))), 'g') << format;
        EXPECT_EQ(colourOf(w->record.Image1->picture()), 'g') << format;
        w->record.Image1->setPicture(plainPicture(Qt::blue));
    }

    // A file that is no picture is reported and records nothing.
    w->ADOQueryHW->setCurrentRow(0);
    const QString text = source.file(QStringLiteral("notes.jpg"));
    platform::writeFileAtomically(text, "no picture here");
    dialogs.seen.clear();
    dialogs.answers = {text};
    w->menu.N9->trigger();
    ASSERT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport)[0].text.contains("不是可以读取的图片文件"));
    EXPECT_TRUE(storedNull(kingston, "HW_TP_URL"));
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);

    // A file that cannot be read records nothing.
    dialogs.answers = {source.file(QStringLiteral("missing.jpg"))};
    w->menu.N9->trigger();
    EXPECT_TRUE(storedNull(kingston, "HW_TP_URL"));
}

TEST_F(ProductPicturesTest, SaveCopiesThePictureFileWhenThereIsOne)
{
    testing_support::TempFolder target;
    w->ADOQueryHW->setCurrentRow(0);
    const QString copy = target.file(QStringLiteral("金士顿.jpg"));
    dialogs.answers = {copy};
    w->menu.N12->trigger();
    const auto asked = dialogs.of(DialogKind::SaveFile);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(fileBytes(copy), fileBytes(picturePath(kingston)));

    // An item without a picture file saves nothing.
    w->ADOQueryHW->setCurrentRow(1);
    dialogs.answers = {target.file(QStringLiteral("none.jpg"))};
    w->menu.N12->trigger();
    EXPECT_FALSE(QFileInfo::exists(target.file(QStringLiteral("none.jpg"))));
}

TEST_F(ProductPicturesTest, ClearAndCopyActOnThePictureFile)
{
    // Through the submenu, as the operator reaches them.
    clickRow(0);
    ASSERT_EQ(colourOf(w->record.Image1->picture()), 'r');
    QGuiApplication::clipboard()->clear();
    w->menu.N11->trigger();
    EXPECT_EQ(colourOf(platform::clipboardPicture()), 'r');

    cat.run(QStringLiteral("update HW set HW_TP_URL = %1 where HW_ID = %2")
                .arg(db::statements::textLiteral(storedPath(kingston)))
                .arg(kingston));
    w->ADOQueryHW->refresh();
    QGuiApplication::clipboard()->clear();
    w->menu.N24->trigger();
    EXPECT_FALSE(platform::fileExists(picturePath(kingston)));
    EXPECT_TRUE(storedNull(kingston, "HW_TP_URL"));
    EXPECT_TRUE(w->record.Image1->picture().isNull());
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    // The picture went to the clipboard, so a paste brings it back.
    EXPECT_EQ(colourOf(platform::clipboardPicture()), 'r');
    w->menu.N8->trigger();
    EXPECT_TRUE(platform::fileExists(picturePath(kingston)));
    clickRow(0);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');

    // An item without a picture: copy leaves the clipboard alone, clear changes nothing.
    clickRow(1);
    platform::putClipboardText(QStringLiteral("留着"));
    w->menu.N11->trigger();
    w->menu.N24->trigger();
    EXPECT_EQ(platform::clipboardText(), "留着");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
}

TEST_F(ProductPicturesTest, ClickOnThePictureEnlargesItUntilClickOrEscape)
{
    clickRow(0);
    QTest::mouseClick(w->record.Image1, Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_TRUE(w->shell.pnl_bigimg->isVisible());
    EXPECT_EQ(w->shell.Image2->picture(), w->record.Image1->picture());
    QTest::mouseClick(w->shell.Image2, Qt::LeftButton, {}, QPoint(300, 200));
    EXPECT_FALSE(w->shell.pnl_bigimg->isVisible());

    QTest::mouseClick(w->record.Image1, Qt::LeftButton, {}, QPoint(60, 60));
    w->catalogue.DBGrid1->setFocus();
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Escape);
    EXPECT_FALSE(w->shell.pnl_bigimg->isVisible());
}
