// The six tree images, drawn with QPainter: a plain folder sheet for a node added by an
// insert, four folders whose colour and count of rulings show the level, and an opened
// folder for the selection.
#include "app/category_tree_images.h"
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QTreeWidgetItem>
#include <array>

namespace app {
namespace {

QPixmap drawFolder(const QColor& body, int rulings, bool open)
{
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor edge = body.darker(170);
    // Tab and back of the folder.
    p.setPen(edge);
    p.setBrush(body.darker(115));
    p.drawRect(1, 3, 5, 2);
    p.drawRect(1, 4, 13, 10);
    if (open) {
        // The front flap leans forward.
        QPainterPath flap;
        flap.moveTo(3, 7);
        flap.lineTo(15, 7);
        flap.lineTo(13, 14);
        flap.lineTo(1, 14);
        flap.closeSubpath();
        p.setBrush(body.lighter(125));
        p.drawPath(flap);
    } else {
        p.setBrush(body);
        p.drawRect(1, 6, 13, 8);
    }
    // One ruling per level on the front.
    p.setPen(body.lighter(160));
    for (int k = 0; k < rulings; ++k)
        p.drawLine(4, 8 + 2 * k, 11, 8 + 2 * k);
    return image;
}

QPixmap drawNewSheet()
{
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(255, 255, 240));
    p.drawRect(3, 1, 9, 13);
    // A small green plus in the lower corner: something just added.
    p.setPen(QPen(QColor(0, 150, 0), 2));
    p.drawLine(11, 9, 11, 15);
    p.drawLine(8, 12, 14, 12);
    return image;
}

const std::array<QPixmap, kCategoryImageCount>& imageList()
{
    static const std::array<QPixmap, kCategoryImageCount> images = {
        drawNewSheet(),
        drawFolder(QColor(230, 170, 40), 1, false),
        drawFolder(QColor(70, 140, 220), 2, false),
        drawFolder(QColor(80, 170, 90), 3, false),
        drawFolder(QColor(190, 90, 180), 0, false),
        drawFolder(QColor(220, 60, 50), 0, true),
    };
    return images;
}

} // namespace

QPixmap categoryTreeImage(int index)
{
    if (index < 0 || index >= kCategoryImageCount)
        return {};
    return imageList()[static_cast<size_t>(index)];
}

void setNodeImages(QTreeWidgetItem* node, int image, int selectedImage)
{
    // A refresh gives thousands of nodes the same few icons: share them.
    static QHash<int, QIcon> icons;
    const int key = image * kCategoryImageCount + selectedImage;
    auto found = icons.find(key);
    if (found == icons.end()) {
        QIcon icon;
        icon.addPixmap(categoryTreeImage(image), QIcon::Normal);
        icon.addPixmap(categoryTreeImage(selectedImage), QIcon::Selected);
        found = icons.insert(key, icon);
    }
    node->setIcon(0, *found);
    node->setData(0, kImageIndexRole, image);
    node->setData(0, kSelectedImageIndexRole, selectedImage);
}

} // namespace app
