// Product pictures kept in the catalogue: any bytes come back as stored (zero bytes, high
// bytes, a large picture), a second store replaces the first, and another connection sees
// them at once.
#include "db_fixture.h"
#include "db/item_pictures.h"

namespace {

class ItemPicturesTest : public CatalogueTest {};

QByteArray pictureBytes(int size, char seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) & 0xFF);
    bytes.replace(0, 3, "\xFF\xD8\xFF");
    return bytes;
}

} // namespace

TEST_F(ItemPicturesTest, StoredBytesComeBackUnchangedAndReplaceTheOldOnes)
{
    EXPECT_TRUE(db::loadItemPicture(connection, 7).isEmpty());
    EXPECT_FALSE(db::hasItemPicture(connection, 7));
    const QByteArray large = pictureBytes(3 * 1024 * 1024, 5);
    db::storeItemPicture(connection, 7, large);
    db::storeItemPicture(connection, 8, pictureBytes(100, 1));
    EXPECT_EQ(db::loadItemPicture(connection, 7), large);

    const QByteArray second = pictureBytes(2000, 9);
    db::storeItemPicture(connection, 7, second);
    auto other = openAnother();
    EXPECT_EQ(db::loadItemPicture(*other, 7), second);
    EXPECT_TRUE(db::hasItemPicture(*other, 8));

    db::removeItemPicture(*other, 7);
    db::removeItemPicture(*other, 99); // none: nothing happens
    EXPECT_FALSE(db::hasItemPicture(connection, 7));
    EXPECT_EQ(db::loadItemPicture(connection, 8), pictureBytes(100, 1));
    // Storing nothing is removing.
    db::storeItemPicture(connection, 8, QByteArray());
    EXPECT_FALSE(db::hasItemPicture(connection, 8));
}
