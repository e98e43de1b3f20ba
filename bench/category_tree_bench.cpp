// Building the category tree of a catalogue with 10,000 categories over four levels (one
// statement per level), against the same statements stepped with plain sqlite3 calls on the
// same file; and a level-4 click on a category with 2,000 items.
#include "category_tree_data.h"
#include "window_bench_support.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/engines/file_engine.h"
#include "db/dataset.h"
#include <sqlcipher/sqlite3.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kItems = 2000;
constexpr int kRepeats = 7;

void fill(db::Connection& c)
{
    bench_support::fillCategoryTree(c, kItems);
}

// The refresh's statements stepped with sqlite3 calls, reading each row's id and name.
double rawStatementsMs(sqlite3* handle, long long& checksum)
{
    QElapsedTimer t;
    t.start();
    auto rows = [&](const QString& sql, auto&& perRow) {
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        sqlite3_prepare_v2(handle, text.constData(), -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            checksum += sqlite3_column_bytes(st, 1);
            perRow(static_cast<int>(sqlite3_column_int(st, 0)));
        }
        sqlite3_finalize(st);
    };
    for (const char* level : {"L1", "L2", "L3", "L4"})
        rows(QStringLiteral("select %1_ID, %1_NM from %1").arg(QLatin1String(level)), [](int) {});
    return t.nsecsElapsed() / 1e6;
}

int countNodes(const QTreeWidgetItem* item)
{
    int n = 1;
    for (int k = 0; k < item->childCount(); ++k)
        n += countNodes(item->child(k));
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    using bench_support::median;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    bench_support::makeCatalogue(folder, fill);

    app::TFrm_main w(folder.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    w.show();
    QApplication::processEvents();

    std::vector<double> refresh, raw, click;
    long long checksum = 0;
    for (int r = 0; r < kRepeats; ++r) {
        QElapsedTimer t;
        t.start();
        w.btn_refreshClick();
        refresh.push_back(t.nsecsElapsed() / 1e6);
        raw.push_back(rawStatementsMs(db::fileHandle(w.ADOConnection1->handle(), QString()), checksum));
    }
    int nodes = 0;
    for (int k = 0; k < w.tree.tv1->topLevelItemCount(); ++k)
        nodes += countNodes(w.tree.tv1->topLevelItem(k));

    // The category with the items is the first level-4 node of the first level-3 node.
    QTreeWidgetItem* target = w.tree.tv1->topLevelItem(0)->child(0)->child(0)->child(0);
    QTreeWidgetItem* other = w.tree.tv1->topLevelItem(1)->child(0)->child(0)->child(0);
    for (int r = 0; r < kRepeats; ++r) {
        w.tree.tv1->setCurrentItem(other);
        w.i();
        w.tree.tv1->setCurrentItem(target);
        QElapsedTimer t;
        t.start();
        w.i();
        click.push_back(t.nsecsElapsed() / 1e6);
    }
    const int listed = w.ADOQueryHW->active() ? w.ADOQueryHW->recordCount() : -1;

    std::printf("category tree nodes built: %d (goal 10000)\n", nodes);
    std::printf("refresh of 10000 categories: %.1f ms (median of %d; goal <= 300 ms)\n", median(refresh), kRepeats);
    std::printf("same statements with raw sqlite3 calls: %.1f ms; refresh / raw = %.1f\n", median(raw),
                median(refresh) / median(raw));
    std::printf("level-4 click with %d items: %.2f ms (median of %d; goal <= 50 ms)\n", listed, median(click),
                kRepeats);
    std::printf("(checksum %lld)\n", checksum);
    return nodes == 10000 && listed == kItems ? 0 : 1;
}
