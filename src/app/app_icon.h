#pragma once
#include <QIcon>

namespace app {

// The window's 32 × 32 icon, drawn rather than stored: a computer case and screen.
QIcon applicationIcon();

} // namespace app
