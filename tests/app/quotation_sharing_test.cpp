// The management panel's list of quotations (search as typed, open, copy as new, rename,
// delete) and the exports for the customer, read back from the files written.
#include "db/quotation_records.h"
#include "db/shop_details.h"
#include "modal_driver.h"
#include "quotation_fixture.h"
#include "support/printed_sheet.h"
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

using namespace quotation_testing;

namespace {

const QDate kDay(2026, 12, 9);

QStringList column(const QTreeWidget& list, int c)
{
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row)
        texts << list.topLevelItem(row)->text(c);
    return texts;
}

void clickRow(QTreeWidget& list, int row)
{
    const QRect r = list.visualItemRect(list.topLevelItem(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
}

class QuotationShelf : public QuotationTest {
protected:
    // Three quotations of one day, made at 9, 10 and 11 o'clock, with customers and lines.
    void SetUp() override
    {
        QuotationTest::SetUp();
        const char* const rows[][4] = {{"办公电脑", "Wang Wu", "13700000000", "9"},
                                       {"游戏主机", "张三", "13800138000", "10"},
                                       {"配置单", "李四", "13912345678", "11"}};
        for (const auto& r : rows) {
            const QDateTime when(kDay, QTime(QString::fromLatin1(r[3]).toInt(), 0));
            const QString number = db::reserveQuotation(cat.connection, db::nextFreeNumber(cat.connection, kDay),
                                                        QString::fromUtf8(r[0]), true, when);
            db::saveCustomer(cat.connection, number, QString::fromUtf8(r[1]), QString::fromUtf8(r[2]), {});
            numbers << number;
        }
        storeLine(numbers[1], "游戏主机", 1, 4999);
        storeLine(numbers[1], "游戏主机", 2, 250.5);
    }

    QStringList numbers; // -01, -02, -03
};

} // namespace

TEST_F(QuotationShelf, TheListIsNewestFirstAndNarrowsAsTheOperatorTypes)
{
    auto w = window();
    w->N19Click();
    QTreeWidget& list = *w->management.lst_quotations;
    EXPECT_EQ(column(list, 0), (QStringList{numbers[2], numbers[1], numbers[0]}));
    EXPECT_EQ(column(list, 2), (QStringList{"李四", "张三", "Wang Wu"}));
    EXPECT_EQ(column(list, 3), (QStringList{"2026-12-09", "2026-12-09", "2026-12-09"}));
    EXPECT_EQ(list.topLevelItem(1)->text(4), "2");
    EXPECT_EQ(list.topLevelItem(1)->text(5), "5500");

    QLineEdit* search = w->management.edt_search;
    QTest::mouseClick(search, Qt::LeftButton);
    modal_testing::typeText(search, QStringLiteral("张"));
    EXPECT_EQ(column(list, 0), QStringList{numbers[1]});
    // The picked row fills the boxes the queries and deletes act on.
    EXPECT_EQ(w->management.cmb_diy_id->currentText(), numbers[1]);
    EXPECT_EQ(w->management.cmb_diy_nm->currentText(), "游戏主机");
    QTest::keyClick(search, Qt::Key_Backspace);
    QTest::keyClicks(search, "wang");
    EXPECT_EQ(column(list, 0), QStringList{numbers[0]});
    search->selectAll();
    QTest::keyClicks(search, "1391");
    EXPECT_EQ(column(list, 0), QStringList{numbers[2]});
    search->selectAll();
    QTest::keyClicks(search, "-0");
    EXPECT_EQ(list.topLevelItemCount(), 3);
    search->selectAll();
    QTest::keyClicks(search, "nobody");
    EXPECT_EQ(list.topLevelItemCount(), 0);

    // Enter on a picked row opens it, as "按此单据编号查询" does.
    search->clear();
    clickRow(list, 1);
    QTest::keyClick(&list, Qt::Key_Return);
    EXPECT_FALSE(w->management.Panel_LIST->isVisible());
    EXPECT_EQ(w->currentQuotation.number, numbers[1]);
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 2);
    EXPECT_EQ(caption(*w), "总价值：5500 元");
}

TEST_F(QuotationShelf, CopyAsNewRenameAndDeleteFromTheList)
{
    auto w = window();
    w->N19Click();
    QTreeWidget& list = *w->management.lst_quotations;
    clickRow(list, 1); // 游戏主机, 张三
    QTest::mouseClick(w->management.btn_copy, Qt::LeftButton);
    ASSERT_EQ(list.topLevelItemCount(), 4);
    const QString copy = list.topLevelItem(0)->text(0);
    EXPECT_EQ(copy, db::dayNumber(QDate::currentDate(), QDate::currentDate() == kDay ? 4 : 1));
    EXPECT_EQ(list.currentItem(), list.topLevelItem(0));
    EXPECT_EQ(column(list, 2).first(), "张三");
    EXPECT_EQ(stored(QStringLiteral("DIY_ID='%1'").arg(copy)).size(), 2);

    // Renamed: the row and every line of it.
    dialogs.answers = {QStringLiteral("张三的游戏主机")};
    QTest::mouseClick(w->management.btn_rename, Qt::LeftButton);
    EXPECT_EQ(list.topLevelItem(0)->text(1), "张三的游戏主机");
    for (const StoredLine& line : stored(QStringLiteral("DIY_ID='%1'").arg(copy)))
        EXPECT_EQ(line.name, "张三的游戏主机");
    EXPECT_EQ(stored(QStringLiteral("DIY_ID='%1'").arg(numbers[1]))[0].name, "游戏主机");

    // Deleted after the question, which names the lines that go.
    dialogs.seen.clear();
    QTest::mouseClick(w->management.btn_delete, Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(DialogKind::Question), QStringList{QStringLiteral("删除装机单“%1”的 2 行?").arg(copy)});
    EXPECT_TRUE(stored(QStringLiteral("DIY_ID='%1'").arg(copy)).isEmpty());
    EXPECT_FALSE(db::findQuotation(cat.connection, copy));
    w->N19Click();
    EXPECT_EQ(list.topLevelItemCount(), 3);
}

TEST_F(QuotationShelf, ThePdfAndThePicturesAreTheSheetTheReportToolPrints)
{
    qunsetenv("XDG_CURRENT_DESKTOP");
    qunsetenv("DESKTOP_SESSION");
    for (int k = 0; k < 24; ++k)
        storeLine(numbers[1], "游戏主机", 1, 100 + k);
    db::saveShopDetails(cat.connection, {QStringLiteral("小明电脑城"), QStringLiteral("中关村大街1号"), {}, {}, {}});
    auto w = window();
    w->N19Click();
    clickRow(*w->management.lst_quotations, 1);
    QTest::mouseClick(w->management.btn_open, Qt::LeftButton);
    ASSERT_EQ(w->currentQuotation.number, numbers[1]);

    const QString out = cat.folder.file("out");
    ASSERT_TRUE(QDir().mkpath(out));
    QList<platform::DialogRequest> asked;
    QString answer;
    const auto previous = platform::setDialogResponder([&](const platform::DialogRequest& request) {
        asked << request;
        return platform::DialogAnswer{true, answer, {}};
    });
    answer = QDir(out).filePath("sheet"); // the suffix is added
    QTest::mouseClick(w->quotation.btn_pdf, Qt::LeftButton);
    answer = QDir(out).filePath("sheet.png");
    w->menu.exportPicturesItem->trigger();
    platform::setDialogResponder(previous);

    ASSERT_EQ(asked.size(), 2);
    EXPECT_EQ(asked[0].kind, DialogKind::SaveFile);
    EXPECT_EQ(QFileInfo(asked[0].defaultValue).fileName(), numbers[1] + QStringLiteral(" 张三.pdf"));
    EXPECT_EQ(QFileInfo(asked[1].defaultValue).fileName(), numbers[1] + QStringLiteral(" 张三.png"));

    // The PDF holds what qmxdiy-report prints from the same file, word for word and place
    // for place (the print time aside).
    const QString pdf = QDir(out).filePath("sheet.pdf");
    ASSERT_TRUE(QFileInfo::exists(pdf));
    const QString toolPdf = QDir(out).filePath("tool.pdf");
    QProcess tool;
    tool.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-report"),
               {"prepare", "--builtin", "--db", cat.folder.file("qmxpcdiy.dat"), "--quotation", numbers[1], "-o", toolPdf});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const auto words = testing_support::sheetWords(pdf);
    const auto expected = testing_support::sheetWords(toolPdf);
    ASSERT_EQ(words.size(), expected.size());
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d$"));
    for (qsizetype k = 0; k < words.size(); ++k) {
        if (time.match(words[k].text).hasMatch())
            continue;
        EXPECT_EQ(words[k].text, expected[k].text);
        EXPECT_NEAR(words[k].top, expected[k].top, 0.05) << words[k].text.toStdString();
        EXPECT_NEAR(words[k].left, expected[k].left, 0.05) << words[k].text.toStdString();
    }
    EXPECT_TRUE(testing_support::findWord(words, "小明电脑城"));
    EXPECT_TRUE(testing_support::findWord(words, "张三"));
    EXPECT_EQ(words.last().page, 2);

    // One picture a page at 150 dpi: an A4 page 1240 × 1754 pixels.
    for (const char* name : {"sheet-1.png", "sheet-2.png"}) {
        const QImage page(QDir(out).filePath(name));
        ASSERT_FALSE(page.isNull()) << name;
        EXPECT_NEAR(page.width(), 1240, 2);
        EXPECT_NEAR(page.height(), 1754, 2);
    }
    EXPECT_FALSE(QFileInfo::exists(QDir(out).filePath("sheet-3.png")));
}
