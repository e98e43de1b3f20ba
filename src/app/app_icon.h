#pragma once
#include <QIcon>
#include <QImage>

namespace app {

// The program's icon, drawn rather than stored: a computer case and screen, designed on a
// 32 × 32 grid and drawn at any size (the window's icon, the desktop's hicolor icons).
QImage applicationIconImage(int size);
QIcon applicationIcon();

// The sizes the desktop's icon theme gets.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace app
