// The built-in quotation sheet as the customer gets it: lines from a CSV file prepared into a
// PDF by qmxdiy-report, read back with poppler (word boxes and the page at 200 dpi).
#include "../tool_run.h"

#include "support/printed_sheet.h"
#include "support/test_paths.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using testing_support::findWord;
using testing_support::inkBox;
using testing_support::sheetPicture;
using testing_support::sheetWords;

constexpr int kDpi = 200;

struct Line {
    QString name, description, quantity, price, amount, category = QStringLiteral("CPU");
};

class QuotationSheet : public ::testing::Test {
protected:
    // Prepares the lines into a PDF; the tool's output lines and exit code are kept.
    QString print(const QList<Line>& lines)
    {
        const QString csv = folder.file(QStringLiteral("lines.csv"));
        QFile file(csv);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        QString text = QStringLiteral("DIY_ID,DIY_NM,HW_ID,L2_ID,HW_MS,DIY_SL,DIY_JG,DIY_CASH,L2_NM,DIY_SYS_ID\n");
        int id = 0;
        for (const Line& l : lines) {
            ++id;
            text += QStringLiteral("Q1,\"%1\",%2,1,\"%3\",%4,%5,%6,%7,%2\n")
                        .arg(l.name)
                        .arg(id)
                        .arg(l.description, l.quantity, l.price, l.amount, l.category);
        }
        file.write(text.toUtf8());
        file.close();
        const QString pdf = folder.file(QStringLiteral("sheet.pdf"));
        tool = run({QStringLiteral("prepare"), QStringLiteral("--builtin"), QStringLiteral("--csv"),
                    QStringLiteral("frxDBDataset1=") + csv, QStringLiteral("-o"), pdf});
        return pdf;
    }

    testing_support::TempFolder folder;
    ToolRun tool{};
};

Line plainLine(const QString& name)
{
    return {name, QStringLiteral("CPU 处理器 i5-12400F……"), QStringLiteral("1"), QStringLiteral("899"),
            QStringLiteral("899")};
}

TEST_F(QuotationSheet, TheTitleIsTheNameAsTypedInItsDesignedLargeCentredBoldType)
{
    const QString pdf = print({plainLine(QStringLiteral("[客]张三的装机单"))});
    // Brackets from data are text: no expression is run and no error line printed.
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString() << tool.err.toStdString();
    EXPECT_EQ(tool.out, QStringLiteral("pages: 1\n"));
    const auto words = sheetWords(pdf);
    const auto* title = findWord(words, QStringLiteral("[客]张三的装机单"));
    ASSERT_TRUE(title) << "no title word";

    // The title stands above the black bar (36 mm down): its ink is about 6 mm high (20 pt
    // Chinese type) and centred on the 170 mm the header spans from the 20 mm margin.
    const QImage page = sheetPicture(pdf, 1, kDpi);
    ASSERT_FALSE(page.isNull());
    const auto ink = inkBox(page, kDpi, 0, 15, 210, 35);
    ASSERT_FALSE(ink.empty());
    EXPECT_NEAR(ink.bottom - ink.top, 6, 1.2);
    EXPECT_NEAR((ink.left + ink.right) / 2, 105, 2.5);
    EXPECT_GT(ink.right - ink.left, 50); // nine characters of 20 pt, not of 8 pt

    const QString second = print({plainLine(QStringLiteral("A[1+1]B"))});
    EXPECT_EQ(tool.code, 0);
    EXPECT_TRUE(findWord(sheetWords(second), QStringLiteral("A[1+1]B")));
    EXPECT_FALSE(findWord(sheetWords(second), QStringLiteral("A2B")));
}

TEST_F(QuotationSheet, AnOverflowingDescriptionStartsInsideItsCellWithItsFirstWords)
{
    Line line = plainLine(QStringLiteral("配置单"));
    line.description = QStringLiteral("英特尔 酷睿i5-12400F 六核十二线程 ") + QString(160, u'长') + QStringLiteral("……");
    const QString pdf = print({line});
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString();
    const auto words = sheetWords(pdf);
    const auto* first = findWord(words, QStringLiteral("英特尔"));
    const auto* heading = findWord(words, QStringLiteral("具体型号参数"));
    ASSERT_TRUE(first && heading);

    // The row's rules in the description column, found in the picture below the heading.
    const QImage page = sheetPicture(pdf, 1, kDpi);
    double rowTop = -1, rowBottom = -1;
    for (double y = heading->bottom + 1; y < 120 && rowBottom < 0; y += 0.1) {
        if (!testing_support::inkedAt(page, kDpi, 52, y))
            continue;
        if (rowTop < 0)
            rowTop = y;
        else if (y - rowTop > 3)
            rowBottom = y;
        y += 0.5; // past the rule's own width
    }
    ASSERT_GT(rowTop, 0);
    ASSERT_GT(rowBottom, rowTop);
    EXPECT_GE(first->top, rowTop - 0.3);
    EXPECT_LT(first->bottom, rowBottom);
    // The first line is drawn: there is ink where its first words stand.
    EXPECT_FALSE(inkBox(page, kDpi, first->left, first->top, first->right, first->bottom).empty());
}

TEST_F(QuotationSheet, ALargeAmountIsPrintedWhole)
{
    Line line = plainLine(QStringLiteral("配置单"));
    line.price = QStringLiteral("1");
    line.amount = QStringLiteral("10000000.05");
    const QString pdf = print({line});
    ASSERT_EQ(tool.code, 0) << tool.out.toStdString();
    const auto words = sheetWords(pdf);
    const auto* amount = findWord(words, QStringLiteral("10000000.05"));
    ASSERT_TRUE(amount) << "the amount is broken";
    EXPECT_FALSE(findWord(words, QStringLiteral("10000000.0")));
    // On one line, inside the 5 mm row that shows it.
    EXPECT_LT(amount->bottom - amount->top, 5);
    const QImage page = sheetPicture(pdf, 1, kDpi);
    EXPECT_FALSE(inkBox(page, kDpi, amount->right - 1.5, amount->top, amount->right, amount->bottom).empty())
        << "the last digit is not drawn";
    // The sum below it too.
    const auto whole = std::count_if(words.cbegin(), words.cend(),
                                     [](const auto& w) { return w.text == QStringLiteral("10000000.05"); });
    EXPECT_EQ(whole, 2);
}

} // namespace
