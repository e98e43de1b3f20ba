#pragma once
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace app {

// The prepared-report file to show instead of the main window: the one after --open, or a
// lone argument naming a .fp3 file (what a file manager passes). Empty for a normal start.
QString preparedReportArgument(const QStringList& arguments);

// Runs `step` once, as soon as the window has been painted for the first time: the window
// shows at once and the slower part of starting (opening the catalogue) follows.
void runAfterFirstPaint(QWidget& window, std::function<void()> step);

// QMX_BENCH_FIRST_PAINT, set by the start-up benchmark to the monotonic clock's nanoseconds
// at the spawn: the program prints "painted N ms" (the time from then to the window's first
// paint) and "ready N ms" (to the end of the steps run after it), and ends. Call it before
// runAfterFirstPaint.
bool firstPaintProbeWanted();
void reportFirstPaint(QWidget& window);

} // namespace app
