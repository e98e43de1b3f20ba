// The pictures of the print dialog, drawn rather than stored: a printer, collated and
// uncollated sheets, and the four print modes.

#include "preview/window/print_dialog.h"

#include <QPainter>
#include <QPixmap>

namespace preview {

namespace {

// A sheet with its number, top-left at (x, y).
void sheet(QPainter& p, int x, int y, int w, int h, const QString& number)
{
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(x, y, w, h);
    if (!number.isEmpty())
        p.drawText(QRect(x, y, w, h), Qt::AlignCenter, number);
}

QPixmap blank(int w, int h)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QPixmap printerPicture()
{
    QPixmap pixmap = blank(16, 16);
    QPainter p(&pixmap);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    p.drawRect(4, 1, 8, 5);
    p.setBrush(Qt::lightGray);
    p.drawRect(1, 6, 14, 6);
    p.setBrush(Qt::white);
    p.drawRect(4, 10, 8, 5);
    return pixmap;
}

QPixmap collatePicture(bool collated)
{
    QPixmap pixmap = blank(64, 32);
    QPainter p(&pixmap);
    QFont font = p.font();
    font.setPixelSize(9);
    p.setFont(font);
    // Two copies of pages 1, 2, 3: stacked by copy when collated, by page when not.
    for (int stack = 0; stack < 2; ++stack)
        for (int i = 2; i >= 0; --i) {
            const int x = stack * 32 + i * 4, y = 2 + i * 3;
            const QString n = collated ? QString::number(3 - i) : QString::number(stack + 1);
            sheet(p, x, y, 16, 20, n);
        }
    return pixmap;
}

QPixmap printModePicture(int mode)
{
    QPixmap pixmap = blank(64, 32);
    QPainter p(&pixmap);
    switch (mode) {
    case 1: // a big page over two sheets
        sheet(p, 2, 2, 26, 28, QString());
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
        p.drawLine(15, 2, 15, 30);
        sheet(p, 36, 6, 12, 22, QString());
        sheet(p, 50, 6, 12, 22, QString());
        break;
    case 2: // two small pages on one sheet
        sheet(p, 2, 8, 10, 14, QString());
        sheet(p, 14, 8, 10, 14, QString());
        sheet(p, 36, 4, 24, 24, QString());
        p.drawLine(48, 4, 48, 28);
        break;
    case 3: // a page scaled to the sheet
        sheet(p, 2, 10, 14, 18, QString());
        sheet(p, 36, 2, 22, 28, QString());
        break;
    default: // page and sheet alike
        sheet(p, 6, 4, 18, 24, QString());
        sheet(p, 40, 4, 18, 24, QString());
        break;
    }
    p.setPen(Qt::black);
    p.drawLine(27, 16, 33, 16);
    p.drawLine(30, 13, 33, 16);
    p.drawLine(30, 19, 33, 16);
    return pixmap;
}

} // namespace preview
