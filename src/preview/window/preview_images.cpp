#include "preview/window/preview_images.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace preview {

namespace {

constexpr int kImageCount = 25;
const QColor kInk(0x20, 0x30, 0x50);
const QColor kPaper(Qt::white);
const QColor kAccent(0x30, 0x70, 0xc0);

void sheet(QPainter& p)
{
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawRect(3, 1, 10, 13);
}

void magnifier(QPainter& p, int sign)
{
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
    p.setPen(QPen(kInk, 2.5));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    p.setPen(QPen(kAccent, 1.2));
    if (sign != 0)
        p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
    if (sign > 0)
        p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
}

// Navigation arrows: a bar on the side the arrow points to for first/last.
void arrow(QPainter& p, bool left, bool bar)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    QPolygonF tri;
    if (left)
        tri << QPointF(4, 8) << QPointF(11, 3) << QPointF(11, 13);
    else
        tri << QPointF(12, 8) << QPointF(5, 3) << QPointF(5, 13);
    p.drawPolygon(tri);
    if (bar)
        p.drawRect(left ? 2 : 12, 3, 2, 10);
}

// The file commands: open, save, print, export, PDF, e-mail.
bool drawFileImage(QPainter& p, int index)
{
    switch (index) {
    case 0: // open: a folder
        p.setPen(kInk);
        p.setBrush(QColor(0xe8, 0xc0, 0x50));
        p.drawRect(1, 4, 14, 10);
        p.drawRect(1, 2, 6, 2);
        break;
    case 1: // save: a disk
        p.setPen(kInk);
        p.setBrush(kAccent);
        p.drawRect(1, 1, 14, 14);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 8, 5);
        p.drawRect(3, 9, 10, 6);
        break;
    case 2: // print: a printer
        p.setPen(kInk);
        p.setBrush(kPaper);
        p.drawRect(4, 1, 8, 5);
        p.setBrush(QColor(0xb0, 0xb0, 0xb0));
        p.drawRect(1, 6, 14, 6);
        p.setBrush(kPaper);
        p.drawRect(4, 10, 8, 5);
        break;
    case 3: // export: a sheet with an arrow
    case 24: // PDF: a sheet with a red band
        sheet(p);
        p.setPen(QPen(index == 3 ? kAccent : QColor(0xc0, 0x20, 0x20), 2));
        if (index == 3)
            p.drawLine(6, 8, 15, 8);
        else
            p.drawLine(4, 10, 12, 10);
        break;
    case 23: // e-mail: an envelope
        p.setPen(kInk);
        p.setBrush(kPaper);
        p.drawRect(1, 3, 14, 10);
        p.drawPolyline(QPolygonF{{1, 3}, {8, 9}, {15, 3}});
        break;
    default: return false;
    }
    return true;
}

void drawImage(QPainter& p, int index)
{
    if (drawFileImage(p, index))
        return;
    switch (index) {
    case 4: magnifier(p, 0); break;
    case 15: magnifier(p, 1); break;
    case 16: magnifier(p, -1); break;
    case 5: // thumbnails: four small sheets
        p.setPen(kInk);
        p.setBrush(kPaper);
        for (int x : {1, 9})
            for (int y : {1, 9})
                p.drawRect(x, y, 5, 5);
        break;
    case 7: // page settings: a sheet with its margins
        sheet(p);
        p.setPen(QPen(kAccent, 1, Qt::DotLine));
        p.drawRect(5, 3, 6, 9);
        break;
    case 8: arrow(p, true, true); break;
    case 9: arrow(p, true, false); break;
    case 10: arrow(p, false, false); break;
    case 11: arrow(p, false, true); break;
    case 12: // outline: a small tree
        p.setPen(kInk);
        p.drawLine(3, 2, 3, 13);
        p.drawLine(3, 6, 7, 6);
        p.drawLine(3, 12, 7, 12);
        p.fillRect(8, 4, 6, 4, kAccent);
        p.fillRect(8, 10, 6, 4, kAccent);
        p.fillRect(1, 0, 5, 3, kAccent);
        break;
    case 21: // edit: a pencil over a sheet
        sheet(p);
        p.setPen(QPen(QColor(0xc0, 0x80, 0x20), 2.5));
        p.drawLine(5, 12, 13, 4);
        break;
    case 22: // full screen: four corners
        p.setPen(QPen(kInk, 1.5));
        p.drawPolyline(QPolygonF{{1, 5}, {1, 1}, {5, 1}});
        p.drawPolyline(QPolygonF{{11, 1}, {15, 1}, {15, 5}});
        p.drawPolyline(QPolygonF{{1, 11}, {1, 15}, {5, 15}});
        p.drawPolyline(QPolygonF{{11, 15}, {15, 15}, {15, 11}});
        break;
    default: break; // unused places of the strip stay empty
    }
}

} // namespace

const QImage& previewButtonStrip()
{
    static const QImage strip = [] {
        QImage image(16 * kImageCount, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 0; i < kImageCount; ++i) {
            p.save();
            p.translate(16 * i, 0);
            p.setClipRect(0, 0, 16, 16);
            drawImage(p, i);
            p.restore();
        }
        return image;
    }();
    return strip;
}

QIcon previewButtonImage(int index)
{
    if (index < 0 || index >= kImageCount)
        return {};
    return QIcon(QPixmap::fromImage(previewButtonStrip().copy(16 * index, 0, 16, 16)));
}

} // namespace preview
