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

TEST_F(ProductPicturesTest, ImportCopiesTheFileByteForByteAndShowsItAtOnce)
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

    // A file that is not JPEG is stored as it is, and the frame keeps its picture.
    const QString png = source.file(QStringLiteral("picture.png"));
    ASSERT_TRUE(plainPicture(Qt::green).save(png, "PNG"));
    dialogs.answers = {png};
    w->menu.N9->trigger();
    EXPECT_EQ(fileBytes(picturePath(gskill)), fileBytes(png));
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'b');

    // A file that cannot be read records nothing.
    w->ADOQueryHW->setCurrentRow(0);
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

TEST_F(ProductPicturesTest, ClearAndCopyActOnTheStoredBitmapOnly)
{
    w->ADOQueryHW->setCurrentRow(0);
    storeBitmap(kingston, plainPicture(Qt::green, 30, 20));
    ASSERT_TRUE(w->record.DBImage1->hasPicture());

    QGuiApplication::clipboard()->clear();
    w->menu.N11->trigger();
    EXPECT_EQ(colourOf(platform::clipboardPicture()), 'g');
    EXPECT_FALSE(storedNull(kingston, "HW_TP"));

    QGuiApplication::clipboard()->clear();
    w->menu.N24->trigger();
    EXPECT_TRUE(storedNull(kingston, "HW_TP"));
    EXPECT_EQ(colourOf(platform::clipboardPicture()), 'g');
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
    // The picture file stays and is still shown at the next click.
    EXPECT_TRUE(platform::fileExists(picturePath(kingston)));
    clickRow(0);
    EXPECT_EQ(colourOf(w->record.Image1->picture()), 'r');

    // Without a stored bitmap, copy leaves the clipboard alone.
    platform::putClipboardText(QStringLiteral("留着"));
    w->menu.N11->trigger();
    EXPECT_EQ(platform::clipboardText(), "留着");
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
