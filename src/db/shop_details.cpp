#include "db/shop_details.h"
#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/transaction.h"

namespace db {

ShopDetails loadShopDetails(Connection& connection)
{
    detail::Statement row(connection.handle(),
                          "SELECT SHOP_NM, SHOP_ADDR, SHOP_TEL, SHOP_NOTE, SHOP_LOGO FROM SHOP WHERE SHOP_ID = 1");
    ShopDetails details;
    if (!row.step())
        return details;
    details.name = row.text(0);
    details.address = row.text(1);
    details.phone = row.text(2);
    details.note = row.text(3);
    details.logo = row.blob(4);
    return details;
}

void saveShopDetails(Connection& connection, const ShopDetails& details)
{
    Transaction transaction(connection);
    // One row: the old one goes and the new one takes its place, in one transaction.
    detail::Statement(connection.handle(), "DELETE FROM SHOP WHERE SHOP_ID = 1").run();
    detail::Statement save(connection.handle(),
                           "INSERT INTO SHOP (SHOP_ID, SHOP_NM, SHOP_ADDR, SHOP_TEL, SHOP_NOTE, SHOP_LOGO) "
                           "VALUES (1, ?, ?, ?, ?, ?)");
    save.bind(1, detail::notNull(details.name));
    save.bind(2, detail::notNull(details.address));
    save.bind(3, detail::notNull(details.phone));
    save.bind(4, detail::notNull(details.note));
    if (details.logo.isEmpty())
        save.bindNull(5);
    else
        save.bindBlob(5, details.logo);
    save.run();
    transaction.commit();
}

} // namespace db
