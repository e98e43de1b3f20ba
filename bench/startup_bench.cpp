// Start-up of the program with the sample catalogue: from the process's spawn to its window's
// first paint (the program reports it, see app/start_options.h), the best and the median of
// several starts after one that creates the catalogue. argv[1]: the program.
#include "figure_line.h"
#include "process_run.h"
#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../bin/qmxdiy"));
    QTemporaryDir data, config;
    // The window's remembered place goes to a folder of the benchmark's, not the user's.
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qgetenv("DISPLAY").isEmpty() && qgetenv("QT_QPA_PLATFORM").isEmpty())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QStringList args{program, QStringLiteral("--data-dir"), data.path()};
    auto start = [&] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        qputenv("QMX_BENCH_FIRST_PAINT", QByteArray::number(qint64(now.tv_sec) * 1000000000 + now.tv_nsec));
        const ProcessRun run = runProcess(args);
        const QByteArray line = run.out.trimmed();
        return run.ok && line.startsWith("painted ") ? line.mid(8).split(' ').front().toDouble() : -1.0;
    };
    const double first = start(); // creates the sample catalogue
    std::vector<double> times;
    for (int k = 0; k < 15; ++k)
        times.push_back(start());
    if (first < 0 || std::any_of(times.begin(), times.end(), [](double t) { return t < 0; })) {
        std::fputs("startup: the program did not report its first paint\n", stderr);
        return 1;
    }
    std::sort(times.begin(), times.end());
    printFigure("first start, sample catalogue created", first, "ms");
    printFigure("start to first paint, best", times.front(), "ms");
    printFigure("start to first paint, median", times[times.size() / 2], "ms");
    return 0;
}
