// The built-in quotation sheet with the shop's details and the customer, prepared from a real
// catalogue file by qmxdiy-report as the program prepares it, read back from the PDF: the
// details take the free space, everything else stays where it was.
#include "../tool_run.h"

#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/quotation_records.h"
#include "db/shop_details.h"
#include "support/printed_sheet.h"
#include "support/test_paths.h"

#include <QBuffer>
#include <QImage>
#include <gtest/gtest.h>

namespace {

using testing_support::findWord;
using testing_support::inkBox;
using testing_support::SheetWord;
using testing_support::sheetPicture;
using testing_support::sheetWords;

constexpr int kDpi = 200;
const QString kNumber = QStringLiteral("20261209-01");

class ShopSheet : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createCatalogue(file, false);
        connection.setConnectionString(QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=%2")
                                           .arg(file, QLatin1String(db::kDatabasePassword)));
        connection.open();
        db::reserveQuotation(connection, kNumber, QStringLiteral("配置单"), true, QDateTime::currentDateTime());
    }

    // Lines enough for two pages: the header, footer and page numbers repeat.
    void addLines(int count)
    {
        for (int k = 1; k <= count; ++k)
            connection.execute(QStringLiteral("INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
                                              "VALUES ('%1', '配置单', '货物%2号', 1, %3, %3, 'CPU')")
                                   .arg(kNumber)
                                   .arg(k)
                                   .arg(100 + k));
    }

    QString print(const QString& name)
    {
        const QString pdf = folder.file(name);
        tool = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--db"), file,
                    QStringLiteral("--quotation"), kNumber, QStringLiteral("-o"), pdf});
        return pdf;
    }

    testing_support::TempFolder folder;
    QString file = folder.file(QStringLiteral("qmxpcdiy.dat"));
    db::Connection connection;
    ToolRun tool{};
};

bool samePlace(const SheetWord& a, const SheetWord& b)
{
    return a.page == b.page && std::abs(a.left - b.left) < 0.2 && std::abs(a.top - b.top) < 0.2
        && std::abs(a.right - b.right) < 0.2;
}

TEST_F(ShopSheet, DetailsTakeTheFreeSpaceAndRowsSumsAndPageNumbersStayWhereTheyWere)
{
    addLines(25);
    const QString plainPdf = print(QStringLiteral("plain.pdf"));
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString() << tool.err.toStdString();
    ASSERT_EQ(tool.out, QStringLiteral("pages: 2\n"));
    const QList<SheetWord> plain = sheetWords(plainPdf);
    // Without details the footer carries the program's credit line.
    ASSERT_TRUE(findWord(plain, QStringLiteral("QMX电脑装机写单DIY"), true));

    db::saveShopDetails(connection, {QStringLiteral("[小明]电脑城"), QStringLiteral("中关村大街1号"),
                                     QStringLiteral("010-62345678"), QStringLiteral("报价七天内有效，整机保修一年"), {}});
    db::saveCustomer(connection, kNumber, QStringLiteral("张三"), QStringLiteral("13800138000"), {});
    const QString shopPdf = print(QStringLiteral("shop.pdf"));
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString() << tool.err.toStdString();
    ASSERT_EQ(tool.out, QStringLiteral("pages: 2\n"));
    const QList<SheetWord> shop = sheetWords(shopPdf);

    // Every word but the credit line's is where it was: title, headings, every row, the sum,
    // the page numbers of both pages.
    int kept = 0;
    for (const SheetWord& w : plain) {
        const bool credit = w.top > 260 && w.bottom < 269;
        const bool found = std::any_of(shop.cbegin(), shop.cend(), [&](const SheetWord& s) { return s.text == w.text && samePlace(s, w); });
        EXPECT_NE(found, credit) << w.text.toStdString() << " page " << w.page << " at " << w.left << ", " << w.top;
        kept += found;
    }
    EXPECT_GT(kept, 100);

    const SheetWord* title = findWord(shop, QStringLiteral("配置单"));
    const SheetWord* number = findWord(shop, QStringLiteral("编号"));
    const SheetWord* printDate = findWord(shop, QStringLiteral("打印日期"));
    ASSERT_TRUE(title && number && printDate);
    // The shop's name (brackets and all, as typed) and its contact line between the title
    // (its type 7 mm high) and the black bar (36 mm down the page), on each page.
    for (const QString& text : {QStringLiteral("[小明]电脑城"), QStringLiteral("中关村大街1号"), QStringLiteral("010-62345678")}) {
        const auto count = std::count_if(shop.cbegin(), shop.cend(), [&](const SheetWord& s) {
            const double middle = (s.top + s.bottom) / 2;
            return s.text == text && middle > title->bottom && middle < 36;
        });
        EXPECT_EQ(count, 2) << text.toStdString();
    }
    // The name line above the contact line.
    EXPECT_LT(findWord(shop, QStringLiteral("[小明]电脑城"))->top, findWord(shop, QStringLiteral("中关村大街1号"))->top);
    // The customer on the number's row, between the number and the print date. (The PDF's
    // text maps the glyph of 户 to its traditional form: "客" is matched alone.)
    for (const QString& text : {QStringLiteral("客"), QStringLiteral("张三"), QStringLiteral("13800138000")}) {
        const SheetWord* w = findWord(shop, text, text.size() == 1);
        ASSERT_TRUE(w) << text.toStdString();
        EXPECT_NEAR(w->top, number->top, 1.2) << text.toStdString();
        EXPECT_GT(w->left, 60);
        EXPECT_LT(w->right, printDate->left);
    }
    // The note in place of the credit line, between the footer's rules.
    const SheetWord* note = findWord(shop, QStringLiteral("报价七天内有效"), true);
    ASSERT_TRUE(note);
    EXPECT_GT(note->top, 258);
    EXPECT_LT(note->bottom, 268.5);
    EXPECT_FALSE(findWord(shop, QStringLiteral("QMX电脑装机写单DIY"), true));
}

TEST_F(ShopSheet, TheLogoIsDrawnInsideItsBoxAtTheHeadersLeft)
{
    addLines(2);
    const QString plainPdf = print(QStringLiteral("plain.pdf"));
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString() << tool.err.toStdString();
    // The logo's box: 30 × 15 mm at the header's left, above the black bar.
    const double left = 20, top = 20.5, right = 50, bottom = 35.5;
    EXPECT_TRUE(inkBox(sheetPicture(plainPdf, 1, kDpi), kDpi, 10, 18, 70, 35.8).empty());

    QImage logo(300, 100, QImage::Format_RGB32); // 3:1, so it fills the box's width
    logo.fill(Qt::black);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(logo.save(&buffer, "PNG"));
    db::saveShopDetails(connection, {{}, {}, {}, {}, png});
    const QString logoPdf = print(QStringLiteral("logo.pdf"));
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString() << tool.err.toStdString();
    const auto ink = inkBox(sheetPicture(logoPdf, 1, kDpi), kDpi, 10, 18, 70, 35.8);
    ASSERT_FALSE(ink.empty());
    EXPECT_NEAR(ink.left, left, 0.5);
    EXPECT_NEAR(ink.right, right, 0.5);
    // Its aspect kept: 10 mm high, centred in the box's 15.
    EXPECT_NEAR(ink.top, top + 2.5, 0.5);
    EXPECT_NEAR(ink.bottom, bottom - 2.5, 0.5);
}

} // namespace
