// Edits the operator has typed but not yet posted. The datasets post them before they are
// closed or re-run; the window posts them, on request, before it closes.
#include "app/main_window.h"
#include "db/dataset.h"
#include "platform/widgets/dialogs.h"
#include <QCloseEvent>

namespace app {

QList<db::Dataset*> TFrm_main::queries() const
{
    return {ADOQueryL1, ADOQueryL2, ADOQueryL3, ADOQueryL4, ADOQueryL1_L4, ADOQueryHW, ADOQueryDIY, ADOQuery_LIST};
}

void TFrm_main::postPendingEdits()
{
    for (db::Dataset* query : queries())
        query->postPending();
}

bool TFrm_main::anyEditing() const
{
    for (db::Dataset* query : queries())
        if (query->editing())
            return true;
    return false;
}

bool TFrm_main::settlePendingEdits()
{
    if (!anyEditing())
        return true;
    switch (platform::askYesNoCancel(this, QStringLiteral("保存修改吗?"))) {
    case platform::Choice::Yes:
        // A post that fails is reported and keeps the window, and the text, where they are.
        return platform::reported(this, [this] { postPendingEdits(); });
    case platform::Choice::No:
        for (db::Dataset* query : queries())
            platform::guarded([query] { query->cancel(); });
        return true;
    case platform::Choice::Cancel:
        break;
    }
    return false;
}

void TFrm_main::closeEvent(QCloseEvent* event)
{
    if (settlePendingEdits())
        event->accept();
    else
        event->ignore();
}

} // namespace app
