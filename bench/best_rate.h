#pragma once

// The best rate of several runs of a loop: runs the body `repeats` times over `count`
// iterations and answers the highest iterations per second, so one slow run caused by the
// shared machine does not hide the code's speed.

#include <QElapsedTimer>

#include <algorithm>

template <typename F>
double bestRate(int repeats, qint64 count, F&& body)
{
    double best = 0;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer t;
        t.start();
        body(count);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        best = std::max(best, double(count) / seconds);
    }
    return best;
}
