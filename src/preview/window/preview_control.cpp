#include "preview/window/preview_control.h"

#include "preview/window/preview_workspace.h"
#include "report/engine/report_shell.h"
#include "report/frx_resources.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>
#include <cmath>

namespace preview {

using report::TfrxZoomMode;

namespace {
constexpr double kMinZoom = 0.25;
// Pages laid out at once when preparation starts, so the first screen shows at once.
constexpr int kFirstLayoutPages = 50;
} // namespace

QString pageOfText(int page, int count)
{
    QString text = frxGet(QStringLiteral("clPageOf"));
    for (const int n : {page, count}) {
        const qsizetype at = text.indexOf(QLatin1StringView("%d"));
        if (at >= 0)
            text.replace(at, 2, QString::number(n));
    }
    return text;
}

TfrxPreview::TfrxPreview(QWidget* parent, report::ReportShell& shell) : QWidget(parent), shell_(shell)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setHandleWidth(4);
    splitter_->setChildrenCollapsible(false);
    layout->addWidget(splitter_);

    auto* left = new QWidget(splitter_);
    auto* leftLayout = new QHBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    outline_ = new QTreeWidget(left);
    outline_->setObjectName(QStringLiteral("OutlineTree"));
    outline_->setFrameShape(QFrame::NoFrame);
    outline_->header()->hide();
    thumbnails_ = new TfrxPreviewWorkspace(left, true);
    thumbnails_->setObjectName(QStringLiteral("ThumbTree"));
    thumbnails_->hide();
    leftLayout->addWidget(outline_);
    leftLayout->addWidget(thumbnails_);
    workspace_ = new TfrxPreviewWorkspace(splitter_, false);
    workspace_->setObjectName(QStringLiteral("Workspace"));
    splitter_->addWidget(left);
    splitter_->addWidget(workspace_);
    splitter_->setStretchFactor(1, 1);
    left->hide();

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("MessagePanel"));
    message_->setFixedSize(260, 75);
    message_->setAlignment(Qt::AlignCenter);
    message_->setFrameShape(QFrame::Panel);
    message_->setAutoFillBackground(true);
    message_->hide();

    for (TfrxPreviewWorkspace* area : {workspace_, thumbnails_}) {
        area->setPages(&pages());
        area->mouseAllowed = [this] { return !locked_ && pageCount() > 0; };
        area->onRelease = [this, area](Qt::MouseButton b, QPoint p, Qt::KeyboardModifiers m) {
            releasedOn(area, b, p, m);
        };
    }
    workspace_->onScrolled = [this] { workspaceScrolled(); };
    workspace_->onMove = [this](QPoint p) { mouseOverSurface(p, false, Qt::NoButton, {}); };
    workspace_->onZoomWheel = [this](int notches) {
        // Ctrl+wheel stops at 0.3 rather than at the zoom's own floor.
        if (!running_)
            setZoom(std::max(0.3, zoom_ + 0.1 * notches));
    };
    workspace_->onNavigateKey = [this](int key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Home)
            First();
        else if (key == Qt::Key_End)
            Last();
        else if (key == Qt::Key_PageUp)
            Prior();
        else
            Next();
    };
    connect(outline_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { outlineClicked(item); });
}

TfrxPreview::~TfrxPreview() = default;

report::TfrxReport& TfrxPreview::report() const { return shell_.Report(); }
report::TfrxPreviewPages& TfrxPreview::pages() const { return shell_.PreviewPages(); }
int TfrxPreview::pageCount() const { return pages().PageCount(); }

void TfrxPreview::setZoom(double zoom)
{
    zoom_ = std::max(kMinZoom, zoom);
    zoomMode_ = TfrxZoomMode::zmDefault;
    const QPoint keep = workspace_->scrollPos();
    layOutPages();
    workspace_->setScrollPos(keep);
}

void TfrxPreview::setZoomMode(TfrxZoomMode mode)
{
    zoomMode_ = mode;
    layOutPages();
}

std::vector<QSize> TfrxPreview::pageSizes() const
{
    std::vector<QSize> sizes(std::size_t(std::max(0, pageCount())));
    for (std::size_t i = 0; i < sizes.size(); ++i)
        sizes[i] = pages().GetPreparedPageSize(int(i));
    return sizes;
}

void TfrxPreview::layOutPages()
{
    const std::vector<QSize> sizes = pageSizes();
    pageNo_ = std::clamp(pageNo_, 1, std::max(1, int(sizes.size())));
    const QSize current = sizes.empty() ? QSize() : sizes[std::size_t(pageNo_ - 1)];
    if (zoomMode_ == TfrxZoomMode::zmWholePage && current.height() > 0)
        zoom_ = std::max(kMinZoom, double(workspace_->viewport()->height() - 26) / current.height());
    else if (zoomMode_ == TfrxZoomMode::zmPageWidth && current.width() > 0)
        zoom_ = std::max(kMinZoom, double(workspace_->availableWidth()) / current.width());
    // A new layout ends the find: F3 needs the find command again.
    search_.made = false;
    workspace_->setZoom(zoom_);
    workspace_->layOut(sizes);
    thumbnails_->layOut(sizes);
    workspace_->setCurrentIndex(pageNo_ - 1);
    thumbnails_->setCurrentIndex(pageNo_ - 1);
    if (zoomMode_ == TfrxZoomMode::zmWholePage)
        workspace_->scrollToPage(pageNo_ - 1);
    if (OnLaidOut)
        OnLaidOut();
}

void TfrxPreview::setLeftWidth(int width)
{
    splitter_->setSizes({width, std::max(1, splitter_->width() - width - splitter_->handleWidth())});
}

void TfrxPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeMessage();
}

void TfrxPreview::goToPage(int page, TfrxPreviewWorkspace* chooser)
{
    page = std::clamp(page, 1, std::max(1, pageCount()));
    const bool changed = page != pageNo_;
    pageNo_ = page;
    {
        // The page is chosen: scrolling to it must not choose another one.
        const QScopedValueRollback<bool> navigating(navigating_, true);
        for (TfrxPreviewWorkspace* area : {workspace_, thumbnails_}) {
            area->setCurrentIndex(page - 1);
            if (area != chooser)
                area->scrollToPage(page - 1);
            if (changed)
                area->viewport()->update();
        }
    }
    if (OnPageChanged)
        OnPageChanged(pageNo_);
}

void TfrxPreview::workspaceScrolled()
{
    if (navigating_ || workspace_->pageList().count() == 0)
        return;
    const int page = workspace_->pageList().pageAtTop(workspace_->scrollPos().y()) + 1;
    if (page == pageNo_)
        return;
    pageNo_ = page;
    workspace_->setCurrentIndex(page - 1);
    thumbnails_->setCurrentIndex(page - 1);
    thumbnails_->scrollToPage(page - 1);
    thumbnails_->viewport()->update();
    if (OnPageChanged)
        OnPageChanged(pageNo_);
}

void TfrxPreview::releasedOn(TfrxPreviewWorkspace* area, Qt::MouseButton button, QPoint pos,
                             Qt::KeyboardModifiers mods)
{
    if (area == workspace_ && OnClick)
        OnClick(button);
    const int index = area->pageList().pageAt(pos);
    if (index >= 0)
        goToPage(index + 1, area);
    if (area == workspace_ && button != Qt::RightButton)
        mouseOverSurface(pos, true, button, mods);
}

void TfrxPreview::beginPreparation(bool keepDrillDown)
{
    if (!keepDrillDown)
        report().ToggledGroups.clear();
    running_ = true;
    firstPageAt_ = -1;
    search_ = SearchState();
    workspace_->hitPage = -1;
    workspace_->layOut({});
    thumbnails_->layOut({});
    if (OnStateChanged)
        OnStateChanged();
}

void TfrxPreview::pagePrepared(int pageNumber)
{
    const report::TfrxEngineLink& link = pages().Engine();
    const bool firstPass = report().EngineOptions().DoublePass && !link.FinalPass;
    if (!firstPass && pageNumber <= kFirstLayoutPages)
        layOutPages();
    if (pageNumber == 1) {
        firstPageAt_ = QDateTime::currentMSecsSinceEpoch();
        setPageNo(1);
        if (OnStateChanged)
            OnStateChanged();
    } else if (pageNumber == 2 && firstPageAt_ >= 0) {
        const qint64 took = QDateTime::currentMSecsSinceEpoch() - firstPageAt_;
        updateInterval_ = took <= 4 ? 50 : took > 9 ? 5 : 20;
    } else if (pageNumber % updateInterval_ == 0) {
        if (OnStatusPages)
            OnStatusPages(firstPass ? frxGet(QStringLiteral("clFirstPass")) + u' ' + QString::number(pageNumber)
                                    : pageOfText(pageNo_, pageCount()));
        if (!firstPass && pageNumber > kFirstLayoutPages)
            layOutPages();
    }
}

void TfrxPreview::endPreparation()
{
    running_ = false;
    layOutPages();
    buildOutline();
    if (OnStatusText)
        OnStatusText(QString());
    if (OnStateChanged)
        OnStateChanged();
    setPageNo(pageNo_);
}

} // namespace preview
