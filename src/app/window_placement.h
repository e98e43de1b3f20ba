#pragma once

class QWidget;

namespace app {

// The main window's size, position and maximised state are a setting of this workstation,
// kept in the user's configuration folder ($XDG_CONFIG_HOME/qmxdiy/qmxdiy.conf).

// Gives the window the place it had when it was last closed; the first time (or when that
// place lies on no screen any more) it keeps its size and is centred on the desktop.
void restoreWindowPlacement(QWidget& window);
void saveWindowPlacement(const QWidget& window);

} // namespace app
