#pragma once
#include "db/shop_details.h"
#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace app {

// "店铺信息": the shop's name, address, phone, note and logo, as every sheet prints them.
// The logo is chosen from a picture file and shown; OK answers Accepted, the caller saves.
class ShopDetailsDialog : public QDialog {
    Q_OBJECT
public:
    ShopDetailsDialog(QWidget* parent, const db::ShopDetails& details);

    db::ShopDetails details() const;

private:
    void chooseLogo();
    void clearLogo();
    void showLogo();

    QLineEdit* name_;
    QLineEdit* address_;
    QLineEdit* phone_;
    QPlainTextEdit* note_;
    QLabel* logoView_;
    QByteArray logo_;
};

} // namespace app
