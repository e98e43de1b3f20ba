// Catalogue search: the search box above the item grid (Ctrl+F), and a chosen hit shown as a
// click on its row in its category shows it.
#include "app/catalogue_search_box.h"
#include "app/main_window.h"
#include "db/catalogue_index.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_grid.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QFrame>
#include <QLineEdit>
#include <QShortcut>
#include <QTreeWidget>

namespace app {

namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The rank-th child (or top-level node) with that name.
QTreeWidgetItem* childNamed(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& name, int rank)
{
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int k = 0; k < count; ++k) {
        QTreeWidgetItem* child = parent ? parent->child(k) : tree->topLevelItem(k);
        if (sameName(child->text(0), name) && rank-- == 0)
            return child;
    }
    return nullptr;
}

} // namespace

void TFrm_main::createSearchBox()
{
    catalogueIndex = std::make_unique<db::CatalogueIndex>(*ADOConnection1);
    // The box takes the top of Panel2, the grid the rest; the hits drop over the panels below.
    const QRect box(2, 2, catalogue.Panel2->width() - 6, 20);
    const QRect list(catalogue.Panel2->x() + 2, catalogue.Panel2->y() + 24, catalogue.Panel2->width() - 4, 300);
    catalogue.searchBox = new CatalogueSearchBox(catalogue.Panel2, box, this, list,
                                       [this](const QString& typed) { return catalogueIndex->search(typed); });
    connect(catalogue.searchBox, &CatalogueSearchBox::hitChosen, this, &TFrm_main::showSearchHit);
    auto* find = new QShortcut(QKeySequence::Find, this);
    find->setObjectName(QStringLiteral("findShortcut"));
    connect(find, &QShortcut::activated, this, [this] {
        catalogue.searchBox->edit()->setFocus(Qt::ShortcutFocusReason);
        catalogue.searchBox->edit()->selectAll();
    });
}

QTreeWidgetItem* TFrm_main::treeNodeOfCategory(int l4Id) const
{
    const auto path = catalogueIndex->categories().pathOf(l4Id);
    if (!path)
        return nullptr;
    QTreeWidgetItem* node = nullptr;
    for (const auto* category : *path) {
        node = childNamed(tree.tv1, node, category->name, category->rank);
        if (!node)
            return nullptr;
    }
    return node;
}

void TFrm_main::showSearchHit(const db::SearchHit& hit)
{
    platform::reported(this, [&] {
        QTreeWidgetItem* node = treeNodeOfCategory(hit.l4Id);
        if (!node) {
            // A category added since the tree was built: build it again.
            btn_refreshClick();
            node = treeNodeOfCategory(hit.l4Id);
        }
        if (!node)
            throw platform::Error(QStringLiteral("找不到“%1”所在的分类。请刷新左侧分类列表后再试。").arg(hit.name));
        tree.tv1->setCurrentItem(node);
        tree.tv1->scrollToItem(node);
        i();
        db::Dataset& items = *ADOQueryHW;
        const int idField = items.fieldIndex(QStringLiteral("HW_ID"));
        for (int row = 0; items.active() && row < items.recordCount(); ++row) {
            if (items.valueAt(row, idField).toInt() == hit.itemId) {
                items.setCurrentRow(row);
                DBGrid1CellClick(1);
                catalogue.DBGrid1->setFocus(Qt::OtherFocusReason);
                return;
            }
        }
        throw platform::Error(QStringLiteral("“%1”已不在数据库中。").arg(hit.name));
    });
}

} // namespace app
