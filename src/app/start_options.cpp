#include "app/start_options.h"
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
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

namespace {

// Calls `onPaint` at the window's first paint event, then removes itself.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, std::function<void()> onPaint)
        : QObject(&window), onPaint_(std::move(onPaint))
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && onPaint_) {
            auto onPaint = std::move(onPaint_);
            onPaint_ = nullptr;
            watched->removeEventFilter(this);
            onPaint();
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> onPaint_;
};

double millisecondsSinceSpawn()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const qint64 spawned = qEnvironmentVariable("QMX_BENCH_FIRST_PAINT").toLongLong();
    return double(qint64(now.tv_sec) * 1000000000 + now.tv_nsec - spawned) / 1e6;
}

} // namespace

void runAfterFirstPaint(QWidget& window, std::function<void()> step)
{
    // Queued: the paint reaches the screen first.
    new FirstPaintWatch(window, [&window, step = std::move(step)] { QTimer::singleShot(0, &window, step); });
}

bool firstPaintProbeWanted()
{
    return qEnvironmentVariableIsSet("QMX_BENCH_FIRST_PAINT");
}

void reportFirstPaint(QWidget& window)
{
    // Event filters run newest first, so steps queued by runAfterFirstPaint (installed after
    // this) are queued before the report and run before it.
    new FirstPaintWatch(window, [] {
        const double painted = millisecondsSinceSpawn();
        QTimer::singleShot(0, qApp, [painted] {
            std::printf("painted %.1f ms\nready %.1f ms\n", painted, millisecondsSinceSpawn());
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    });
}

} // namespace app
