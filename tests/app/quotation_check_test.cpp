// The compatibility check under the quotation's lines, as the operator builds a quotation:
// the estimate appears with the first line that tells its draw, a mismatch shows as it is
// added and goes when its line is removed, and the lines grid gives up the room it takes.
#include "quotation_fixture.h"

#include <QLabel>

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
    QString checkText(const app::TFrm_main& w) const
    {
        return w.quotation.lb_check->isVisible() ? w.quotation.lb_check->text() : QString();
    }

    int cpus = 0, boards = 0;
};

} // namespace

TEST_F(QuotationCheckTest, TheEstimateAndAMismatchFollowTheLinesAsTheyAreAddedAndRemoved)
{
    auto w = window();
    const int fullHeight = w->quotation.DBGrid3->height();
    show(*w, {"电脑配件", "处理器", "AMD", "锐龙7000系列"});
    create(*w, "K1", "检查");
    EXPECT_TRUE(checkText(*w).isEmpty());

    pick(*w, "AMD 锐龙7 7700 盒装");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(checkText(*w), QStringLiteral("预计功耗 约 65W"));
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight - 18);
    EXPECT_EQ(w->quotation.lb_check->geometry().top(), w->quotation.DBGrid3->geometry().bottom() + 1);

    show(*w, {"电脑配件", "主板", "英特尔平台主板", "B760主板"});
    pick(*w, "微星 PRO B760M-A WIFI DDR4");
    add(*w, "1", std::nullopt);
    // 65 W and the board's 50 W; the sockets differ.
    EXPECT_TRUE(checkText(*w).startsWith(QStringLiteral("预计功耗 约 115W<br>"))) << checkText(*w).toStdString();
    EXPECT_TRUE(checkText(*w).contains(QStringLiteral("CPU 插槽 AM5 与主板 LGA1700 不一致")));
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight - 2 * 18);

    // The board's line goes: so does the warning, and the grid has its room back with the
    // estimate's line only.
    selectLine(*w, QStringLiteral("B760M"));
    w->quotation.btn_del1->click();
    EXPECT_EQ(checkText(*w), QStringLiteral("预计功耗 约 65W"));
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight - 18);
    EXPECT_EQ(stored(QStringLiteral("DIY_ID = 'K1'")).size(), 1);
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
    EXPECT_EQ(checkText(*w), QStringLiteral("预计功耗 约 8W"));
    cat.run(QStringLiteral("UPDATE L4 SET L4_NM = '仓库' WHERE L4_NM = '硬盘'"));
    w->quotation.btn_cash1->click();
    EXPECT_TRUE(checkText(*w).isEmpty());
    EXPECT_EQ(w->quotation.DBGrid3->height(), fullHeight);
}
