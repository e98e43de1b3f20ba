#include "app/app_icon.h"
#include <QPainter>

namespace app {

QImage applicationIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // Screen
    p.setPen(QPen(QColor(40, 40, 60), 1.5));
    p.setBrush(QColor(30, 90, 170));
    p.drawRoundedRect(QRectF(2.5, 4.5, 19, 14), 2, 2);
    p.fillRect(QRectF(10, 19, 4, 4), QColor(60, 60, 70));
    p.fillRect(QRectF(6, 23, 12, 2), QColor(60, 60, 70));
    // Case
    p.setBrush(QColor(200, 40, 40));
    p.drawRoundedRect(QRectF(22.5, 6.5, 8, 22), 1.5, 1.5);
    p.fillRect(QRectF(24.5, 9, 4, 1.5), Qt::white);
    p.fillRect(QRectF(24.5, 12, 4, 1.5), Qt::white);
    p.setBrush(QColor(120, 255, 120));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(26.5, 24.5), 1.5, 1.5);
    // "DIY" sparkle on the screen
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(QPointF(6, 14), QPointF(10, 9));
    p.drawLine(QPointF(10, 9), QPointF(13, 13));
    p.drawLine(QPointF(13, 13), QPointF(18, 7));
    return image;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int size : kIconSizes)
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    return icon;
}

} // namespace app
