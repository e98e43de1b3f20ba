#pragma once
#include <QByteArray>

namespace db {

class Connection;

// Product pictures kept in the catalogue itself (table PICTURE, one JPEG per item id), where
// every workstation of a server reads them. A catalogue file keeps its pictures in PICS
// beside it instead and leaves this table empty.

// The JPEG bytes of an item's picture; empty when the item has none.
QByteArray loadItemPicture(Connection& connection, int itemId);
// Whether the item has a picture, without reading its bytes.
bool hasItemPicture(Connection& connection, int itemId);
// Stores (or replaces) the item's picture in one transaction.
void storeItemPicture(Connection& connection, int itemId, const QByteArray& jpeg);
// Removes the item's picture; nothing happens when it has none.
void removeItemPicture(Connection& connection, int itemId);

} // namespace db
