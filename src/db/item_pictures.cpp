#include "db/item_pictures.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/transaction.h"

namespace db {

QByteArray loadItemPicture(Connection& connection, int itemId)
{
    detail::Statement row(connection.handle(), "SELECT PIC_DATA FROM PICTURE WHERE HW_ID = ?");
    row.bind(1, qint64(itemId));
    return row.step() ? row.blob(0) : QByteArray();
}

bool hasItemPicture(Connection& connection, int itemId)
{
    detail::Statement row(connection.handle(), "SELECT 1 FROM PICTURE WHERE HW_ID = ? AND PIC_DATA IS NOT NULL");
    row.bind(1, qint64(itemId));
    return row.step();
}

void storeItemPicture(Connection& connection, int itemId, const QByteArray& jpeg)
{
    if (jpeg.isEmpty()) {
        removeItemPicture(connection, itemId);
        return;
    }
    // Replaced as a whole: the old row goes and the new one takes its place, so another
    // workstation reads either picture, never a mixture or none.
    Transaction transaction(connection);
    detail::Statement drop(connection.handle(), "DELETE FROM PICTURE WHERE HW_ID = ?");
    drop.bind(1, qint64(itemId));
    drop.run();
    detail::Statement save(connection.handle(), "INSERT INTO PICTURE (HW_ID, PIC_DATA) VALUES (?, ?)");
    save.bind(1, qint64(itemId));
    save.bindBlob(2, jpeg);
    save.run();
    transaction.commit();
}

void removeItemPicture(Connection& connection, int itemId)
{
    Transaction transaction(connection);
    detail::Statement drop(connection.handle(), "DELETE FROM PICTURE WHERE HW_ID = ?");
    drop.bind(1, qint64(itemId));
    drop.run();
    transaction.commit();
}

} // namespace db
