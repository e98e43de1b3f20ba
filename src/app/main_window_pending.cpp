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

void TFrm_main::closeEvent(QCloseEvent* event)
{
    bool pending = false;
    for (db::Dataset* query : queries())
        pending = pending || query->editing();
    if (!pending) {
        event->accept();
        return;
    }
    switch (platform::askYesNoCancel(this, QStringLiteral("保存修改吗?"))) {
    case platform::Choice::Yes:
        // A post that fails is reported and keeps the window, and the text, where they are.
        if (platform::reported(this, [this] { postPendingEdits(); }))
            event->accept();
        else
            event->ignore();
        return;
    case platform::Choice::No:
        for (db::Dataset* query : queries())
            platform::guarded([query] { query->cancel(); });
        event->accept();
        return;
    case platform::Choice::Cancel:
        event->ignore();
        return;
    }
}

} // namespace app
