#pragma once

// The preview's 16 x 16 button images, drawn once into one strip and cut from it by number.

#include <QIcon>
#include <QImage>

namespace preview {

// The whole strip: 25 images side by side.
const QImage& previewButtonStrip();
// Image `index` of the strip; an empty icon outside it.
QIcon previewButtonImage(int index);

} // namespace preview
