#include "app/picture_frame.h"
#include <QMouseEvent>
#include <QPainter>

namespace app {

PictureFrame::PictureFrame(QWidget* parent) : QWidget(parent) {}

void PictureFrame::setPicture(const QImage& image)
{
    picture_ = image;
    update();
}

void PictureFrame::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture_);
}

void PictureFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace app
