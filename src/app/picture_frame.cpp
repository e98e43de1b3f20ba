#include "app/picture_frame.h"
#include <QMouseEvent>
#include <QPainter>

namespace app {

PictureFrame::PictureFrame(QWidget* parent) : QWidget(parent) {}

void PictureFrame::setPicture(const QImage& image, const QString& source)
{
    picture_ = image;
    source_ = source;
    scaled_ = QPixmap();
    update();
}

void PictureFrame::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    const QSize target = size() * devicePixelRatioF();
    if (scaled_.isNull() || scaled_.size() != target) {
        scaled_ = QPixmap::fromImage(picture_.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        scaled_.setDevicePixelRatio(devicePixelRatioF());
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), scaled_);
}

void PictureFrame::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(event);
}

} // namespace app
