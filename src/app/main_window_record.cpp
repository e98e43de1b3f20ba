// The record panel: the category a new item is filed under, the date a price change stamps, the popup menu's text-editing
// commands (paste, copy, cut, clear) that serve its data edits, and the command that opens
// the item's web address. Its pictures: main_window_pictures.cpp.
#include "app/main_window.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_memo.h"
#include "platform/widgets/dialogs.h"
#include "platform/widgets/shell_open.h"
#include <QDateTime>

namespace app {

namespace {

// The four commands act on the focused data edit or memo only; grids, lists, combo boxes,
// the tree and buttons are left alone.
template <typename EditAction, typename MemoAction>
void onFocusedDataEdit(QWidget* focused, EditAction onEdit, MemoAction onMemo)
{
    if (auto* edit = qobject_cast<dbaware::DBEdit*>(focused))
        onEdit(*edit);
    if (auto* memo = qobject_cast<dbaware::DBMemo*>(focused))
        onMemo(*memo);
}

} // namespace

void TFrm_main::ADOQueryHWAfterInsert()
{
    db::Dataset& items = *ADOQueryHW;
    try {
        requireItemCategory();
    } catch (...) {
        items.cancel(); // refused: no new row stays pending
        throw;
    }
    // Shown at once in the disabled "上级" edit.
    items.setValue(record.DBEdit2->fieldName(), categoryValues.l4Id);
}

void TFrm_main::rereadItems()
{
    // What the grid offers is what the catalogue holds: read again, on the same row. An edit
    // that cannot be saved keeps the grid as it is (the operator sees why when posting it).
    platform::guarded([this] {
        if (!ADOQueryHW->active())
            return;
        ADOQueryHW->postPending();
        ADOQueryHW->refresh();
    });
    seenDataVersion_ = ADOConnection1->dataVersion();
}

void TFrm_main::ADOQueryHWBeforePost()
{
    // 更新日期 says when the price last changed: a post that changes the price stamps it with
    // the current time, unless the operator typed a date in the same edit.
    db::Dataset& items = *ADOQueryHW;
    const QString price = QStringLiteral("HW_JG"), date = QStringLiteral("HW_RQ");
    if (items.fieldIndex(price) < 0 || items.fieldIndex(date) < 0)
        return;
    const QVariant before = items.storedValue(price), after = items.value(price);
    const bool priceChanged =
        before.isNull() != after.isNull() || (!after.isNull() && before.toDouble() != after.toDouble());
    const bool dateTyped = items.value(date) != items.storedValue(date);
    if (priceChanged && !dateTyped)
        items.setValue(date, QDateTime::currentDateTime());
    if (items.state() == db::Dataset::State::Insert)
        requireItemCategory(); // the category may have gone while the item was typed
}

// Paste and cut change the text as typing does, so the record goes into edit state.
void TFrm_main::N13Click()
{
    onFocusedDataEdit(focusWidget(), [](dbaware::DBEdit& e) { e.paste(); }, [](dbaware::DBMemo& m) { m.paste(); });
}

void TFrm_main::N22Click()
{
    onFocusedDataEdit(focusWidget(), [](dbaware::DBEdit& e) { e.copy(); }, [](dbaware::DBMemo& m) { m.copy(); });
}

void TFrm_main::N10Click()
{
    onFocusedDataEdit(focusWidget(), [](dbaware::DBEdit& e) { e.cut(); }, [](dbaware::DBMemo& m) { m.cut(); });
}

// Empties the whole text without starting an edit; the field takes it when the focus leaves.
void TFrm_main::N26Click()
{
    onFocusedDataEdit(focusWidget(), [](dbaware::DBEdit& e) { e.clearText(); },
                      [](dbaware::DBMemo& m) { m.clearText(); });
}

void TFrm_main::N16Click()
{
    platform::guarded([this] {
        const QString address = ADOQueryHW->asString(QStringLiteral("HW_URL"));
        if (address.trimmed().isEmpty())
            return;
        // The text comes from the price list: it may open a page or a document, never run a program.
        if (!platform::openCheckedAddress(address, dataFolder()))
            platform::showMessage(this, QStringLiteral("无法打开这个网址：%1").arg(address));
    });
}

} // namespace app
