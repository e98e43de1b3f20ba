// The compatibility check under the quotation's lines, as the operator builds a quotation:
// the estimate appears with the first line that tells its draw, a mismatch shows as it is
// added and goes when its line is removed, and the lines grid gives up the room it takes.
#include "db/compat_rule_store.h"
#include "modal_driver.h"
#include "quotation_fixture.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

using namespace quotation_testing;

namespace {

class QuotationCheckTest : public QuotationTest {
protected:
    void SetUp() override
    {
        QuotationTest::SetUp();
        const int pc = cat.l1(QStringLiteral("电脑配件"));
        cpus = cat.l4(cat.l3(cat.l2(pc, QStringLiteral("处理器")), QStringLiteral("AMD")), QStringLiteral("锐龙7000系列"));
        boards = cat.l4(cat.l3(cat.l2(pc, QStringLiteral("主板")), QStringLiteral("英特尔平台主板")), QStringLiteral("B760主板"));
        addItem(cpus, QStringLiteral("AMD 锐龙7 7700 盒装"), QStringLiteral("1299"), QStringLiteral("默认TDP 65W；接口AM5"));
        addItem(boards, QStringLiteral("微星 PRO B760M-A WIFI DDR4"), QStringLiteral("799"),
                QStringLiteral("芯片组Intel B760；LGA1700接口；M-ATX板型；DDR4内存插槽×4"));
    }

    void show(app::TFrm_main& w, const QStringList& path) { click(w, node(w, path)); }
    // The warnings under the lines, as shown; empty when hidden.
    QString checkText(const app::TFrm_main& w) const
    {
        return w.quotation.lb_check->isVisible() ? w.quotation.lb_check->text() : QString();
    }
    QString estimate(const app::TFrm_main& w) const { return w.quotation.lb_estimate->text(); }

    int cpus = 0, boards = 0;
};

} // namespace

TEST_F(QuotationCheckTest, TheEstimateAndAMismatchFollowTheLinesAsTheyAreAddedAndRemoved)
{
    auto w = window();
    const int fullHeight = w->quotation.DBGrid3->height();
    show(*w, {"电脑配件", "处理器", "AMD", "锐龙7000系列"});
    create(*w, "K1", "检查");
    EXPECT_TRUE(estimate(*w).isEmpty());
    EXPECT_TRUE(checkText(*w).isEmpty());

    pick(*w, "AMD 锐龙7 7700 盒装");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 65W"));
    EXPECT_TRUE(checkText(*w).isEmpty());
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight);
    // Beside the total, on the row above it.
    EXPECT_EQ(w->quotation.lb_estimate->geometry().right(), w->quotation.bbtn_cash->geometry().right() - 5);

    show(*w, {"电脑配件", "主板", "英特尔平台主板", "B760主板"});
    pick(*w, "微星 PRO B760M-A WIFI DDR4");
    add(*w, "1", std::nullopt);
    // 65 W and the board's 50 W; the sockets differ, and the warning takes a row of the grid.
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 115W"));
    EXPECT_TRUE(checkText(*w).contains(QStringLiteral("CPU 插槽 AM5 与主板 LGA1700 不一致"))) << checkText(*w).toStdString();
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight - 18);
    EXPECT_EQ(w->quotation.lb_check->geometry().top(), w->quotation.DBGrid3->geometry().bottom() + 1);

    // The board's line goes: so does the warning, and the grid has its room back.
    selectLine(*w, QStringLiteral("B760M"));
    w->quotation.btn_del1->click();
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 65W"));
    EXPECT_TRUE(checkText(*w).isEmpty());
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight);
    EXPECT_EQ(stored(QStringLiteral("DIY_ID = 'K1'")).size(), 1);

    // A larger window gives the grid more room, and the check keeps to its bottom.
    show(*w, {"电脑配件", "主板", "英特尔平台主板", "B760主板"});
    pick(*w, "微星 PRO B760M-A WIFI DDR4");
    add(*w, "1", std::nullopt);
    w->resize(w->width() + 200, w->height() + 200);
    QApplication::processEvents();
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight + 100 - 18);
    EXPECT_EQ(w->quotation.lb_check->geometry().top(), w->quotation.DBGrid3->geometry().bottom() + 1);
    EXPECT_EQ(w->quotation.lb_check->width(), w->quotation.DBGrid3->width());
}

TEST_F(QuotationCheckTest, LinesTheRulesCannotReadShowNothing)
{
    auto w = window();
    const int fullHeight = w->quotation.DBGrid3->height();
    showDisks(*w);
    create(*w, "K2", "硬盘");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    // The disk's category names a part the rules count (硬盘, 8 W); renamed to one they do
    // not know, the line is not read at all.
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 8W"));
    cat.run(QStringLiteral("UPDATE L4 SET L4_NM = '仓库' WHERE L4_NM = '硬盘'"));
    w->quotation.btn_cash1->click();
    EXPECT_TRUE(estimate(*w).isEmpty());
    EXPECT_TRUE(checkText(*w).isEmpty());
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight);
}

namespace {

// The rules dialog's row of the rule for `part` and `fact`; -1 when there is none.
int ruleRow(QTableWidget& table, const QString& part, const QString& fact)
{
    for (int row = 0; row < table.rowCount(); ++row) {
        const auto* combo = static_cast<QComboBox*>(table.cellWidget(row, 2));
        if (table.item(row, 0)->text() == part && combo->currentText() == fact)
            return row;
    }
    return -1;
}

// Types a new text into a cell as the operator does: a double click opens its editor.
void typeIntoCell(QTableWidget& table, int row, int column, const QString& text)
{
    table.scrollToItem(table.item(row, column));
    const QPoint at = table.visualItemRect(table.item(row, column)).center();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
    // The cell's editor is a line edit over the cell.
    QLineEdit* editor = nullptr;
    for (QLineEdit* edit : table.viewport()->findChildren<QLineEdit*>())
        if (edit->isVisible())
            editor = edit;
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(editor, Qt::Key_Backspace);
    modal_testing::typeText(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view takes the typed text in from its event loop, before any later click.
    QApplication::processEvents();
    ASSERT_EQ(table.item(row, column)->text(), text);
}

} // namespace

TEST_F(QuotationCheckTest, RulesEditedInTheDialogAreStoredAndTheCheckFollowsThemAtOnce)
{
    auto w = window();
    show(*w, {"电脑配件", "处理器", "AMD", "锐龙7000系列"});
    create(*w, "K3", "规则");
    pick(*w, "AMD 锐龙7 7700 盒装");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 65W"));

    {
        // The shop counts its CPUs at 95 W whatever their texts say.
        modal_testing::ModalDriver driver;
        driver.then([](QWidget& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("rules"));
            ASSERT_TRUE(table);
            const int row = ruleRow(*table, QStringLiteral("CPU"), QStringLiteral("功耗"));
            ASSERT_GE(row, 0);
            typeIntoCell(*table, row, 4, QStringLiteral("95"));
            QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        });
        w->menu.compatRulesItem->trigger();
        EXPECT_TRUE(driver.done());
    }
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 95W"));
    const auto stored = db::storedCompatRules(cat.connection);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->size(), compat::defaultRules().size());

    {
        // A pattern that is no expression is named, and nothing is stored.
        modal_testing::ModalDriver driver;
        driver.then([](QWidget& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("rules"));
            const int row = ruleRow(*table, QStringLiteral("CPU"), QStringLiteral("插槽"));
            typeIntoCell(*table, row, 3, QStringLiteral("(LGA"));
            // Clicked from the event loop, as the operator's click comes: the message it
            // opens is the driver's next dialog.
            QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QTimer::singleShot(0, ok, [ok] { QTest::mouseClick(ok, Qt::LeftButton); });
        });
        driver.press(Qt::Key_Return);           // the message naming the rule
        driver.click(QStringLiteral("取消"));   // the rules dialog, still open
        w->menu.compatRulesItem->trigger();
        ASSERT_TRUE(driver.done());
        ASSERT_EQ(driver.seen.size(), 3);
        EXPECT_TRUE(driver.seen[1].text.contains(QStringLiteral("模式无效"))) << driver.seen[1].text.toStdString();
    }
    EXPECT_EQ(db::storedCompatRules(cat.connection), stored);
    EXPECT_EQ(estimate(*w), QStringLiteral("预计功耗 约 95W"));
}
