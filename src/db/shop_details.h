#pragma once
#include <QByteArray>
#include <QString>

namespace db {

class Connection;

// The shop's own details, printed on every quotation sheet; kept in the catalogue file so
// that a copy of it carries them.
struct ShopDetails {
    QString name;
    QString address;
    QString phone;
    QString note;    // terms: validity, warranty, payment
    QByteArray logo; // the picture file's bytes (PNG or JPEG), empty for none

    bool isEmpty() const { return name.isEmpty() && address.isEmpty() && phone.isEmpty() && note.isEmpty() && logo.isEmpty(); }
    bool operator==(const ShopDetails&) const = default;
};

// Empty details when none were ever set.
ShopDetails loadShopDetails(Connection& connection);
void saveShopDetails(Connection& connection, const ShopDetails& details);

} // namespace db
