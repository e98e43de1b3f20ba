#include "app/start_options.h"
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace app {

QString preparedReportArgument(const QStringList& arguments)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--open"))
            return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (a.startsWith(QLatin1String("--open=")))
            return a.mid(7);
        if (a == QLatin1String("--data-dir")) {
            ++i; // its folder is no report file, whatever its name
            continue;
        }
        if (!a.startsWith(QLatin1Char('-')) && a.endsWith(QLatin1String(".fp3"), Qt::CaseInsensitive))
            return a;
    }
    return {};
}

bool firstPaintProbeWanted()
{
    return qEnvironmentVariableIsSet("QMX_BENCH_FIRST_PAINT");
}

namespace {

class FirstPaintProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            // After this paint has reached the screen.
            QTimer::singleShot(0, qApp, [] {
                // The benchmark passes the monotonic clock's reading at the spawn.
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                const qint64 spawned = qEnvironmentVariable("QMX_BENCH_FIRST_PAINT").toLongLong();
                const qint64 elapsed = qint64(now.tv_sec) * 1000000000 + now.tv_nsec - spawned;
                std::printf("painted %.1f ms\n", double(elapsed) / 1e6);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool done_ = false;
};

} // namespace

void quitAfterFirstPaint(QObject& window)
{
    window.installEventFilter(new FirstPaintProbe(&window));
}

} // namespace app
