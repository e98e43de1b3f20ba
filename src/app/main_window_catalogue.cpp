// The catalogue panel: the hardware selection picked in the item grid, the picture that
// follows the grid's row, and the commands that start a quotation and add the selection to
// it (the quotation's side of them: main_window_quotations.cpp).
#include "app/main_window.h"
#include "app/item_picture_store.h"
#include "db/dataset.h"
#include "dbaware/db_edit.h"
#include "platform/widgets/dialogs.h"
#include <QLabel>

namespace app {

void TFrm_main::DBGrid1CellClick(int)
{
    pickHardwareRow();
}

bool TFrm_main::pickHardwareRow()
{
    return platform::guarded([this] {
        db::Dataset& items = *ADOQueryHW;
        hardwareSelection.itemId = items.asInteger(QStringLiteral("HW_ID"));
        hardwareSelection.itemName = items.asString(QStringLiteral("HW_MC"));
        // An item without parameters has empty parameters: it can still be quoted.
        hardwareSelection.parameters = items.value(QStringLiteral("HW_CS")).toString();
        // An item without a readable picture shows none; the click goes on, so the label
        // never names another item than the selection.
        ItemPictureStore(*ADOConnection1, dataFolder()).show(*record.Image1, hardwareSelection.itemId);
        catalogue.Lbl_HW->setText(hardwareSelection.itemName);
    });
}

void TFrm_main::btn_create0Click()
{
    platform::guarded([this] { createQuotation(); });
}

void TFrm_main::btn_add0Click()
{
    platform::guarded([this] { addLine(); });
}

void TFrm_main::DBGrid1DblClick()
{
    // Picks the row again, as the cell click does, then adds it to the quotation; a row that
    // cannot be read adds nothing.
    if (pickHardwareRow())
        btn_add0Click();
}

void TFrm_main::DBGrid1KeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Up && key != Qt::Key_Down)
        return;
    // Only the picture follows the row: the selection stays with the last clicked item.
    platform::guarded([this] {
        const int id = ADOQueryHW->asInteger(QStringLiteral("HW_ID"));
        ItemPictureStore(*ADOConnection1, dataFolder()).show(*record.Image1, id);
    });
}

void TFrm_main::DBGrid1KeyUp(int key, Qt::KeyboardModifiers shift)
{
    // Key down shows the row left, key up the row arrived at.
    DBGrid1KeyDown(key, shift);
}

} // namespace app
