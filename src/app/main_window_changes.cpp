// Following the other workstations: the catalogue's change count is asked every half second
// (and when the window is activated); after another workstation's commit, or another program's
// on the file, the grids the operator sees are read again on the rows they showed, and the
// tree when the categories themselves changed. Never under the operator's hands: not while an
// edit is pending, a dialog or a menu is open.
#include "app/main_window.h"
#include "db/category_levels.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_grid.h"
#include "platform/widgets/dialogs.h"
#include <QApplication>
#include <QTreeWidget>
#include <array>
#include <memory>

namespace app {

namespace {

// A node's names from level 1 down.
QStringList namesOf(const QTreeWidgetItem* node)
{
    QStringList names;
    for (; node; node = node->parent())
        names.prepend(node->text(0));
    return names;
}

QTreeWidgetItem* nodeNamed(QTreeWidget& tree, const QStringList& names)
{
    QTreeWidgetItem* at = nullptr;
    for (const QString& name : names) {
        const int count = at ? at->childCount() : tree.topLevelItemCount();
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < count && !next; ++i) {
            QTreeWidgetItem* candidate = at ? at->child(i) : tree.topLevelItem(i);
            if (candidate->text(0) == name)
                next = candidate;
        }
        if (!next)
            return nullptr;
        at = next;
    }
    return at;
}

} // namespace

QByteArray TFrm_main::categoryFingerprint()
{
    // Read as the tree is, so the digest is the one the last refresh kept.
    std::array<std::unique_ptr<db::Dataset>, 4> rows;
    for (auto& level : rows)
        level = std::make_unique<db::Dataset>(QStringLiteral("categoryFingerprint"), ADOConnection1.get());
    return db::CategoryLevels({rows[0].get(), rows[1].get(), rows[2].get(), rows[3].get()}).fingerprint();
}

void TFrm_main::rereadTreeKeepingPlace()
{
    QList<QStringList> open;
    for (QTreeWidgetItemIterator it(tree.tv1); *it; ++it)
        if ((*it)->isExpanded())
            open << namesOf(*it);
    const QStringList clicked = namesOf(lastClickedNode());
    const bool recordShown = record.Panel_HW->isVisible();
    const QVariant item = ADOQueryHW->active() && !ADOQueryHW->isEmpty() ? ADOQueryHW->value(QStringLiteral("HW_ID"))
                                                                         : QVariant();
    btn_refreshClick();
    for (const QStringList& names : open)
        if (QTreeWidgetItem* node = nodeNamed(*tree.tv1, names))
            node->setExpanded(true);
    QTreeWidgetItem* node = clicked.isEmpty() ? nullptr : nodeNamed(*tree.tv1, clicked);
    if (!node)
        return; // the category clicked is gone: the tree starts afresh, as after a refresh
    tree.tv1->setCurrentItem(node);
    clickCategory();
    record.Panel_HW->setVisible(recordShown && record.Panel_HW->isVisible());
    // Back on the item shown before, when the category still lists it.
    if (item.isValid())
        for (int row = 0; row < ADOQueryHW->recordCount(); ++row)
            if (ADOQueryHW->valueAt(row, ADOQueryHW->fieldIndex(QStringLiteral("HW_ID"))) == item) {
                ADOQueryHW->setCurrentRow(row);
                break;
            }
}

void TFrm_main::followOtherWorkstations()
{
    if (!ADOConnection1->connected() || anyEditing() || QApplication::activeModalWidget()
        || QApplication::activePopupWidget())
        return;
    platform::guarded([this] {
        const qint64 version = ADOConnection1->dataVersion();
        if (version == seenDataVersion_)
            return;
        seenDataVersion_ = version;
        const QByteArray categories = categoryFingerprint();
        if (!seenCategories_.isEmpty() && categories != seenCategories_ && tree.tv1->topLevelItemCount() > 0)
            rereadTreeKeepingPlace();
        seenCategories_ = categories;
        if (ADOQueryL1_L4->active())
            ADOQueryL1_L4->refresh();
        // Lines the operator has marked for removal stay marked: they are read again later.
        const bool linesLater = ADOQueryDIY->active() && quotation.DBGrid3->markedRows().size() > 1;
        if (ADOQueryDIY->active() && !linesLater) {
            ADOQueryDIY->refresh();
            showBuildCheck();
        }
        rereadItems();
        if (linesLater)
            seenDataVersion_ = -1;
    });
}

} // namespace app
