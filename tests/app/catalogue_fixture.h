#pragma once
// The hardware catalogue over a real catalogue file: one level-4 category of memory with three
// items, pictures as real JPEG files in the data folder's PICS, and the window shown so that
// clicks, keys and focus behave as for the operator.
#include "category_fixture.h"
#include "app/picture_frame.h"
#include "dbaware/db_grid.h"
#include "platform/jpeg_codec.h"
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace catalogue_testing {

using namespace category_testing;

// A picture of one colour, with a darker corner so that orientation mistakes show.
inline QImage plainPicture(const QColor& colour, int width = 64, int height = 48)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    for (int y = 0; y < height / 4; ++y)
        for (int x = 0; x < width / 4; ++x)
            image.setPixel(x, y, qRgb(10, 10, 10));
    return image;
}

// The colour in the middle of a picture, as its hue family: 'r', 'g', 'b' or '?'.
inline char colourOf(const QImage& picture)
{
    if (picture.isNull())
        return '?';
    const QColor c = picture.pixelColor(picture.width() / 2, picture.height() / 2);
    if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
        return 'r';
    if (c.green() > 180 && c.red() < 80 && c.blue() < 80)
        return 'g';
    if (c.blue() > 180 && c.red() < 80 && c.green() < 80)
        return 'b';
    return '?';
}

class CatalogueTest : public ::testing::Test {
protected:
    // 电脑 > 配件 > 内存 > {DDR5: 金士顿 (red picture), 芝奇 (no picture), 海盗船 (blue picture,
    // no parameters)}, {DDR4: 威刚}.
    void SetUp() override
    {
        const int l1 = cat.l1(QStringLiteral("电脑"));
        const int l2 = cat.l2(l1, QStringLiteral("配件"));
        const int l3 = cat.l3(l2, QStringLiteral("内存"));
        ddr5 = cat.l4(l3, QStringLiteral("DDR5"));
        ddr4 = cat.l4(l3, QStringLiteral("DDR4"));
        kingston = cat.item(ddr5, QStringLiteral("金士顿 32GB"));
        gskill = cat.item(ddr5, QStringLiteral("芝奇 32GB"));
        corsair = cat.item(ddr5, QStringLiteral("海盗船 16GB"));
        adata = cat.item(ddr4, QStringLiteral("威刚 8GB"));
        cat.run(QStringLiteral("update HW set HW_CS = '6000MHz CL30' where HW_ID = %1").arg(kingston));
        cat.run(QStringLiteral("update HW set HW_CS = '6400MHz CL32' where HW_ID = %1").arg(gskill));
        cat.run(QStringLiteral("update HW set HW_CS = '4800MHz' where HW_ID = %1").arg(adata));
        QDir(cat.folder.path()).mkpath(QStringLiteral("PICS"));
        platform::writeJpegFile(picturePath(kingston), plainPicture(Qt::red));
        platform::writeJpegFile(picturePath(corsair), plainPicture(Qt::blue));

        w = openWindow(cat);
        w->show();
        QApplication::setActiveWindow(w.get());
    }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    QString picturePath(int id) const { return cat.folder.file(QStringLiteral("PICS/%1.jpg").arg(id)); }
    void openDdr5() { click(*w, node(*w, {"电脑", "配件", "内存", "DDR5"})); }

    // A left click on a cell of the item grid, as the operator makes it.
    void clickRow(int row, int column = 1)
    {
        QApplication::processEvents();
        const QRect cell = w->catalogue.DBGrid1->visualRect(w->catalogue.DBGrid1->model()->index(row, column));
        ASSERT_TRUE(cell.isValid()) << "row " << row << " is not on screen";
        QTest::mouseClick(w->catalogue.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Makes an item the grid's current row.
    void goToItem(int id)
    {
        db::Dataset& items = *w->ADOQueryHW;
        for (int r = 0; r < items.recordCount(); ++r)
            if (items.valueAt(r, items.fieldIndex(QStringLiteral("HW_ID"))).toInt() == id) {
                items.setCurrentRow(r);
                return;
            }
        FAIL() << "item " << id << " is not listed";
    }
    // A value of an item as the catalogue file holds it.
    QString stored(int id, const QString& column)
    {
        return cat.column(QStringLiteral("select %1 as v from HW where HW_ID = %2").arg(column).arg(id),
                          QStringLiteral("v"))
            .value(0);
    }
    bool storedNull(int id, const QString& column)
    {
        return cat.count(QStringLiteral("select %1 is null as n from HW where HW_ID = %2").arg(column).arg(id)) == 1;
    }

    Catalogue cat;
    Dialogs dialogs;
    std::unique_ptr<app::TFrm_main> w;
    int ddr5 = 0, ddr4 = 0, kingston = 0, gskill = 0, corsair = 0, adata = 0;
};

} // namespace catalogue_testing
