// The management panel's list of quotations: 10,000 quotations of 8 lines each (a shop's
// year and a half) read when the panel opens, against the bare grouping of the lines by the
// engine (the least any list of counts and sums costs) in the same run; then narrowed by a
// customer's name as the operator types, in memory. Median of 20 runs each; goals: opening
// <= 500 ms, a keystroke <= 50 ms. Also the number "1、建立清单" offers.
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/quotation_records.h"
#include "db/transaction.h"
#include "figure_line.h"
#include <sqlcipher/sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr int kQuotations = 10000;
constexpr int kLinesEach = 8;
constexpr int kRuns = 20;

double medianMs(const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int k = 0; k < kRuns; ++k) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void fill(db::Connection& connection)
{
    const QStringList surnames = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
    db::Transaction transaction(connection);
    db::detail::Statement quote(connection.handle(),
                                "INSERT INTO QUOTE (DIY_ID, DIY_NM, CUST_NM, CUST_TEL, DIY_RQ) VALUES (?, ?, ?, ?, ?)");
    db::detail::Statement line(connection.handle(),
                               "INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
                               "VALUES (?, ?, 'CPU 处理器 i5-12400F……', 1, ?, ?, 'CPU')");
    // Twenty a day, from nine o'clock on.
    const QDate first(2025, 6, 1);
    for (int q = 0; q < kQuotations; ++q) {
        const QDateTime when(first.addDays(q / 20), QTime(9, 0).addSecs((q % 20) * 1500));
        const QString number = db::dayNumber(when.date(), q % 20 + 1);
        const QString name = QStringLiteral("装机单%1").arg(q);
        quote.bind(1, number)
            .bind(2, name)
            .bind(3, surnames[q % surnames.size()] + QStringLiteral("先生%1").arg(q))
            .bind(4, QStringLiteral("138%1").arg(q, 8, 10, QLatin1Char('0')))
            .bind(5, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
            .run();
        for (int l = 0; l < kLinesEach; ++l)
            line.bind(1, number).bind(2, name).bind(3, double(100 + l)).bind(4, double(100 + l)).run();
    }
    transaction.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString file = QDir(folder.path()).filePath(QStringLiteral("qmxpcdiy.dat"));
    db::createCatalogue(file, false);
    db::Connection connection;
    connection.setConnectionString(QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=%2")
                                       .arg(file, QLatin1String(db::kDatabasePassword)));
    connection.open();
    fill(connection);

    qsizetype listed = 0;
    const double whole = medianMs([&] { listed += db::listQuotations(connection).size(); });
    const QList<db::QuotationRecord> read = db::listQuotations(connection);
    const double narrowed = medianMs([&] { listed += db::narrowQuotations(read, QStringLiteral("张先生")).size(); });
    const double grouping = medianMs([&] {
        db::detail::Statement rows(connection.handle(),
                                   "SELECT DIY_ID, count(*), total(DIY_CASH) FROM DIY GROUP BY DIY_ID");
        while (rows.step())
            ++listed;
    });
    const double offered = medianMs([&] { listed += db::nextFreeNumber(connection, QDate(2026, 1, 1)).size(); });
    printFigure("list of 10,000 quotations read from the file (ms)", whole, "ms");
    printFigure("list narrowed by a search text, per keystroke (ms)", narrowed, "ms");
    printFigure("engine's bare grouping of the 80,000 lines (ms)", grouping, "ms");
    printFigure("list whole / bare grouping", whole / grouping, "x");
    printFigure("number offered by 1、建立清单 (ms)", offered, "ms");
    return listed > 0 ? 0 : 1;
}
