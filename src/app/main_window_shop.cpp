// "店铺信息...": the shop's name, address, phone, note and logo, kept in the catalogue and
// printed on every quotation sheet.
#include "app/main_window.h"
#include "app/shop_details_dialog.h"
#include "db/shop_details.h"
#include "platform/widgets/dialogs.h"

namespace app {

void TFrm_main::shopDetailsClick()
{
    // Not guarded: a catalogue that cannot be read or written says so.
    platform::reported(this, [this] {
        ShopDetailsDialog dialog(this, db::loadShopDetails(*ADOConnection1));
        if (dialog.exec() == QDialog::Accepted)
            db::saveShopDetails(*ADOConnection1, dialog.details());
    });
}

} // namespace app
