// Reading a large catalogue through the dataset against a plain sqlite3_step loop on the same
// file, and posting rows one by one (each committed on its own). The read is single-threaded,
// so its ratio is also given in the thread's CPU time, which other work on a shared machine
// does not stretch.
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/engines/file_engine.h"
#include "db/dataset.h"
#include "db/statements.h"
#include <sqlcipher/sqlite3.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kRows = 100000;
constexpr int kPosts = 5000;
constexpr int kRepeats = 5;

// Wall-clock and CPU milliseconds of one run.
struct Times {
    double wall = 1e300;
    double cpu = 1e300;
    void keepBest(const Times& other)
    {
        wall = std::min(wall, other.wall);
        cpu = std::min(cpu, other.cpu);
    }
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class Stopwatch {
public:
    Stopwatch() : cpu_(threadCpuMs()) { wall_.start(); }
    Times elapsed() const { return {wall_.nsecsElapsed() / 1e6, threadCpuMs() - cpu_}; }

private:
    QElapsedTimer wall_;
    double cpu_;
};

void fill(db::Connection& c)
{
    c.execute(QStringLiteral("BEGIN"));
    c.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_RQ, HW_CS, HW_JG, HW_URL) "
        "SELECT i % 200, '金士顿 FURY Beast DDR5 6000 32GB 套条 #' || i, '条', 2025, '2026-11-30 09:00:00', "
        "'频率 6000MHz；时序 CL30；电压 1.35V；容量 16GB×2；散热马甲；终身保固 ' || i, 599.5 + i % 100, "
        "CASE WHEN i % 10 = 0 THEN 'https://www.example.com/p/' || i END FROM n").arg(kRows));
    c.execute(QStringLiteral("COMMIT"));
}

Times rawLoop(sqlite3* handle, long long& checksum)
{
    const Stopwatch t;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(handle, "select * from HW", -1, &st, nullptr);
    const int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            switch (sqlite3_column_type(st, c)) {
            case SQLITE_INTEGER: checksum += sqlite3_column_int64(st, c); break;
            case SQLITE_FLOAT: checksum += static_cast<long long>(sqlite3_column_double(st, c)); break;
            case SQLITE_TEXT: checksum += sqlite3_column_text(st, c)[0] + sqlite3_column_bytes(st, c); break;
            case SQLITE_BLOB: checksum += sqlite3_column_bytes(st, c); break;
            default: break;
            }
        }
    }
    sqlite3_finalize(st);
    return t.elapsed();
}

Times viaDataset(db::Connection& c, long long& checksum)
{
    const Stopwatch t;
    db::Dataset hw(QStringLiteral("ADOQueryHW"), &c);
    db::openStatement(hw, QStringLiteral("select * from HW"));
    const int id = hw.fieldIndex(QStringLiteral("HW_ID"));
    const int price = hw.fieldIndex(QStringLiteral("HW_JG"));
    for (hw.first(); !hw.eof(); hw.next()) {
        checksum += hw.valueAt(hw.currentRow(), id).toLongLong();
        checksum += static_cast<long long>(hw.valueAt(hw.currentRow(), price).toDouble());
    }
    return t.elapsed();
}

// Milliseconds of one small append made durable with fsync, the least a synced commit costs
// on this disk.
double syncedAppendMs(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("fsync-probe"));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    constexpr int kAppends = 200;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kAppends; ++i) {
        if (::write(fd, "0123456789abcdef", 16) != 16 || ::fsync(fd) != 0)
            break;
    }
    const double ms = t.nsecsElapsed() / 1e6 / kAppends;
    ::close(fd);
    ::unlink(path.constData());
    return ms;
}

// Rows per second of inserts posted one by one, each its own transaction.
double postOneByOne(db::Connection& c)
{
    db::Dataset hw(QStringLiteral("ADOQueryHW"), &c);
    db::openStatement(hw, db::statements::itemsUnderL4Named(QStringLiteral("none")));
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kPosts; ++i) {
        hw.append();
        hw.setValue(QStringLiteral("L4_ID"), 1);
        hw.setValue(QStringLiteral("HW_MC"), QStringLiteral("新货 %1").arg(i));
        hw.setValue(QStringLiteral("HW_JG"), 100.0 + i);
        hw.post();
    }
    return kPosts / (t.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    db::createCatalogue(folder + QStringLiteral("qmxpcdiy.dat"), false);
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(folder));
    c.open();
    fill(c);

    long long checksum = 0;
    Times raw, dataset;
    for (int i = 0; i < kRepeats; ++i) { // best of several: the machines are shared
        raw.keepBest(rawLoop(db::fileHandle(c.handle(), QString()), checksum));
        dataset.keepBest(viaDataset(c, checksum));
    }
    std::printf("read %d HW rows, plain sqlite3_step loop: %.1f ms\n", kRows, raw.wall);
    std::printf("read %d HW rows, dataset: %.1f ms\n", kRows, dataset.wall);
    std::printf("read ratio dataset / plain loop: %.2f (goal <= 1.5)\n", dataset.wall / raw.wall);
    std::printf("read ratio dataset / plain loop in thread CPU time: %.2f\n", dataset.cpu / raw.cpu);

    // The connection's own settings (every commit synced to the disk, so a power cut loses
    // no committed row), then the log synced only at checkpoints for comparison.
    const double synced = postOneByOne(c);
    c.execute(QStringLiteral("PRAGMA synchronous = NORMAL"));
    const double unsynced = postOneByOne(c);
    std::printf("insert and post one by one, each committed and synced (synchronous=FULL): %.0f rows/s (goal >= 5000)\n",
                synced);
    std::printf("insert and post one by one, synchronous=NORMAL for comparison: %.0f rows/s\n", unsynced);
    std::printf("cost of syncing every commit: %.2f x the time per row\n", unsynced / synced);
    const double appendMs = syncedAppendMs(folder);
    std::printf("the disk's bound: one append synced to a file beside it: %.2f ms (%.0f per second)\n", appendMs,
                1000 / appendMs);
    std::fprintf(stderr, "checksum %lld\n", checksum);
    return 0;
}
