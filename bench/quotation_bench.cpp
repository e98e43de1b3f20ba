// The recompute of a 1,000-line quotation through the main window (every line edited and
// posted through DBNV3 inside one transaction), against the same work done by one UPDATE
// statement and by 1,000 prepared UPDATEs with plain sqlite3 calls on the same file.
#include "app/data_folder.h"
#include "app/main_window.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/engines/file_engine.h"
#include "db/dataset.h"
#include "platform/widgets/dialogs.h"
#include <sqlcipher/sqlite3.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kLines = 1000;
constexpr int kRepeats = 7;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void exec(sqlite3* handle, const char* sql)
{
    if (sqlite3_exec(handle, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "sqlite3: %s\n", sqlite3_errmsg(handle));
}

// Every stored amount made stale, so that the recompute has to write each line.
void staleAmounts(sqlite3* handle)
{
    exec(handle, "UPDATE DIY SET DIY_CASH = DIY_CASH + 1");
}

double rawSingleUpdateMs(sqlite3* handle)
{
    staleAmounts(handle);
    QElapsedTimer t;
    t.start();
    exec(handle, "BEGIN IMMEDIATE");
    exec(handle, "UPDATE DIY SET DIY_CASH = coalesce(DIY_SL, 0) * coalesce(DIY_JG, 0) WHERE DIY_ID = 'BENCH'");
    exec(handle, "COMMIT");
    return t.nsecsElapsed() / 1e6;
}

double rawRowByRowMs(sqlite3* handle)
{
    staleAmounts(handle);
    QElapsedTimer t;
    t.start();
    exec(handle, "BEGIN IMMEDIATE");
    sqlite3_stmt* read = nullptr;
    sqlite3_stmt* write = nullptr;
    sqlite3_prepare_v2(handle, "SELECT DIY_SYS_ID, DIY_SL, DIY_JG FROM DIY WHERE DIY_ID = 'BENCH'", -1, &read, nullptr);
    sqlite3_prepare_v2(handle, "UPDATE DIY SET DIY_CASH = ? WHERE DIY_SYS_ID = ?", -1, &write, nullptr);
    while (sqlite3_step(read) == SQLITE_ROW) {
        sqlite3_bind_double(write, 1, sqlite3_column_int(read, 1) * sqlite3_column_double(read, 2));
        sqlite3_bind_int64(write, 2, sqlite3_column_int64(read, 0));
        sqlite3_step(write);
        sqlite3_reset(write);
    }
    sqlite3_finalize(read);
    sqlite3_finalize(write);
    exec(handle, "COMMIT");
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    db::createCatalogue(folder.filePath(QString::fromLatin1(db::kDatabaseFileName)), false);
    db::Connection raw(QStringLiteral("raw"));
    raw.setConnectionString(db::ConnectionString::build(app::withSlash(folder.path())));
    raw.open();
    raw.execute(QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
        "INSERT INTO DIY (DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
        "SELECT 'BENCH', '配置单', i, 1, '存储 硬盘 希捷 酷鱼 2TB #' || i || ' 7200转/256MB缓存/SATA3接口……', "
        "1 + i % 3, 199.5 + i % 50, 0, '配件' FROM n")
                    .arg(kLines));

    app::TFrm_main w(folder.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    w.show();
    QApplication::processEvents();
    platform::setDialogResponder([](const platform::DialogRequest& request) {
        return platform::DialogAnswer{true, request.kind == platform::DialogKind::Prompt ? QStringLiteral("BENCH")
                                                                                          : QString()};
    });
    w.btn_create0Click(); // opens the 1,000 lines and recomputes them once
    const int lines = w.ADOQueryDIY->active() ? w.ADOQueryDIY->recordCount() : -1;

    std::vector<double> changed, unchanged, single, rowByRow;
    for (int r = 0; r < kRepeats; ++r) {
        staleAmounts(db::fileHandle(raw.handle(), QString()));
        w.ADOQueryDIY->refresh(); // the view reads the stale amounts (not timed)
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        w.quotation.btn_cash1->click();
        changed.push_back(t.nsecsElapsed() / 1e6);
        QApplication::processEvents();

        t.restart();
        w.quotation.btn_cash1->click();
        unchanged.push_back(t.nsecsElapsed() / 1e6);
        QApplication::processEvents();

        single.push_back(rawSingleUpdateMs(db::fileHandle(raw.handle(), QString())));
        rowByRow.push_back(rawRowByRowMs(db::fileHandle(raw.handle(), QString())));
    }

    std::printf("quotation lines recomputed: %d (goal %d); caption %s\n", lines, kLines,
                qPrintable(w.quotation.bbtn_cash->text()));
    std::printf("recompute of %d lines, every amount rewritten: %.1f ms (median of %d; goal <= 150 ms)\n", kLines,
                median(changed), kRepeats);
    std::printf("recompute of %d lines, amounts already right: %.1f ms\n", kLines, median(unchanged));
    std::printf("raw sqlite3, one UPDATE statement: %.2f ms; recompute / raw = %.1f\n", median(single),
                median(changed) / median(single));
    std::printf("raw sqlite3, %d prepared UPDATEs in one transaction: %.2f ms; recompute / raw = %.1f\n", kLines,
                median(rowByRow), median(changed) / median(rowByRow));
    platform::setDialogResponder({});
    return lines == kLines ? 0 : 1;
}
