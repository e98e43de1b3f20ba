// The hardware catalogue's two waits: a level-4 click on a category with 5,000 items until the
// item grid has painted its first rows, and a cell click until the record panel has painted
// the item's 2,000 × 1,500 product picture. Decoding that picture alone is printed beside it,
// as the machine's own yardstick.
#include "window_bench_support.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/picture_frame.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "dbaware/db_grid.h"
#include "platform/jpeg_codec.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kItems = 5000;
constexpr int kRepeats = 9;

void fill(db::Connection& c)
{
    c.execute(QStringLiteral("BEGIN"));
    c.execute(QStringLiteral("INSERT INTO L1 (L1_ID, L1_NM) VALUES (1, '电脑配件')"));
    c.execute(QStringLiteral("INSERT INTO L2 (L2_ID, L1_ID, L2_NM) VALUES (1, 1, '内存')"));
    c.execute(QStringLiteral("INSERT INTO L3 (L3_ID, L2_ID, L3_NM) VALUES (1, 1, '台式机内存')"));
    c.execute(QStringLiteral("INSERT INTO L4 (L4_ID, L3_ID, L4_NM) VALUES (1, 1, 'DDR5'), (2, 1, 'DDR4')"));
    c.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                             "INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_CS, HW_JG, HW_URL) "
                             "SELECT 1, '金士顿 FURY DDR5 6000 32GB #' || i, '条', 2025, '频率 6000MHz；时序 CL30 ' || i, "
                             "599.5 + i % 100, 'https://www.kingston.com/cn' FROM n")
                  .arg(kItems));
    c.execute(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_CS, HW_JG) VALUES (2, '威刚 8GB', '4800MHz', 99)"));
    c.execute(QStringLiteral("COMMIT"));
}

// A busy photograph-like picture, so the JPEG is as large as a camera's.
QImage photograph(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor::fromHsv(seed * 40 % 360, 120, 230));
    g.setColorAt(1, QColor::fromHsv((seed * 40 + 150) % 360, 200, 90));
    p.fillRect(image.rect(), g);
    std::uint32_t state = 12345u + seed;
    for (int k = 0; k < 4000; ++k) {
        state = state * 1664525u + 1013904223u;
        const int x = state % width, y = (state >> 8) % height, r = 4 + (state >> 20) % 40;
        p.setBrush(QColor::fromRgb(state & 0xFFFFFF));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(x, y), r, r);
    }
    return image;
}

double msSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

} // namespace

int main(int argc, char** argv)
{
    using bench_support::median;
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    bench_support::makeCatalogue(folder, fill);
    // Pictures for the first two items, different so that each click really loads one.
    QDir(folder.path()).mkpath(QStringLiteral("PICS"));
    for (int id : {1, 2})
        platform::writeJpegFile(folder.filePath(QStringLiteral("PICS/%1.jpg").arg(id)), photograph(2000, 1500, id));

    app::TFrm_main w(folder.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    w.btn_refreshClick();
    w.show();
    QApplication::processEvents();

    QTreeWidgetItem* memory = w.tree.tv1->topLevelItem(0)->child(0)->child(0);
    QTreeWidgetItem* ddr5 = memory->child(0);
    QTreeWidgetItem* ddr4 = memory->child(1);
    std::vector<double> click;
    for (int r = 0; r < kRepeats; ++r) {
        w.tree.tv1->setCurrentItem(ddr4);
        w.i();
        QApplication::processEvents();
        w.tree.tv1->setCurrentItem(ddr5);
        QElapsedTimer t;
        t.start();
        w.i();
        QApplication::processEvents(); // layout of the new rows
        w.catalogue.DBGrid1->viewport()->repaint();
        click.push_back(msSince(t));
    }
    const int listed = w.ADOQueryHW->recordCount();

    std::vector<double> picture, decode;
    for (int r = 0; r < kRepeats; ++r) {
        const int row = r % 2;
        w.ADOQueryHW->setCurrentRow(row);
        QElapsedTimer t;
        t.start();
        w.DBGrid1CellClick(1);
        w.record.Image1->repaint();
        picture.push_back(msSince(t));

        QElapsedTimer d;
        d.start();
        const QImage decoded = platform::readJpegFile(folder.filePath(QStringLiteral("PICS/%1.jpg").arg(row + 1)));
        decode.push_back(msSince(d));
        if (decoded.size() != QSize(2000, 1500))
            return 1;
    }
    const bool shown = w.record.Image1->picture().size() == QSize(2000, 1500);

    std::printf("level-4 click with %d items until the grid shows its first rows: %.1f ms (median of %d; goal <= 100 ms)\n",
                listed, median(click), kRepeats);
    std::printf("cell click until the 2000 x 1500 picture is shown: %.1f ms (median of %d; goal <= 60 ms)\n",
                median(picture), kRepeats);
    std::printf("decoding that picture alone: %.1f ms; shown / decode = %.2f\n", median(decode),
                median(picture) / median(decode));
    return listed == kItems && shown ? 0 : 1;
}
