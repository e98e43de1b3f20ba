#include "app/window_placement.h"
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <algorithm>

namespace app {

namespace {

// The window's own rectangle (without the frame the window manager adds), as setGeometry
// takes it back; saveGeometry's frame arithmetic guesses the title bar while the window is
// not shown, which moves it on every start.
const QString kRectKey = QStringLiteral("window/rect");
const QString kMaximisedKey = QStringLiteral("window/maximized");

QSettings workstationSettings()
{
    return QSettings(QStringLiteral("qmxdiy"), QStringLiteral("qmxdiy"));
}

bool onSomeScreen(const QRect& rect)
{
    const auto screens = QGuiApplication::screens();
    return std::any_of(screens.cbegin(), screens.cend(),
                       [&](const QScreen* s) { return s->availableGeometry().intersects(rect); });
}

} // namespace

void restoreWindowPlacement(QWidget& window)
{
    const QSettings settings = workstationSettings();
    const QRect saved = settings.value(kRectKey).toRect();
    if (saved.isValid() && onSomeScreen(saved)) {
        window.setGeometry(QRect(saved.topLeft(), saved.size().expandedTo(window.minimumSize())));
        if (settings.value(kMaximisedKey).toBool())
            window.setWindowState(window.windowState() | Qt::WindowMaximized);
        return;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
}

void saveWindowPlacement(const QWidget& window)
{
    QSettings settings = workstationSettings();
    const bool maximised = window.isMaximized();
    // A maximised window reopens maximised, and un-maximises to where it was before.
    settings.setValue(kRectKey, maximised ? window.normalGeometry() : window.geometry());
    settings.setValue(kMaximisedKey, maximised);
    settings.sync();
}

} // namespace app
