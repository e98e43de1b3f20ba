// Price lists of 100,000 items: the export (goal <= 1 s), and the import of the same list with
// every price changed, its preview (reading and planning) and its one transaction together
// (goal <= 3 s). The same 100,000 price updates through plain sqlite3 calls in one
// transaction are printed beside it as the machine's yardstick.
#include "big_catalogue.h"
#include "db/engines/file_engine.h"
#include "db/price_list.h"
#include "db/price_list_import.h"
#include <sqlcipher/sqlite3.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }


// The exported text with every price one higher.
QByteArray raisePrices(const QByteArray& exported)
{
    QString text = QString::fromUtf8(exported.mid(3));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    static const QRegularExpression price(QStringLiteral(",(\\d+(\\.\\d+)?),(https[^,]*)$"));
    for (qsizetype k = 1; k < lines.size(); ++k) {
        const auto m = price.match(lines[k]);
        if (m.hasMatch())
            lines[k].replace(m.capturedStart(1), m.capturedLength(1), QString::number(m.captured(1).toDouble() + 1, 'g', 17));
    }
    return QByteArray("\xEF\xBB\xBF") + lines.join(QStringLiteral("\r\n")).toUtf8();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    const QString withSlash = folder.path() + QLatin1Char('/');
    db::Connection connection;
    bench_support::openBigCatalogue(connection, withSlash);

    const QString exported = folder.filePath(QStringLiteral("all.csv"));
    QElapsedTimer t;
    double cpu = bench_support::cpuMs();
    t.start();
    const int items = db::exportPriceList(connection, exported);
    std::printf("export of %d items: %.0f ms, processor time %.0f ms (goal <= 1000 ms)\n", items, ms(t),
                bench_support::cpuMs() - cpu);

    QFile file(exported);
    file.open(QIODevice::ReadOnly);
    const QString changed = folder.filePath(QStringLiteral("changed.csv"));
    QFile out(changed);
    out.open(QIODevice::WriteOnly);
    out.write(raisePrices(file.readAll()));
    out.close();

    cpu = bench_support::cpuMs();
    t.restart();
    const db::PriceListFile list = db::readPriceListFile(changed);
    const double read = ms(t);
    const db::ImportPlan plan = db::planImport(connection, list);
    const double preview = ms(t);
    db::applyImport(connection, list, plan);
    const double all = ms(t);
    const double allCpu = bench_support::cpuMs() - cpu;
    std::printf("import of %lld changed prices: read %.0f ms, preview %.0f ms, with the transaction %.0f ms, "
                "processor time %.0f ms (goal <= 3000 ms)\n",
                static_cast<long long>(plan.priceChanges.size()), read, preview, all, allCpu);

    // Yardstick: the same number of price updates through plain sqlite3 calls.
    cpu = bench_support::cpuMs();
    t.restart();
    sqlite3* h = db::fileHandle(connection.handle(), QString());
    sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(h, "UPDATE HW SET HW_JG = HW_JG + 1, HW_RQ = strftime('%Y-%m-%d %H:%M:%S', 'now', 'localtime') "
                          "WHERE HW_ID = ?", -1, &st, nullptr);
    for (int id = 1; id <= items; ++id) {
        sqlite3_bind_int(st, 1, id);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(h, "COMMIT", nullptr, nullptr, nullptr);
    const double raw = ms(t);
    const double rawCpu = bench_support::cpuMs() - cpu;
    std::printf("the same %d updates through plain sqlite3 calls: %.0f ms, processor time %.0f ms; import / plain = "
                "%.1f (processor time %.1f)\n",
                items, raw, rawCpu, all / raw, allCpu / rawCpu);
    return 0;
}
