// The add-line prompts as the operator answers them, with keys in the real dialogs: Cancel
// and Escape end the command, numbers come in the forms a shop types them, a text that is
// still no number is asked again, and items without parameters or lines without an amount
// are no traps.
#include "modal_driver.h"
#include "quotation_fixture.h"
#include <QTest>

using namespace quotation_testing;
using modal_testing::ModalDriver;

namespace {

// Runs a command with the driver answering its dialogs; fails when a step was left over.
template <typename Command>
void driven(ModalDriver& driver, Command command)
{
    command();
    EXPECT_TRUE(driver.done()) << "a dialog the test expected did not open";
}

} // namespace

TEST_F(QuotationTest, CancelOrEscapeAtTheQuantityOrPricePromptAddsNothing)
{
    auto w = window();
    showDisks(*w);
    create(*w, "Q1", "配置单");
    pick(*w, "希捷 1TB");
    {
        ModalDriver driver;
        driver.click(QStringLiteral("取消"));
        driven(driver, [&] { w->catalogue.btn_add0->click(); });
        ASSERT_EQ(driver.seen.size(), 1);
        EXPECT_EQ(driver.seen[0].caption, "输入数量");
    }
    {
        ModalDriver driver;
        driver.type(QStringLiteral("2")).press(Qt::Key_Escape);
        driven(driver, [&] { w->catalogue.btn_add0->click(); });
        ASSERT_EQ(driver.seen.size(), 2);
        EXPECT_EQ(driver.seen[1].caption, "输入价格");
        EXPECT_EQ(driver.seen[1].value, "1234.5");
    }
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Browse);
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0);
    EXPECT_EQ(caption(*w), "总价值：0 元");

    // The next add starts clean and is stored whole.
    ModalDriver driver;
    driver.press(Qt::Key_Return).press(Qt::Key_Return);
    driven(driver, [&] { w->catalogue.btn_add0->click(); });
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].quantity, 1);
    EXPECT_EQ(stored()[0].price, 1234.5);
}

TEST_F(QuotationTest, QuantitiesAndPricesAreReadAsTheShopTypesThem)
{
    auto w = window();
    showDisks(*w);
    create(*w, "Q2", "配置单");
    pick(*w, "西数 2TB");
    const QList<std::pair<QString, QString>> typed = {
        {QStringLiteral("２"), QStringLiteral("1,299")},
        {QStringLiteral(" 3 "), QStringLiteral("¥1299")},
        {QStringLiteral("1"), QStringLiteral("１２９９.５元")},
        {QStringLiteral("1"), QStringLiteral("-50")}, // a discount line
    };
    for (const auto& [quantity, price] : typed) {
        ModalDriver driver;
        driver.type(quantity).type(price);
        driven(driver, [&] { w->catalogue.btn_add0->click(); });
    }
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0].quantity, 2);
    EXPECT_EQ(lines[0].price, 1299);
    EXPECT_EQ(lines[1].quantity, 3);
    EXPECT_EQ(lines[1].price, 1299);
    EXPECT_EQ(lines[2].price, 1299.5);
    EXPECT_EQ(lines[3].price, -50);
    EXPECT_EQ(w->currentQuotation.total, 2598 + 3897 + 1299.5 - 50);
}

TEST_F(QuotationTest, ATextThatIsNoNumberIsNamedAndAskedAgainWithTheTextKept)
{
    auto w = window();
    showDisks(*w);
    create(*w, "Q3", "配置单");
    pick(*w, "西数 2TB");
    ModalDriver driver;
    driver.type(QStringLiteral("两个"))
        .press(Qt::Key_Return) // the message
        .then([](QWidget& prompt) {
            // The typed text is kept for correcting.
            auto* edit = prompt.findChild<QLineEdit*>(QStringLiteral("value"));
            edit->selectAll();
            modal_testing::typeText(edit, QStringLiteral("2.5"));
            QTest::keyClick(edit, Qt::Key_Return);
        })
        .press(Qt::Key_Return) // the message: a quantity is whole
        .type(QStringLiteral("2"))
        .type(QStringLiteral("三百"))
        .press(Qt::Key_Return)
        .type(QStringLiteral("300"));
    driven(driver, [&] { w->catalogue.btn_add0->click(); });

    ASSERT_EQ(driver.seen.size(), 8);
    EXPECT_EQ(driver.seen[1].text, "“两个”不是整数，请重新输入数量。");
    EXPECT_EQ(driver.seen[2].caption, "输入数量");
    EXPECT_EQ(driver.seen[2].value, "两个");
    EXPECT_EQ(driver.seen[3].text, "“2.5”不是整数，请重新输入数量。");
    EXPECT_EQ(driver.seen[6].text, "“三百”不是数字，请重新输入价格。");
    EXPECT_EQ(driver.seen[7].value, "三百");
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].quantity, 2);
    EXPECT_EQ(lines[0].amount, 600);
    EXPECT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Browse);
}

TEST_F(QuotationTest, AnItemWithoutParametersIsAddedByDoubleClickAndButton)
{
    auto w = window();
    cat.run(QStringLiteral("update HW set HW_CS = NULL where HW_ID = %1").arg(wd));
    showDisks(*w);
    create(*w, "Q4", "配置单");
    // A double click on the item's row, as the operator makes it.
    db::Dataset& items = *w->ADOQueryHW;
    int row = 0;
    while (items.valueAt(row, items.fieldIndex("HW_ID")).toInt() != wd)
        ++row;
    auto* grid = w->catalogue.DBGrid1;
    const QPoint cell = grid->visualRect(grid->model()->index(row, 1)).center();
    {
        ModalDriver driver;
        driver.press(Qt::Key_Return).press(Qt::Key_Return);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        driven(driver, [&] { QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell); });
    }
    {
        ModalDriver driver;
        driver.press(Qt::Key_Return).press(Qt::Key_Return);
        driven(driver, [&] { QTest::mouseClick(w->catalogue.btn_add0, Qt::LeftButton); });
    }
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].description, "存储 硬盘 西数 2TB……");
    EXPECT_EQ(lines[0].itemId, wd);
    EXPECT_EQ(lines[1].amount, 300);
}

TEST_F(QuotationTest, ALineWithoutAnAmountCanBeRemoved)
{
    auto w = window();
    cat.run("INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL) VALUES ('Q5', '配置单', '半行', 2)");
    showDisks(*w);
    create(*w, "Q5", "配置单");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    // The half line has no amount until a recompute; it goes without one.
    cat.run("UPDATE DIY SET DIY_CASH = NULL WHERE HW_MS = '半行'");
    w->ADOQueryDIY->refresh();
    db::Dataset& lines = *w->ADOQueryDIY;
    for (lines.first(); lines.asString("HW_MS") != "半行"; lines.next()) {
    }
    ModalDriver driver;
    driver.press(Qt::Key_Return);
    driven(driver, [&] { QTest::mouseClick(w->quotation.btn_del1, Qt::LeftButton); });
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].amount, 300);
    EXPECT_EQ(caption(*w), "单据总价值：300 元");
}
