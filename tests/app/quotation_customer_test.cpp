// Numbers of the day offered by "1、建立清单", the details dialog with the customer, and the
// shop's details dialog, driven by keys and clicks in the real dialogs.
#include "db/quotation_records.h"
#include "db/shop_details.h"
#include "modal_driver.h"
#include "quotation_fixture.h"
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QTest>

using namespace quotation_testing;
using modal_testing::ModalDriver;
using modal_testing::typeText;

namespace {

const QString kNoLogo = QStringLiteral("（无）");

// Types into the dialog's field of that name, as the operator does after clicking it.
void typeInto(QWidget& dialog, const char* name, const QString& text)
{
    QWidget* field = dialog.findChild<QWidget*>(QLatin1String(name));
    ASSERT_TRUE(field) << name;
    QTest::mouseClick(field, Qt::LeftButton);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    else if (auto* memo = qobject_cast<QPlainTextEdit*>(field))
        memo->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    typeText(field, text);
}

void clickButton(QWidget& dialog, const QString& text)
{
    for (auto* button : dialog.findChildren<QAbstractButton*>())
        if (button->text() == text) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}

} // namespace

TEST_F(QuotationTest, CreateOffersTheNextNumberOfTheDaySoTwoCustomersNeverShareOne)
{
    auto w = window();
    showDisks(*w);
    const QString first = db::dayNumber(QDate::currentDate(), 1);
    const QString second = db::dayNumber(QDate::currentDate(), 2);
    {
        // The keyboard user types through: Enter on the number, Enter on the name.
        ModalDriver driver;
        driver.press(Qt::Key_Return).press(Qt::Key_Return);
        w->catalogue.btn_create0->click();
        ASSERT_TRUE(driver.done());
        ASSERT_EQ(driver.seen.size(), 2);
        EXPECT_EQ(driver.seen[0].caption, "请输入配机的单据号");
        EXPECT_EQ(driver.seen[0].value, first);
        EXPECT_EQ(driver.seen[1].caption, "请输入配机的单据名称");
    }
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    {
        ModalDriver driver;
        driver.press(Qt::Key_Return).press(Qt::Key_Return);
        w->catalogue.btn_create0->click();
        ASSERT_TRUE(driver.done());
        EXPECT_EQ(driver.seen[0].value, second);
    }
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0); // a new quotation, not the first one's lines
    pick(*w, "希捷 1TB");
    add(*w, "2", "1000");
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].number, first);
    EXPECT_EQ(lines[1].number, second);

    // A number typed that exists opens that quotation, as before.
    {
        ModalDriver driver;
        driver.type(first).press(Qt::Key_Return);
        w->catalogue.btn_create0->click();
        ASSERT_TRUE(driver.done());
    }
    EXPECT_EQ(w->currentQuotation.number, first);
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 1);
    EXPECT_EQ(caption(*w), "总价值：300 元");
    EXPECT_EQ(db::listQuotations(cat.connection).size(), 2);
}

TEST_F(QuotationTest, TheDetailsDialogKeepsTheCustomerOfTheOpenOrThePickedQuotation)
{
    auto w = window();
    quoteTwoDisks(*w); // quotation "G"
    {
        ModalDriver driver;
        driver.then([](QWidget& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "单据详情");
            typeInto(dialog, "customer", QStringLiteral("张三"));
            typeInto(dialog, "phone", QStringLiteral("13800138000"));
            typeInto(dialog, "note", QStringLiteral("周六取机"));
            clickButton(dialog, QStringLiteral("确定"));
        });
        w->quotation.btn_details->click();
        EXPECT_TRUE(driver.done());
    }
    auto q = db::findQuotation(cat.connection, "G");
    ASSERT_TRUE(q);
    EXPECT_EQ(q->customer, "张三");
    EXPECT_EQ(q->phone, "13800138000");
    EXPECT_EQ(q->note, "周六取机");

    // Cancel keeps what was stored.
    {
        ModalDriver driver;
        driver.then([](QWidget& dialog) {
            typeInto(dialog, "customer", QStringLiteral("李四"));
            clickButton(dialog, QStringLiteral("取消"));
        });
        w->menu.quotationDetailsItem->trigger();
        EXPECT_TRUE(driver.done());
    }
    EXPECT_EQ(db::findQuotation(cat.connection, "G")->customer, "张三");

    // From the management list: the picked quotation's dialog, its fields as stored.
    w->N19Click();
    QTreeWidget* list = w->management.lst_quotations;
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(2), "张三");
    {
        ModalDriver driver;
        driver.then([](QWidget& dialog) {
            EXPECT_EQ(dialog.findChild<QLineEdit*>("customer")->text(), "张三");
            typeInto(dialog, "customer", QStringLiteral("张三丰"));
            QTest::keyClick(dialog.findChild<QLineEdit*>("customer"), Qt::Key_Return); // Enter is OK
        });
        QTest::mouseClick(w->management.btn_details, Qt::LeftButton);
        EXPECT_TRUE(driver.done());
    }
    EXPECT_EQ(db::findQuotation(cat.connection, "G")->customer, "张三丰");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "张三丰");
}

TEST_F(QuotationTest, TheShopDialogSavesWhatIsTypedAndTheChosenLogo)
{
    QImage picture(300, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    const QString logoFile = cat.folder.file("logo.png");
    ASSERT_TRUE(picture.save(logoFile));
    auto w = window();
    {
        ModalDriver driver;
        driver.then([&](QWidget& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "店铺信息");
            EXPECT_EQ(dialog.findChild<QLabel*>("shopLogo")->text(), kNoLogo);
            typeInto(dialog, "shopName", QStringLiteral("小明电脑城"));
            typeInto(dialog, "shopAddress", QStringLiteral("中关村大街1号"));
            typeInto(dialog, "shopPhone", QStringLiteral("010-62345678"));
            typeInto(dialog, "shopNote", QStringLiteral("报价七天内有效"));
            // The file dialog answers with the picture's path.
            const auto previous = platform::setDialogResponder([&](const platform::DialogRequest& request) {
                EXPECT_EQ(request.kind, DialogKind::OpenFile);
                return platform::DialogAnswer{true, logoFile, {}};
            });
            QTest::mouseClick(dialog.findChild<QPushButton*>("chooseLogo"), Qt::LeftButton);
            platform::setDialogResponder(previous);
            const QLabel* shown = dialog.findChild<QLabel*>("shopLogo");
            EXPECT_FALSE(shown->pixmap().isNull());
            EXPECT_EQ(shown->pixmap().width(), 176); // the 3:1 picture fills the box's width
            clickButton(dialog, QStringLiteral("确定"));
        });
        w->menu.shopDetailsItem->trigger();
        EXPECT_TRUE(driver.done());
    }
    const db::ShopDetails shop = db::loadShopDetails(cat.connection);
    EXPECT_EQ(shop.name, "小明电脑城");
    EXPECT_EQ(shop.address, "中关村大街1号");
    EXPECT_EQ(shop.phone, "010-62345678");
    EXPECT_EQ(shop.note, "报价七天内有效");
    EXPECT_EQ(QImage::fromData(shop.logo).size(), QSize(300, 100));

    // Shown again with the stored logo; "清除图片" and OK take it away.
    {
        ModalDriver driver;
        driver.then([](QWidget& dialog) {
            EXPECT_EQ(dialog.findChild<QLineEdit*>("shopName")->text(), "小明电脑城");
            EXPECT_FALSE(dialog.findChild<QLabel*>("shopLogo")->pixmap().isNull());
            QTest::mouseClick(dialog.findChild<QPushButton*>("clearLogo"), Qt::LeftButton);
            EXPECT_EQ(dialog.findChild<QLabel*>("shopLogo")->text(), kNoLogo);
            clickButton(dialog, QStringLiteral("确定"));
        });
        w->menu.shopDetailsItem->trigger();
        EXPECT_TRUE(driver.done());
    }
    EXPECT_TRUE(db::loadShopDetails(cat.connection).logo.isEmpty());
    EXPECT_EQ(db::loadShopDetails(cat.connection).name, "小明电脑城");
}
