// Start-up of the program with the sample catalogue: from the process's spawn to its window's
// first paint and to the catalogue opened after it (the program reports both, see
// app/start_options.h), over several starts after one that creates the catalogue.
// argv[1]: the program (default: bin/qmxdiy of the build).
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
        // "painted N ms", then "ready N ms" (the catalogue opened).
        const QList<QByteArray> lines = run.out.trimmed().split('\n');
        if (!run.ok || lines.size() != 2 || !lines[0].startsWith("painted ") || !lines[1].startsWith("ready "))
            return std::pair{-1.0, -1.0};
        return std::pair{lines[0].split(' ')[1].toDouble(), lines[1].split(' ')[1].toDouble()};
    };
    const auto first = start(); // creates the sample catalogue
    std::vector<double> painted, ready;
    for (int k = 0; k < 15; ++k) {
        const auto [p, r] = start();
        painted.push_back(p);
        ready.push_back(r);
    }
    if (first.first < 0 || std::any_of(painted.begin(), painted.end(), [](double t) { return t < 0; })) {
        std::fputs("startup: the program did not report its first paint\n", stderr);
        return 1;
    }
    std::sort(painted.begin(), painted.end());
    std::sort(ready.begin(), ready.end());
    printFigure("first start (sample catalogue created), first paint", first.first, "ms");
    printFigure("start to first paint, best", painted.front(), "ms");
    printFigure("start to first paint, median", painted[painted.size() / 2], "ms");
    printFigure("start to catalogue opened, median", ready[ready.size() / 2], "ms");
    return 0;
}
