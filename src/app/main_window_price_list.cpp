// Price lists: "导出价格表..." writes the catalogue (or the category the popup menu was opened
// on) as a CSV file; "导入价格表..." reads one, shows what it would change and, once the
// operator agrees, changes it in one transaction.
#include "app/category_path.h"
#include "app/main_window.h"
#include "db/backup.h"
#include "app/progress_window.h"
#include "db/connection.h"
#include "db/price_list.h"
#include "db/price_list_import.h"
#include "platform/error.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTreeWidget>

namespace app {

namespace {

const QString kFilter = QStringLiteral("价格表 (*.csv *.txt);;所有文件 (*)");
constexpr int kMostDetailLines = 2000;

QString price(const std::optional<double>& value)
{
    return value ? platform::formatGeneral(*value) : QStringLiteral("（无）");
}

// The list under the preview's counts: every change, new category, new item and refused row.
QString previewDetails(const db::ImportPlan& plan)
{
    QStringList lines;
    for (const auto& c : plan.priceChanges)
        lines << QStringLiteral("第%1行  价格  %2 > %3：%4 → %5")
                     .arg(c.line)
                     .arg(c.path.join(QStringLiteral(" > ")), c.name, price(c.oldPrice), price(c.newPrice));
    for (const auto& c : plan.newCategories)
        lines << QStringLiteral("新分类  %1").arg(c.path.join(QStringLiteral(" > ")));
    for (const auto& item : plan.newItems)
        lines << QStringLiteral("第%1行  新产品  %2 > %3：%4")
                     .arg(item.line)
                     .arg(item.path.join(QStringLiteral(" > ")), item.name, price(item.price));
    for (const auto& r : plan.refused)
        lines << QStringLiteral("第%1行  拒绝：%2").arg(r.line).arg(r.reason);
    if (lines.size() > kMostDetailLines) {
        const qsizetype more = lines.size() - kMostDetailLines;
        lines = lines.mid(0, kMostDetailLines);
        lines << QStringLiteral("……（另有 %1 行未列出）").arg(more);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void TFrm_main::addPriceListItems()
{
    // After the compaction command, in the catalogue-wide part of the menu.
    QAction* before = menu.webSiteItem;
    menu.N29 = new QAction(QStringLiteral("导出价格表..."), menu.PopupMenu1);
    menu.N29->setObjectName(QStringLiteral("N29"));
    menu.N30 = new QAction(QStringLiteral("导入价格表..."), menu.PopupMenu1);
    menu.N30->setObjectName(QStringLiteral("N30"));
    menu.PopupMenu1->insertAction(before, menu.N29);
    menu.PopupMenu1->insertAction(before, menu.N30);
    connect(menu.N29, &QAction::triggered, this, &TFrm_main::N29Click);
    connect(menu.N30, &QAction::triggered, this, &TFrm_main::N30Click);
}

void TFrm_main::notePopupNode(const QPoint& globalPos)
{
    QTreeWidgetItem* node = nullptr;
    const QPoint inTree = tree.tv1->viewport()->mapFromGlobal(globalPos);
    if (tree.tv1->isVisible() && tree.tv1->viewport()->rect().contains(inTree))
        node = tree.tv1->itemAt(inTree);
    popupNode_ = node ? QPersistentModelIndex(tree.tv1->indexFromItem(node)) : QPersistentModelIndex();
}

void TFrm_main::N29Click()
{
    platform::reported(this, [this] {
        QTreeWidgetItem* node = popupNode_.isValid() ? tree.tv1->itemFromIndex(popupNode_) : nullptr;
        db::ExportScope scope;
        if (node) {
            // The node's path finds its category as a tree click finds it.
            const auto ids = resolveCategoryPath(categoryPathOf(node), {ADOQueryL1, ADOQueryL2, ADOQueryL3, ADOQueryL4});
            if (!ids)
                throw platform::Error(QStringLiteral("分类“%1”已不在数据库中，请先刷新左侧分类列表。").arg(node->text(0)));
            scope = {static_cast<int>(ids->size()), ids->back()};
        }
        const QString suggested = QDir(dataFolder()).filePath(
            node ? QStringLiteral("价格表-%1.csv").arg(node->text(0)) : QStringLiteral("价格表.csv"));
        const QString file = platform::saveFileName(this, QStringLiteral("导出价格表"), suggested, kFilter,
                                                    QStringLiteral("csv"));
        if (file.isEmpty())
            return;
        ProgressWindow progress(this, QStringLiteral("导出价格表"));
        const int items = db::exportPriceList(*ADOConnection1, file, scope, progress.step(QStringLiteral("正在导出……")));
        progress.finish();
        platform::showMessage(this, QStringLiteral("已导出 %1 项产品到“%2”。").arg(items).arg(QDir::toNativeSeparators(file)));
    });
}

void TFrm_main::N30Click()
{
    platform::reported(this, [this] {
        const QString file = platform::openFileName(this, QStringLiteral("导入价格表"), dataFolder(), kFilter);
        if (file.isEmpty())
            return;
        ProgressWindow progress(this, QStringLiteral("导入价格表"));
        const db::PriceListFile list = db::readPriceListFile(file, progress.step(QStringLiteral("正在读取……")));
        const db::ImportPlan plan = db::planImport(*ADOConnection1, list);
        progress.finish();
        const QString name = QFileInfo(file).fileName();
        const QString counts = plan.summary();
        if (plan.changesNothing()) {
            platform::showMessage(this, QStringLiteral("价格表“%1”中没有需要导入的变动。\n%2\n%3")
                                            .arg(name, counts, previewDetails(plan)).trimmed());
            return;
        }
        const QString text = QStringLiteral("导入价格表“%1”（%2）：\n%3\n\n确定要导入吗？").arg(name, plan.encoding, counts);
        if (!platform::confirmWithDetails(this, QStringLiteral("导入价格表"), text, previewDetails(plan),
                                          QStringLiteral("导入"), QStringLiteral("取消")))
            return;
        backUpBefore(db::BackupCause::Import);
        db::applyImport(*ADOConnection1, list, plan, progress.step(QStringLiteral("正在导入……")));
        progress.finish();
        // The tree and the grids show the catalogue as it now is.
        btn_refreshClick();
        rereadItems();
        platform::showMessage(this, QStringLiteral("价格表已导入：%1").arg(counts));
    });
}

} // namespace app
