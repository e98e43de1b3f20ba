#include "preview/window/preview_workspace.h"

#include "report/layout/draw_text.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/text/text_context.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

namespace preview {

TfrxPreviewWorkspace::TfrxPreviewWorkspace(QWidget* parent, bool thumbnails)
    : QAbstractScrollArea(parent), thumbnails_(thumbnails)
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(kLineStep);
    horizontalScrollBar()->setSingleStep(kLineStep);
    verticalScrollBar()->setPageStep(kPageStep);
    horizontalScrollBar()->setPageStep(kPageStep);
    if (thumbnails_)
        zoom_ = 0.1;
}

int TfrxPreviewWorkspace::availableWidth() const
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    return viewport()->width() + (verticalScrollBar()->isVisible() ? verticalScrollBar()->width() : 0) - bar - 26;
}

void TfrxPreviewWorkspace::layOut(const std::vector<QSize>& sizes)
{
    list_.setPages(sizes, zoom_);
    list_.layOut(availableWidth());
    current_ = std::clamp(current_, 0, std::max(0, list_.count() - 1));
    updateScrollRange();
    viewport()->update();
}

void TfrxPreviewWorkspace::updateScrollRange()
{
    const QSize size = list_.scrollSize();
    verticalScrollBar()->setRange(0, std::max(0, size.height() - viewport()->height()));
    horizontalScrollBar()->setRange(0, std::max(0, size.width() - viewport()->width()));
}

void TfrxPreviewWorkspace::setCurrentIndex(int index)
{
    if (index == current_)
        return;
    current_ = index;
    viewport()->update();
}

QPoint TfrxPreviewWorkspace::scrollPos() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void TfrxPreviewWorkspace::setScrollPos(QPoint pos)
{
    horizontalScrollBar()->setValue(pos.x());
    verticalScrollBar()->setValue(pos.y());
}

void TfrxPreviewWorkspace::scrollBy(int dx, int dy) { setScrollPos(scrollPos() + QPoint(dx, dy)); }

void TfrxPreviewWorkspace::scrollToPage(int index)
{
    if (index < 0 || index >= list_.count())
        return;
    verticalScrollBar()->setValue(list_.item(index).top - TfrxPageList::kGap);
}

void TfrxPreviewWorkspace::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void TfrxPreviewWorkspace::scrollContentsBy(int dx, int dy)
{
    // What stays on screen moves; only the strip that comes into view is painted.
    viewport()->scroll(dx, dy);
    if (onScrolled)
        onScrolled();
}

void TfrxPreviewWorkspace::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    // Clipped to what needs painting, so the page painter passes over the objects outside it.
    painter.setClipRegion(event->region());
    const QRect view = event->region().boundingRect();
    painter.fillRect(view, backColor);
    if (locked || !pages_ || list_.count() == 0)
        return;
    // A paint that arrives while the report's text layout is in use (the engine lets events
    // run during a preparation) would wait for itself: the pages are drawn a moment later.
    if (pages_->Report().TextContext().drawText().IsBusy()) {
        QTimer::singleShot(50, viewport(), qOverload<>(&QWidget::update));
        return;
    }
    const QPoint scroll = scrollPos();
    const int top = list_.lastPageStartingAbove(scroll.y());
    const int from = std::max(0, top - kPaintReach), to = std::min(list_.count() - 1, top + kPaintReach);
    for (int i = from; i <= to; ++i) {
        const QRect onView = list_.item(i).rect().translated(-scroll);
        if (onView.intersects(view))
            paintPage(painter, i, onView);
    }
}

void TfrxPreviewWorkspace::paintPage(QPainter& painter, int index, const QRect& r)
{
    painter.fillRect(r, Qt::white);
    painter.setPen(frameColor);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    try {
        pages_->PaintPage(index, painter, zoom_, zoom_, r.left(), r.top());
    } catch (...) {
        // A page that cannot be rebuilt stays blank; the others still show.
    }
    if (thumbnails_) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(8);
        painter.setFont(font);
        const QString number = QStringLiteral(" %1 ").arg(index + 1);
        const QRect box = QFontMetrics(font).boundingRect(number).translated(r.topLeft());
        const QRect at(r.topLeft(), box.size());
        painter.fillRect(at, backColor);
        painter.setPen(Qt::white);
        painter.drawText(at, Qt::AlignLeft | Qt::AlignTop, number);
    }
    if (index == current_) {
        QPen pen(activeFrameColor, 2);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(r).adjusted(-2, -2, 1, 1));
    }
    if (index == hitPage && !hitRect.isEmpty()) {
        const QRectF hit(r.left() + hitRect.left() * zoom_, r.top() + hitRect.top() * zoom_,
                         hitRect.width() * zoom_, hitRect.height() * zoom_);
        painter.save();
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(hit.toRect().adjusted(-1, 0, 1, 0), Qt::white);
        painter.restore();
    }
}

void TfrxPreviewWorkspace::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && !thumbnails_ && mayUseMouse()) {
        dragging_ = true;
        dragStart_ = event->globalPosition().toPoint();
        dragScroll_ = scrollPos();
    }
    setFocus();
}

void TfrxPreviewWorkspace::mouseMoveEvent(QMouseEvent* event)
{
    if (!mayUseMouse())
        return;
    if (dragging_) {
        setScrollPos(dragScroll_ - (event->globalPosition().toPoint() - dragStart_));
        return;
    }
    if (onMove)
        onMove(event->position().toPoint() + scrollPos());
}

void TfrxPreviewWorkspace::mouseReleaseEvent(QMouseEvent* event)
{
    dragging_ = false;
    if (mayUseMouse() && onRelease)
        onRelease(event->button(), event->position().toPoint() + scrollPos(), event->modifiers());
}

void TfrxPreviewWorkspace::mouseDoubleClickEvent(QMouseEvent*)
{
    if (onDoubleClick)
        onDoubleClick();
}

void TfrxPreviewWorkspace::wheelEvent(QWheelEvent* event)
{
    // Notches of 120 eighths of a degree; smaller steps add up.
    wheelRest_ += event->angleDelta().y();
    const int notches = wheelRest_ / 120;
    wheelRest_ %= 120;
    if (notches == 0 || !mayUseMouse())
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        if (onZoomWheel)
            onZoomWheel(notches);
    } else {
        scrollBy(0, -notches * kWheelStep);
    }
}

void TfrxPreviewWorkspace::keyPressEvent(QKeyEvent* event)
{
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up: scrollBy(0, -kLineStep); break;
    case Qt::Key_Down: scrollBy(0, kLineStep); break;
    case Qt::Key_Left: scrollBy(-kLineStep, 0); break;
    case Qt::Key_Right: scrollBy(kLineStep, 0); break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (ctrl) {
            if (onNavigateKey)
                onNavigateKey(event->key(), event->modifiers());
        } else {
            scrollBy(0, event->key() == Qt::Key_PageUp ? -kPageStep : kPageStep);
        }
        break;
    case Qt::Key_Home:
    case Qt::Key_End:
        if (onNavigateKey)
            onNavigateKey(event->key(), event->modifiers());
        break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

} // namespace preview
