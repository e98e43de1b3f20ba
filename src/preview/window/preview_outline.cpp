// The preview's outline pane, the lock with its message panel, and files.

#include "preview/window/preview_control.h"

#include "preview/window/preview_workspace.h"
#include "report/engine/report_shell.h"
#include "report/frx_resources.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_types.h"
#include "report/pages/preview_pages.h"

#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>
#include <cmath>
#include <exception>

namespace preview {

namespace {
// An outline node keeps its page (1-based) and position apart: one packed number would lose
// positions of 4096 pixels and more, which endless pages reach.
constexpr int kPageRole = Qt::UserRole;
constexpr int kTopRole = Qt::UserRole + 1;
} // namespace

bool TfrxPreview::outlineVisible() const { return outline_->parentWidget()->isVisibleTo(this) && outline_->isVisibleTo(this); }
bool TfrxPreview::thumbnailVisible() const
{
    return thumbnails_->parentWidget()->isVisibleTo(this) && thumbnails_->isVisibleTo(this);
}

void TfrxPreview::setOutlineVisible(bool visible)
{
    outline_->setVisible(visible);
    if (visible)
        thumbnails_->hide();
    outline_->parentWidget()->setVisible(visible || thumbnails_->isVisibleTo(this));
}

void TfrxPreview::setThumbnailVisible(bool visible)
{
    thumbnails_->setVisible(visible);
    if (visible) {
        outline_->hide();
        thumbnails_->layOut(pageSizes());
        thumbnails_->scrollToPage(pageNo_ - 1);
    }
    thumbnails_->parentWidget()->setVisible(visible || outline_->isVisibleTo(this));
}

void TfrxPreview::addOutlineLevel(QTreeWidgetItem* parent)
{
    report::TfrxOutline& outline = pages().Outline();
    const int count = outline.ItemCount();
    for (int i = 0; i < count; ++i) {
        QString text;
        int page = 0, top = 0;
        outline.ReadItem(i, text, page, top);
        auto* node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(outline_);
        node->setText(0, text);
        node->setData(0, kPageRole, page + 1);
        // The position rounded down to an even number, as the nodes have always kept it.
        node->setData(0, kTopRole, top - (top & 1));
        outline.OpenItem(i);
        addOutlineLevel(node);
        outline.LevelUp();
    }
}

void TfrxPreview::buildOutline()
{
    outline_->clear();
    report::TfrxOutline& outline = pages().Outline();
    outline.LevelRoot();
    addOutlineLevel(nullptr);
    outline.LevelRoot();
    const bool any = outline_->topLevelItemCount() > 0;
    if (any && report().PreviewOptions().OutlineExpand)
        outline_->expandAll();
    if (any)
        outline_->scrollToItem(outline_->topLevelItem(0));
    setOutlineVisible(any);
}

void TfrxPreview::outlineClicked(QTreeWidgetItem* item)
{
    if (!item || running_)
        return;
    goToPosition(item->data(0, kPageRole).toInt(), item->data(0, kTopRole).toInt());
}

void TfrxPreview::goToPosition(int page, int top)
{
    setPageNo(page);
    const int index = pageNo_ - 1;
    if (index >= workspace_->pageList().count())
        return;
    int y = workspace_->pageList().item(index).top - 10;
    if (top != 0) {
        const report::TfrxReportPage* prepared = pages().GetPreparedPage(index);
        const double margin = prepared ? prepared->TopMargin * report::fr01cm : 0;
        y += int(std::lround((margin + top) * zoom_));
    }
    workspace_->verticalScrollBar()->setValue(y);
}

void TfrxPreview::placeMessage()
{
    message_->move((width() - message_->width()) / 2, height() / 3 - message_->height() / 2);
}

void TfrxPreview::lock(const QString& message)
{
    locked_ = true;
    workspace_->locked = thumbnails_->locked = true;
    if (!message.isEmpty()) {
        message_->setText(message);
        placeMessage();
        message_->show();
        message_->raise();
        message_->repaint();
    }
    workspace_->viewport()->update();
}

void TfrxPreview::unlock()
{
    locked_ = false;
    workspace_->locked = thumbnails_->locked = false;
    message_->hide();
    pageNo_ = 1;
    layOutPages();
    setPageNo(1);
    thumbnails_->viewport()->update();
}

void TfrxPreview::loadFromFile(const QString& fileName)
{
    lock(frxGet(QStringLiteral("clLoading")));
    search_ = SearchState();
    workspace_->hitPage = -1;
    std::exception_ptr failure;
    try {
        pages().LoadFromFile(fileName);
    } catch (...) {
        failure = std::current_exception();
    }
    buildOutline();
    unlock();
    if (failure)
        std::rethrow_exception(failure);
}

void TfrxPreview::saveToFile(const QString& fileName)
{
    lock(frxGet(QStringLiteral("clSaving")));
    std::exception_ptr failure;
    try {
        pages().SaveToFile(fileName);
    } catch (...) {
        failure = std::current_exception();
    }
    unlock();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace preview
