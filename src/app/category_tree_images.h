#pragma once
#include <QIcon>
#include <QPixmap>

class QTreeWidgetItem;

namespace app {

// The tree's image list: six 16 × 16 images. Image 0 marks a node a category insert added
// (until the next refresh), images 1 to 4 the category levels, image 5 the selected node.
inline constexpr int kCategoryImageCount = 6;
inline constexpr int kInsertedNodeImage = 0;
inline constexpr int kSelectedNodeImage = 5;

// One image of the list, drawn once and kept.
QPixmap categoryTreeImage(int index);

// Gives a node its image and the image it shows while selected. The indexes are kept on the
// node (roles below) so the look can be checked without comparing pixels.
void setNodeImages(QTreeWidgetItem* node, int image, int selectedImage);
inline constexpr int kImageIndexRole = Qt::UserRole + 1;
inline constexpr int kSelectedImageIndexRole = Qt::UserRole + 2;

} // namespace app
