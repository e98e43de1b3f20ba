#include "dbaware/detail/indicator_header.h"
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace dbaware::detail {

namespace {
constexpr int kIndicatorWidth = 12;
}

IndicatorHeader::IndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumSectionSize(1);
}

void IndicatorHeader::setMark(int row, Marker marker)
{
    if (row == row_ && marker == marker_)
        return;
    const int old = row_;
    row_ = row;
    marker_ = marker;
    if (old >= 0 && old < count())
        updateSection(old);
    if (row_ >= 0 && row_ < count())
        updateSection(row_);
}

QSize IndicatorHeader::sizeHint() const
{
    return {kIndicatorWidth, QHeaderView::sizeHint().height()};
}

void IndicatorHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    // The base leaves the painter changed (nothing drawn after it shows) unless guarded.
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (logicalIndex != row_)
        return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QPointF c = QRectF(rect).center();
    const QColor ink = palette().color(QPalette::ButtonText);
    switch (marker_) {
    case Marker::Current: {
        QPainterPath triangle;
        triangle.moveTo(c.x() - 2, c.y() - 4);
        triangle.lineTo(c.x() + 2.5, c.y());
        triangle.lineTo(c.x() - 2, c.y() + 4);
        triangle.closeSubpath();
        painter->fillPath(triangle, ink);
        break;
    }
    case Marker::Editing: {
        // An I-beam, the text cursor: this row's values are being typed.
        painter->setPen(QPen(ink, 1.2));
        painter->drawLine(QPointF(c.x(), c.y() - 4.5), QPointF(c.x(), c.y() + 4.5));
        painter->drawLine(QPointF(c.x() - 2, c.y() - 4.5), QPointF(c.x() + 2, c.y() - 4.5));
        painter->drawLine(QPointF(c.x() - 2, c.y() + 4.5), QPointF(c.x() + 2, c.y() + 4.5));
        break;
    }
    case Marker::Inserting: {
        painter->setPen(QPen(ink, 1.2));
        for (int i = 0; i < 3; ++i) {
            painter->save();
            painter->translate(c);
            painter->rotate(60.0 * i);
            painter->drawLine(QPointF(0, -3.5), QPointF(0, 3.5));
            painter->restore();
        }
        break;
    }
    }
    painter->restore();
}

void IndicatorHeader::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int row = logicalIndexAt(event->position().toPoint());
        if (row >= 0)
            emit rowPressed(row);
    }
    event->accept();
}

} // namespace dbaware::detail
