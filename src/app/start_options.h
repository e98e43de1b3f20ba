#pragma once
#include <QString>
#include <QStringList>

class QObject;

namespace app {

// The prepared-report file to show instead of the main window: the one after --open, or a
// lone argument naming a .fp3 file (what a file manager passes). Empty for a normal start.
QString preparedReportArgument(const QStringList& arguments);

// QMX_BENCH_FIRST_PAINT, set by the start-up benchmark to the monotonic clock's nanoseconds
// at the spawn: the program prints "painted N ms" (the time since then) once its window has
// been painted the first time, and ends.
bool firstPaintProbeWanted();
void quitAfterFirstPaint(QObject& window);

} // namespace app
