// Category tree and category editing: the refresh that rebuilds the tree, the tree click that
// loads what lies under a category, the category grid's new-row and delete events, and the
// popup command "◇ 添加记录".
//
// A node holds only its name. A click finds the node's category again from the names of the
// node and its ancestors (its path), so a click anywhere in the tree resolves the category
// the operator sees, and a node whose category no longer exists resolves to nothing: inserts
// are then refused instead of being filed under a category clicked before.
#include "app/category_path.h"
#include "app/category_tree_images.h"
#include "app/main_window.h"
#include "db/backup.h"
#include "db/catalogue_categories.h"
#include "db/category_levels.h"
#include "db/category_subtree.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "dbaware/db_navigator.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTreeWidget>

namespace app {

namespace {

const QString kPromptTail = QStringLiteral("添加完成后,您可以使用右键中的 [刷新数据列表] 来更新左侧分类!:");
const QString kDefaultName = QStringLiteral("默认分类");

QTreeWidgetItem* addNode(QTreeWidgetItem* node, int level)
{
    setNodeImages(node, level, kSelectedNodeImage);
    return node;
}

int depthOf(const QTreeWidgetItem* node)
{
    int level = 0;
    for (const QTreeWidgetItem* at = node; at; at = at->parent())
        ++level;
    return level;
}

void refillLookupLists(QListWidget* ids, QListWidget* names, db::Dataset& rows, const QString& idColumn,
                       const QString& nameColumn)
{
    // Read in place: walking the rows would drag the bound grid and edits along row by row.
    const int idField = rows.fieldIndex(idColumn);
    const int nameField = rows.fieldIndex(nameColumn);
    QStringList idTexts, nameTexts;
    for (int r = 0; r < rows.recordCount(); ++r) {
        const QVariant id = rows.valueAt(r, idField);
        const QVariant name = rows.valueAt(r, nameField);
        if (idField < 0 || nameField < 0 || id.isNull() || name.isNull()) {
            // The data layer's own strict conversion names the failure.
            rows.setCurrentRow(r);
            rows.asInteger(idColumn);
            rows.asString(nameColumn);
        }
        idTexts << QString::number(id.toInt());
        nameTexts << name.toString();
    }
    ids->clear();
    names->clear();
    ids->addItems(idTexts);
    names->addItems(nameTexts);
}

// A selected node opens; the branch that held the selection before closes, up to the
// ancestor it shares with the new one.
void followSelection(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    for (QTreeWidgetItem* at = previous; at; at = at->parent()) {
        bool sharedAncestor = false;
        for (QTreeWidgetItem* up = current; up && !sharedAncestor; up = up->parent())
            sharedAncestor = up == at;
        if (sharedAncestor)
            break;
        at->setExpanded(false);
    }
    if (current)
        current->setExpanded(true);
}

} // namespace

void TFrm_main::wireCategoryTree()
{
    connect(tree.tv1, &QTreeWidget::currentItemChanged, this, [](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
        followSelection(current, previous);
    });
    ADOQueryL1_L4->beforeDelete = [this](db::Dataset& rows) { deleteCategoryWithContents(rows); };
}

QTreeWidgetItem* TFrm_main::lastClickedNode() const
{
    return lastClickedNode_.isValid() ? tree.tv1->itemFromIndex(lastClickedNode_) : nullptr;
}

void TFrm_main::requireResolvedCategory() const
{
    if (!categoryResolved_ || !lastClickedNode())
        throw platform::Error(QStringLiteral("无法确定所选的分类（它可能已被删除或改名）。"
                                             "请刷新左侧分类列表，再点击要添加到的分类。"));
}

void TFrm_main::requireItemCategory() const
{
    // A level-4 click that could not find its category clears the level-4 id.
    if (categoryValues.l4Id == 0)
        throw platform::Error(QStringLiteral("无法确定新产品所属的分类（它可能已被删除或改名）。"
                                             "请刷新左侧分类列表，再点击要添加到的分类。"));
    // Deleted since the click (here or by another program): an item filed under it would
    // vanish from the tree, the search and the price list.
    if (!db::CatalogueCategories::load(ADOConnection1->handle()).find(4, categoryValues.l4Id))
        throw platform::Error(QStringLiteral("分类“%1”已不存在，新产品无法放入。请刷新左侧分类列表，再点击要添加到的分类。")
                                  .arg(categoryValues.l4Name));
}

// ---- refresh ----

void TFrm_main::btn_refreshClick()
{
    platform::guarded([this] {
        if (!ADOConnection1->connected()) {
            if (damagedCatalogue_)
                throw platform::Abort(); // never shown half read; a restore opens it again
            ADOConnection1->open();
        }
        // A category being edited is saved before the grid is re-run; if it cannot be, the
        // refresh stops here and the operator's text stays in the grid.
        ADOQueryL1_L4->postPending();
        lastClickedNode_ = QPersistentModelIndex();
        categoryResolved_ = false;
        tree.tv1->clear();
        tree.Panel_L1_L4->show();
        record.Panel_HW->hide();
        db::openStatement(*ADOQueryL1_L4, db::statements::allL1());
        tree.L_A->clear();
        tree.L_B->clear();

        struct CloseTreeQueries {
            TFrm_main* w;
            ~CloseTreeQueries()
            {
                for (db::Dataset* q : {w->ADOQueryL1, w->ADOQueryL2, w->ADOQueryL3, w->ADOQueryL4})
                    q->close();
            }
        } closeAfterwards{this};

        // Each level in one statement; the nodes are then hung under their parents in memory.
        const db::CategoryLevels levels({ADOQueryL1, ADOQueryL2, ADOQueryL3, ADOQueryL4});
        const auto addChildren = [&](auto& self, QTreeWidgetItem* parent, int level, qint64 parentId) -> void {
            for (int row : levels.childRows(level, parentId)) {
                const QString name = levels.name(level, row);
                QTreeWidgetItem* node = parent ? new QTreeWidgetItem(parent, QStringList{name})
                                               : new QTreeWidgetItem(tree.tv1, QStringList{name});
                addNode(node, level);
                if (level == 1) {
                    tree.L_A->addItem(QString::number(levels.id(1, row)));
                    tree.L_B->addItem(name);
                }
                if (level < 4)
                    self(self, node, level + 1, levels.id(level, row));
            }
        };
        addChildren(addChildren, nullptr, 1, 0);
        // What the tree now shows, for telling another workstation's category change.
        seenCategories_ = levels.fingerprint();
    });
}

// ---- tree click ----

bool TFrm_main::treeMouseEvent(QEvent* event)
{
    // Selecting a node closes the branch selected before, which moves the rows below it while
    // the button is still down. The click therefore belongs to the node under the mouse when
    // the button went down: it is selected at the press and its click handler runs once at
    // the release, wherever the rows have gone.
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (type == QEvent::MouseButtonRelease) {
        QTreeWidgetItem* pressed = pressedNode_.isValid() ? tree.tv1->itemFromIndex(pressedNode_) : nullptr;
        pressedNode_ = QPersistentModelIndex();
        if (!pressed)
            return false;
        if (tree.tv1->currentItem() != pressed)
            tree.tv1->setCurrentItem(pressed);
        i();
        return true;
    }
    QTreeWidgetItem* node = tree.tv1->itemAt(mouse->position().toPoint());
    pressedNode_ = node ? QPersistentModelIndex(tree.tv1->indexFromItem(node)) : QPersistentModelIndex();
    if (!node)
        return false;
    tree.tv1->setCurrentItem(node);
    return true;
}

void TFrm_main::i()
{
    platform::guarded([this] { clickCategory(); });
}

void TFrm_main::clickCategory()
{
    QTreeWidgetItem* node = tree.tv1->currentItem();
    const int level = depthOf(node);
    // The grid this click re-runs saves what is being edited in it first; a failed save
    // stops the click before anything changes, and the typed text stays.
    if (level >= 1 && level <= 4)
        (level < 4 ? ADOQueryL1_L4 : ADOQueryHW)->postPending();
    lastClickedNode_ = node ? QPersistentModelIndex(tree.tv1->indexFromItem(node)) : QPersistentModelIndex();
    // Until this click has found its category, nothing may be filed under the one before.
    categoryResolved_ = false;
    if (level < 1 || level > 4)
        return;
    tree.Panel_L1_L4->setVisible(level < 4);
    record.Panel_HW->setVisible(level == 4);
    topLevelInsertMode = false;

    const QString text = node->text(0);
    QLabel* const labels[] = {catalogue.Lbl_L1, catalogue.Lbl_L2, catalogue.Lbl_L3, catalogue.Lbl_L4, catalogue.Lbl_HW};
    int* const ids[] = {&categoryValues.l1Id, &categoryValues.l2Id, &categoryValues.l3Id, &categoryValues.l4Id};
    QString* const names[] = {&categoryValues.l1Name, &categoryValues.l2Name, &categoryValues.l3Name,
                              &categoryValues.l4Name};

    // Looks the category up by its path. On success the clicked level and every ancestor get
    // their ids, names and labels from it; otherwise the level's id and the insert context's
    // parent id are cleared, so no insert can use the category resolved before.
    auto resolve = [&] {
        const QList<CategoryStep> path = categoryPathOf(node);
        const std::optional<QList<int>> found =
            resolveCategoryPath(path, {ADOQueryL1, ADOQueryL2, ADOQueryL3, ADOQueryL4});
        if (!found) {
            *ids[level - 1] = 0;
            insertContext.parentId = 0;
            throw platform::Error(QStringLiteral("分类“%1”已不在数据库中").arg(text));
        }
        for (int k = 0; k < level; ++k) {
            *ids[k] = (*found)[k];
            *names[k] = path[k].name;
            labels[k]->setText(path[k].name);
        }
        insertContext.parentId = (*found)[level - 1];
        categoryResolved_ = true;
    };
    auto emptyLabelsRightOf = [&](int k) {
        for (int at = k; at < 5; ++at)
            labels[at]->clear();
    };

    switch (level) {
    case 1:
        categoryValues.l1Name = text;
        catalogue.Lbl_L1->setText(text);
        emptyLabelsRightOf(1);
        insertContext.parentKeyColumn = QStringLiteral("L1_ID");
        db::openStatement(*ADOQueryL1_L4, db::statements::l2UnderL1Named(text));
        resolve();
        insertContext.nameColumn = QStringLiteral("L2_NM");
        refillLookupLists(tree.L_A, tree.L_B, *ADOQueryL1_L4, QStringLiteral("L2_ID"), QStringLiteral("L2_NM"));
        ADOQueryL1_L4->first();
        break;
    case 2:
    case 3: {
        db::openStatement(*ADOQueryL1_L4, level == 2 ? db::statements::l3UnderL2Named(text)
                                                     : db::statements::l4UnderL3Named(text));
        *names[level - 1] = text;
        insertContext.parentKeyColumn = levelKeyColumn(level);
        insertContext.nameColumn = levelNameColumn(level + 1);
        labels[level - 1]->setText(text);
        emptyLabelsRightOf(level);
        resolve();
        refillLookupLists(tree.L_A, tree.L_B, *ADOQueryL1_L4, levelKeyColumn(level + 1), levelNameColumn(level + 1));
        ADOQueryL1_L4->first();
        break;
    }
    case 4: {
        db::openStatement(*ADOQueryHW, db::statements::itemsUnderL4Named(text));
        categoryValues.l4Name = text;
        resolve();
        insertContext.parentKeyColumn = QStringLiteral("L4_ID");
        catalogue.Lbl_L4->setText(text);
        db::Dataset& items = *ADOQueryHW;
        items.first();
        const int itemId = items.asInteger(QStringLiteral("HW_ID"));
        const QString itemName = items.asString(QStringLiteral("HW_MC"));
        hardwareSelection.itemId = itemId;
        hardwareSelection.itemName = itemName;
        catalogue.Lbl_HW->setText(itemName);
        refillLookupLists(tree.L_A, tree.L_B, items, QStringLiteral("HW_ID"), QStringLiteral("HW_MC"));
        items.first();
        break;
    }
    }
}

// ---- category grid: new row and delete ----

void TFrm_main::ADOQueryL1_L4AfterInsert()
{
    insertCategoryRow(*ADOQueryL1_L4);
}

void TFrm_main::insertCategoryRow(db::Dataset& rows)
{
    // The grid lists level-1 rows at start and after every refresh: a new row there is a
    // top-level category, whatever was clicked before the refresh.
    const int gridLevel = levelOfTable(rows.tableName());
    if (topLevelInsertMode || gridLevel == 1) {
        const QString answer = askCategoryName(rows, QStringLiteral("请输入要添加的顶级分类名"));
        rows.setValue(QStringLiteral("L1_NM"), answer);
        rows.post();
        setNodeImages(new QTreeWidgetItem(tree.tv1, QStringList{answer}), kInsertedNodeImage, kInsertedNodeImage);
        return;
    }

    QTreeWidgetItem* parentNode = lastClickedNode();
    const bool listsChildrenOfClicked = parentNode && depthOf(parentNode) + 1 == gridLevel;
    if (!categoryResolved_ || !listsChildrenOfClicked) {
        // Refused: nothing stays pending, and the operator learns why.
        rows.cancel();
        requireResolvedCategory();
        throw platform::Error(QStringLiteral("分类列表显示的不是所点分类的下级分类。请在左侧重新点击要添加到的分类。"));
    }
    rows.setValue(insertContext.parentKeyColumn, insertContext.parentId);
    const QString answer = askCategoryName(rows, QStringLiteral("请输入要添加的分类名"));
    rows.setValue(insertContext.nameColumn, answer);
    rows.post();
    setNodeImages(new QTreeWidgetItem(parentNode, QStringList{answer}), kInsertedNodeImage, kInsertedNodeImage);
}

QString TFrm_main::askCategoryName(db::Dataset& rows, const QString& caption)
{
    const std::optional<QString> answer =
        platform::promptQuery(this, caption, caption + QStringLiteral("\r") + kPromptTail, kDefaultName);
    if (!answer) {
        // Cancel adds nothing: the new row is dropped and the command ends quietly.
        rows.cancel();
        throw platform::Abort();
    }
    return *answer;
}

void TFrm_main::deleteCategoryWithContents(db::Dataset& rows)
{
    // A category that holds sub-categories or items goes with all of them, after the
    // operator has seen how much that is; nothing is left in a table where no tree reaches it.
    const int level = levelOfTable(rows.tableName());
    if (level < 1)
        return;
    const int id = rows.asInteger(levelKeyColumn(level));
    const db::CategorySubtree contents = db::countCategorySubtree(*ADOConnection1, level, id);
    if (contents.empty())
        return; // the row alone: the dataset deletes it
    // One pass, so a name holding "%2" stays as it is.
    const QString question = QStringLiteral("删除“%1”及其下 %2 个分类、%3 个产品?")
                                 .arg(rows.value(levelNameColumn(level)).toString(),
                                      QString::number(contents.categories), QString::number(contents.items));
    if (!platform::confirmYesNo(this, question))
        throw platform::Abort();
    backUpBefore(db::BackupCause::CategoryDelete);
    // The row itself goes in the same transaction; the dataset's own delete then finds it
    // gone and only takes it off the grid.
    db::deleteCategorySubtree(*ADOConnection1, level, id);
}

void TFrm_main::ADOQueryL1_L4AfterDelete()
{
    btn_refreshClick();
    rereadItems(); // the items of a deleted branch went with it
}

// ---- popup command "◇ 添加记录" ----

void TFrm_main::N4Click()
{
    platform::reported(this, [this] {
        QTreeWidgetItem* clicked = lastClickedNode();
        if (clicked && depthOf(clicked) == 4) {
            // A level-4 category is open in the record panel: a new item goes into it.
            requireItemCategory();
            tree.Panel_L1_L4->hide();
            record.Panel_HW->show();
            record.DBNavigator1->btnClick(dbaware::DBNavigator::Button::Insert);
            return;
        }
        record.Panel_HW->hide();
        tree.Panel_L1_L4->show();
        tree.DBNavigator2->btnClick(dbaware::DBNavigator::Button::Insert);
    });
}

} // namespace app
