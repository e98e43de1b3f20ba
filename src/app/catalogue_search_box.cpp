#include "app/catalogue_search_box.h"
#include "platform/error.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeWidget>

namespace app {

namespace {

constexpr int kListedHits = 200;

} // namespace

CatalogueSearchBox::CatalogueSearchBox(QWidget* boxParent, const QRect& boxRect, QWidget* listParent,
                                       const QRect& listRect, Search search)
    : QObject(boxParent), edit_(new QLineEdit(boxParent)), list_(new QTreeWidget(listParent)), search_(std::move(search))
{
    edit_->setObjectName(QStringLiteral("edt_search"));
    edit_->setGeometry(boxRect);
    edit_->setPlaceholderText(QStringLiteral("搜索产品名称或参数（Ctrl+F；Esc 清除）"));
    edit_->setClearButtonEnabled(true);
    edit_->setToolTip(QStringLiteral("输入产品名称或参数中的词，多个词用空格分开；回车选中产品"));
    edit_->installEventFilter(this);

    list_->setObjectName(QStringLiteral("lst_search"));
    list_->setGeometry(listRect);
    list_->setColumnCount(3);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setFocusPolicy(Qt::NoFocus); // the box keeps the keyboard; Up and Down move the list
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->setColumnWidth(1, 120);
    list_->setColumnWidth(2, 80);
    list_->hide();

    connect(edit_, &QLineEdit::textChanged, this, [this] {
        // Typing fast makes one search when the keys have been handled, not one per key.
        if (!pending_) {
            pending_ = true;
            QTimer::singleShot(0, this, [this] {
                if (pending_)
                    searchNow();
            });
        }
    });
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { chooseCurrent(); });
}

void CatalogueSearchBox::searchNow()
{
    pending_ = false;
    db::SearchResult result;
    // A failing search (the catalogue closed) shows no hits; nothing leaves the event loop.
    platform::guarded([&] {
        if (!edit_->text().trimmed().isEmpty())
            result = search_(edit_->text());
    });
    showHits(result);
}

void CatalogueSearchBox::showHits(const db::SearchResult& result)
{
    hits_ = result.hits.mid(0, kListedHits);
    list_->clear();
    const QString title = result.total > hits_.size()
        ? QStringLiteral("名称（找到 %1 项，列出前 %2 项）").arg(result.total).arg(hits_.size())
        : QStringLiteral("名称（找到 %1 项）").arg(result.total);
    list_->setHeaderLabels({title, QStringLiteral("类别"), QStringLiteral("价格")});
    QList<QTreeWidgetItem*> rows;
    for (const db::SearchHit& hit : hits_) {
        auto* row = new QTreeWidgetItem(QStringList{hit.name, hit.path.value(1),
                                                    hit.price ? platform::formatGeneral(*hit.price) : QString()});
        row->setToolTip(0, hit.path.join(QStringLiteral(" > ")) + QStringLiteral(" > ") + hit.name);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    list_->addTopLevelItems(rows);
    if (!rows.isEmpty())
        list_->setCurrentItem(rows.front());
    list_->setVisible(!edit_->text().trimmed().isEmpty() && edit_->hasFocus());
    list_->raise();
}

void CatalogueSearchBox::chooseCurrent()
{
    const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
    if (row < 0 || row >= hits_.size())
        return;
    const db::SearchHit hit = hits_[row];
    list_->hide();
    emit hitChosen(hit);
}

bool CatalogueSearchBox::handleKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        edit_->clear();
        list_->hide();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (pending_)
            searchNow();
        chooseCurrent();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        if (list_->topLevelItemCount() == 0)
            return true;
        list_->show();
        const int step = key == Qt::Key_Up ? -1 : key == Qt::Key_Down ? 1 : key == Qt::Key_PageUp ? -10 : 10;
        const int at = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : 0;
        list_->setCurrentItem(list_->topLevelItem(std::clamp(at + step, 0, list_->topLevelItemCount() - 1)));
        return true;
    }
    default:
        return false;
    }
}

bool CatalogueSearchBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edit_) {
        if (event->type() == QEvent::KeyPress && handleKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
        if (event->type() == QEvent::FocusIn && !edit_->text().trimmed().isEmpty()) {
            list_->show();
            list_->raise();
        }
        // A click on the list takes no focus, so leaving the box means leaving the search.
        if (event->type() == QEvent::FocusOut)
            list_->hide();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
