// Building a quotation through the main window over a real catalogue file: create,
// add line with its prompts, remove line with its hook, recompute, and the total caption.
#include "db/quotation_records.h"
#include "quotation_fixture.h"
#include "platform/operator_text.h"
#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace quotation_testing;
using Button = dbaware::DBNavigator::Button;

namespace {

const QString kNumberPrompt =
    QStringLiteral("请输入配机的单据号\r同一张配机单应使用相同的编号,默认为当前日期,请自行修改:");
const QString kNamePrompt =
    QStringLiteral("请输入配机的单据名称\r同一张配机单应使用相同的名称,默认为 配置单,请自行修改:");
const QString kOfferCreate =
    QStringLiteral("需要自动执行 [1、开始建立清单] 吗?若没有特殊情况,您应该选择是.如果取消,也可以手动开始.");

} // namespace

TEST_F(QuotationTest, FirstAddOffersTheCreateCommandAndTheLineCarriesTheTypedNumberAndName)
{
    auto w = window();
    EXPECT_EQ(caption(*w), "单据总价值：0 元");
    showDisks(*w);
    pick(*w, "希捷 1TB");
    dialogs.answers = {QStringLiteral("2024-001"), QStringLiteral("王先生"), QStringLiteral("2"), QStringLiteral("1200")};
    w->catalogue.btn_add0->click();

    EXPECT_EQ(dialogs.texts(DialogKind::Question), QStringList{kOfferCreate});
    const auto prompts = dialogs.of(DialogKind::Prompt);
    ASSERT_EQ(prompts.size(), 4);
    EXPECT_EQ(prompts[0].caption, "请输入配机的单据号");
    EXPECT_EQ(prompts[0].text, kNumberPrompt);
    EXPECT_EQ(prompts[0].defaultValue, db::dayNumber(QDate::currentDate(), 1));
    EXPECT_EQ(prompts[1].caption, "请输入配机的单据名称");
    EXPECT_EQ(prompts[1].text, kNamePrompt);
    EXPECT_EQ(prompts[1].defaultValue, "配置单");
    EXPECT_EQ(prompts[2].caption, "输入数量");
    EXPECT_EQ(prompts[2].text, "请输入数量,自动为1");
    EXPECT_EQ(prompts[2].defaultValue, "1");
    EXPECT_EQ(prompts[3].caption, "输入价格");
    EXPECT_EQ(prompts[3].text, "请输入价格,自动为数据库中报价");
    EXPECT_EQ(prompts[3].defaultValue, "1234.5");

    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].number, "2024-001");
    EXPECT_EQ(lines[0].name, "王先生");
    EXPECT_EQ(lines[0].itemId, seagate);
    EXPECT_EQ(lines[0].categoryId, parts);
    EXPECT_EQ(lines[0].category, "配件");
    EXPECT_EQ(lines[0].quantity, 2);
    EXPECT_EQ(lines[0].price, 1200);
    EXPECT_EQ(lines[0].amount, 2400);
    EXPECT_TRUE(w->currentQuotation.open);
    EXPECT_EQ(caption(*w), "单据总价值：2400 元");
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 1);
    EXPECT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Browse);

    // The second add asks nothing more than quantity and price.
    dialogs.seen.clear();
    add(*w, std::nullopt, std::nullopt);
    EXPECT_TRUE(dialogs.of(DialogKind::Question).isEmpty());
    EXPECT_EQ(dialogs.of(DialogKind::Prompt).size(), 2);
    EXPECT_EQ(stored().size(), 2);
}

TEST_F(QuotationTest, AnsweringNoToTheOfferAddsNothingWhileNoQuotationIsOpen)
{
    auto w = window();
    showDisks(*w);
    pick(*w, "希捷 1TB");
    dialogs.yes = false;
    w->catalogue.btn_add0->click();
    EXPECT_EQ(dialogs.of(DialogKind::Question).size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::Prompt).isEmpty());
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(w->ADOQueryDIY->active());
    EXPECT_FALSE(w->currentQuotation.open);
    EXPECT_EQ(caption(*w), "单据总价值：0 元");
}

TEST_F(QuotationTest, CreatingTheSameNumberAgainReopensItsLinesAndTheirSum)
{
    auto w = window();
    showDisks(*w);
    create(*w, "A-1", "甲");
    EXPECT_EQ(caption(*w), "总价值：0 元");
    pick(*w, "希捷 1TB");
    add(*w, "2", std::nullopt);
    pick(*w, "西数 2TB");
    add(*w, "1", "299.9");
    EXPECT_EQ(caption(*w), "单据总价值：2768.9 元");

    create(*w, "B-1", "乙"); // a new number: empty grid, total 0
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0);
    EXPECT_EQ(w->currentQuotation.total, 0);
    EXPECT_EQ(caption(*w), "总价值：0 元");

    dialogs.seen.clear();
    dialogs.answers = {QStringLiteral("A-1"), std::nullopt};
    w->catalogue.btn_create0->click();
    EXPECT_EQ(dialogs.of(DialogKind::Prompt)[1].defaultValue, "乙"); // the last name is offered
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 2);
    EXPECT_DOUBLE_EQ(w->currentQuotation.total, 2768.9);
    EXPECT_EQ(caption(*w), "总价值：2768.9 元");
    EXPECT_TRUE(w->ADOQueryDIY->eof());

    // Lines added now join the reopened quotation, under the name typed last.
    add(*w, "1", "1");
    EXPECT_EQ(stored("DIY_ID='A-1'").size(), 3);
    EXPECT_EQ(stored("DIY_ID='A-1'").last().name, "乙");
    EXPECT_EQ(caption(*w), "单据总价值：2769.9 元");

    // Create with OK on what is offered starts the next quotation of the day: a second
    // customer never joins the first one's lines.
    dialogs.answers.clear();
    w->catalogue.btn_create0->click();
    EXPECT_EQ(w->currentQuotation.number, db::dayNumber(QDate::currentDate(), 1));
    EXPECT_EQ(w->ADOQueryDIY->recordCount(), 0);
}

TEST_F(QuotationTest, OkInTheQuantityAndPricePromptsGivesOneAtTheCataloguePrice)
{
    auto w = window();
    showDisks(*w);
    create(*w, "C", "丙");
    pick(*w, "希捷 1TB");
    add(*w, std::nullopt, std::nullopt);
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].quantity, 1);
    EXPECT_EQ(lines[0].price, 1234.5);
    EXPECT_EQ(lines[0].amount, 1234.5);
    EXPECT_EQ(caption(*w), "单据总价值：1234.5 元");
}

TEST_F(QuotationTest, AFractionalPriceIsOfferedWithItsFractionAndDoubledForTwo)
{
    auto w = window();
    showDisks(*w);
    create(*w, "D", "丁");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt); // 300
    pick(*w, "希捷 1TB");
    dialogs.seen.clear();
    add(*w, "2", std::nullopt);
    EXPECT_EQ(dialogs.of(DialogKind::Prompt).last().defaultValue, "1234.5");
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1].price, 1234.5);
    EXPECT_EQ(lines[1].amount, 2469);
    EXPECT_EQ(w->currentQuotation.total, 300 + 2469);
    EXPECT_EQ(caption(*w), "单据总价值：2769 元");
}

TEST_F(QuotationTest, ADoubleClickOnACatalogueRowAddsThatRow)
{
    auto w = window();
    showDisks(*w);
    create(*w, "DD", "双击");
    pick(*w, "西数 2TB");
    // Another row becomes current without a cell click: the double click must add that row,
    // not the one picked before.
    db::Dataset& items = *w->ADOQueryHW;
    for (items.first(); !items.eof() && items.asString("HW_MC") != "希捷 1TB"; items.next()) {}
    ASSERT_FALSE(items.eof());
    dialogs.answers = {"3", "100"};
    emit w->catalogue.DBGrid1->dblClick();
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].itemId, items.asInteger("HW_ID"));
    EXPECT_EQ(lines[0].amount, 300);
    EXPECT_EQ(caption(*w), "单据总价值：300 元");
}

TEST_F(QuotationTest, TheDescriptionTakesTheFirstThirtyCharactersOfTheParameters)
{
    auto w = window();
    showDisks(*w);
    create(*w, "E", "戊");
    pick(*w, "希捷 1TB");
    add(*w, "1", "1");
    pick(*w, "西数 2TB"); // empty parameters
    add(*w, "1", "1");
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].description, QStringLiteral("存储 硬盘 希捷 1TB") + kLongParameters.left(30) + QStringLiteral("……"));
    EXPECT_EQ(lines[1].description, QStringLiteral("存储 硬盘 西数 2TB……"));

    // A character outside the basic plane counts once and is never cut in half.
    db::Dataset& items = *w->ADOQueryHW;
    items.edit();
    items.setValue("HW_CS", QString(29, QLatin1Char('a')) + QStringLiteral("😀bc"));
    items.post();
    add(*w, "1", "1");
    EXPECT_EQ(stored().last().description,
              QStringLiteral("存储 硬盘 西数 2TB") + QString(29, QLatin1Char('a')) + QStringLiteral("😀……"));

    // Every part of the line comes from the catalogue row current now, not from the row
    // picked before it.
    items.first();
    add(*w, "1", std::nullopt);
    EXPECT_EQ(stored().last().description, QStringLiteral("存储 硬盘 希捷 1TB") + kLongParameters.left(30) + QStringLiteral("……"));
    EXPECT_EQ(stored().last().itemId, seagate);
    EXPECT_EQ(stored().last().price, 1234.5);
}

TEST_F(QuotationTest, AfterArrowKeysTheAddedLineIsTheHighlightedItemAlone)
{
    auto w = window();
    QApplication::setActiveWindow(w.get());
    showDisks(*w); // 希捷 current, and picked by the tree click
    create(*w, "K", "方向键");
    QApplication::processEvents();
    w->catalogue.DBGrid1->setFocus();
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Down); // to 西数 2TB, no click
    ASSERT_EQ(w->ADOQueryHW->asString("HW_MC"), "西数 2TB");
    dialogs.answers = {"2", kOfferedText};
    QTest::mouseClick(w->catalogue.btn_add0, Qt::LeftButton);
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].itemId, wd);
    EXPECT_EQ(lines[0].description, QStringLiteral("存储 硬盘 西数 2TB……")); // its own (empty) parameters
    EXPECT_EQ(lines[0].price, 300);
    EXPECT_EQ(lines[0].amount, 600);
    EXPECT_EQ(dialogs.of(DialogKind::Prompt).last().defaultValue, "300");
}

TEST_F(QuotationTest, ARefusedPostIsReportedAndLeavesTheTotalAsItWas)
{
    // The file refuses lines of one item (a rule another program installed).
    const QString longName = QStringLiteral("拒收硬盘");
    const int refused = addItem(cat.count("select L4_ID as n from L4"), longName, QStringLiteral("99"),
                                QStringLiteral("x"));
    cat.run(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON DIY WHEN NEW.HW_ID = %1 "
                           "BEGIN SELECT RAISE(ABORT, 'line refused'); END")
                .arg(refused));
    auto w = window();
    QApplication::setActiveWindow(w.get());
    showDisks(*w);
    create(*w, "L", "过长");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    ASSERT_EQ(caption(*w), "单据总价值：300 元");

    QApplication::processEvents();
    w->catalogue.DBGrid1->setFocus();
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_End);
    ASSERT_EQ(w->ADOQueryHW->asString("HW_MC"), longName);
    dialogs.answers = {"1", kOfferedText};
    QTest::mouseClick(w->catalogue.btn_add0, Qt::LeftButton);
    const auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("line refused")) << reports[0].text.toStdString();
    EXPECT_EQ(w->currentQuotation.total, 300);
    EXPECT_EQ(caption(*w), "单据总价值：300 元");
    EXPECT_EQ(stored().size(), 1);
    // The refused line stays pending for the operator to mend or cancel.
    EXPECT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Insert);
    w->quotation.DBNV3->button(Button::Cancel)->click();
    EXPECT_EQ(caption(*w), "单据总价值：300 元");
}

TEST_F(QuotationTest, RemovingALineOf300FromATotalOf1000ShowsTheRest)
{
    auto w = window();
    showDisks(*w);
    create(*w, "F", "己");
    pick(*w, "希捷 1TB");
    add(*w, "1", "700");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(caption(*w), "单据总价值：1000 元");

    selectLine(*w, "西数");
    dialogs.ok = false;
    w->quotation.btn_del1->click();
    EXPECT_EQ(dialogs.texts(DialogKind::Confirm), QStringList{"删除这条记录?"});
    EXPECT_EQ(stored().size(), 2);
    EXPECT_EQ(caption(*w), "单据总价值：1000 元");

    dialogs.ok = true;
    w->quotation.btn_del1->click();
    EXPECT_EQ(caption(*w), "单据总价值：700 元");
    ASSERT_EQ(stored().size(), 1);
    EXPECT_EQ(stored()[0].amount, 700);

    // The double click on the lines grid is the same command.
    emit w->quotation.DBGrid3->dblClick();
    EXPECT_EQ(caption(*w), "单据总价值：0 元");
    EXPECT_TRUE(stored().isEmpty());
    // On the empty grid the delete fails silently after the confirmation.
    dialogs.seen.clear();
    w->quotation.btn_del1->click();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(QuotationTest, AGridEditStoresTheAmountAndTheTotalFollowsAtOnce)
{
    auto w = window();
    quoteTwoDisks(*w);

    // The operator changes the quantity, then the price, in the grid and posts with DBNV3.
    selectLine(*w, "西数");
    w->quotation.DBNV3->button(Button::Edit)->click();
    w->ADOQueryDIY->setText("DIY_SL", "3");
    w->quotation.DBNV3->button(Button::Post)->click();
    EXPECT_EQ(caption(*w), "单据总价值：1000 元");
    EXPECT_EQ(stored("HW_ID=" + QString::number(wd))[0].quantity, 3);
    EXPECT_EQ(stored("HW_ID=" + QString::number(wd))[0].amount, 900);
    selectLine(*w, "西数");
    w->quotation.DBNV3->button(Button::Edit)->click();
    w->ADOQueryDIY->setText("DIY_JG", "250");
    w->quotation.DBNV3->button(Button::Post)->click();
    EXPECT_EQ(stored("HW_ID=" + QString::number(wd))[0].amount, 750);
    EXPECT_EQ(caption(*w), "单据总价值：850 元");

    // The recompute agrees, in its own caption form.
    w->quotation.bbtn_cash->click();
    EXPECT_EQ(caption(*w), "总价值：850 元");
    EXPECT_EQ(w->currentQuotation.total, 850);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(QuotationTest, ALineIsFiledUnderItsOwnItemsCategoriesWhereverTheTreeWasClicked)
{
    const int whole = cat.count(QStringLiteral("select L2_ID as n from L2 where L2_NM='整机'"));
    cat.l4(cat.l3(whole, QStringLiteral("台式")), QStringLiteral("品牌机"));
    auto w = window();
    showDisks(*w);
    create(*w, "C", "丙");
    // The tree is browsed to 整机 > 台式 while the grid still lists the disks.
    click(*w, node(*w, {"电脑", "整机"}));
    click(*w, node(*w, {"电脑", "整机", "台式"}));
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].category, "配件");
    EXPECT_EQ(lines[0].categoryId, parts);
    EXPECT_TRUE(lines[0].description.startsWith(QStringLiteral("存储 硬盘 西数 2TB"))) << lines[0].description.toStdString();
}

TEST_F(QuotationTest, LinesOfSeveralQuotationsShownTakeNoNewLineAndSayWhy)
{
    storeLine("A-1", "配置单", 1, 10);
    storeLine("B-2", "配置单", 1, 20);
    auto w = window();
    create(*w, "B-2", "配置单");
    w->N19Click();
    w->management.cmb_diy_nm->setCurrentText("配置单");
    w->management.Button1->click();
    ASSERT_EQ(w->ADOQueryDIY->recordCount(), 2);
    showDisks(*w);
    pick(*w, "西数 2TB");
    dialogs.seen.clear();
    add(*w, "1", "300");
    EXPECT_EQ(stored().size(), 2);
    const QStringList messages = dialogs.texts(DialogKind::Message);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains("A-1") && messages[0].contains("B-2")) << messages[0].toStdString();
    EXPECT_TRUE(dialogs.of(DialogKind::Prompt).isEmpty()); // nothing asked before the refusal
}

TEST_F(QuotationTest, LongNamesAreCutToTheirColumns)
{
    const QString longName = QString(40, u'长') + QStringLiteral("型号") + QString(220, u'x');
    addItem(cat.count(QStringLiteral("select L4_ID as n from L4 where L4_NM='硬盘'")), longName, QStringLiteral("5"),
            kLongParameters);
    auto w = window();
    showDisks(*w);
    // The quotation name takes 50 characters at most.
    create(*w, "N", QString(60, u'名'));
    EXPECT_EQ(w->currentQuotation.name, QString(50, u'名'));
    pick(*w, longName);
    add(*w, "1", std::nullopt);
    const auto lines = stored();
    ASSERT_EQ(lines.size(), 1) << dialogs.texts(DialogKind::ErrorReport).join('|').toStdString();
    EXPECT_EQ(lines[0].name, QString(50, u'名'));
    EXPECT_EQ(lines[0].description.size(), 255);
    EXPECT_TRUE(lines[0].description.startsWith(QStringLiteral("存储 硬盘 ") + QString(40, u'长')));
    EXPECT_TRUE(lines[0].description.endsWith(QStringLiteral("……")));
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(QuotationTest, RecomputeBeforeAnyQuotationShowsTheClosedDatasetError)
{
    auto w = window();
    w->quotation.btn_cash1->click();
    EXPECT_EQ(dialogs.texts(DialogKind::ErrorReport),
              QStringList{"ADOQueryDIY: 数据没有打开，无法进行这项操作。请先打开它（点击左侧分类，或建立、查询装机单）。"});
    EXPECT_EQ(w->currentQuotation.total, 0);
    EXPECT_EQ(caption(*w), "单据总价值：0 元");
}

TEST_F(QuotationTest, RecomputeReadsEmptyValuesAsZero)
{
    storeLine("H", "辛", 2, 50);
    cat.run("INSERT INTO DIY (DIY_ID, DIY_NM) VALUES ('H', '辛')");
    auto w = window();
    dialogs.answers = {QStringLiteral("H"), std::nullopt};
    w->catalogue.btn_create0->click();
    EXPECT_EQ(caption(*w), "总价值：100 元");
    ASSERT_EQ(stored().size(), 2);
    EXPECT_EQ(stored()[1].amount, 0);
}

TEST_F(QuotationTest, RecomputeWritesEveryLineOrNone)
{
    for (int k = 1; k <= 4; ++k)
        storeLine("R", "壬", k, 10);
    auto w = window();
    create(*w, "R", "壬");
    EXPECT_EQ(caption(*w), "总价值：100 元");
    // Amounts stored out of step (by an older version), read into the view: the recompute
    // has every line to rewrite.
    db::Dataset& lines = *w->ADOQueryDIY;
    cat.run("UPDATE DIY SET DIY_CASH = 0");
    lines.refresh();
    // Another program changes the third line's amount behind the window's back.
    const auto before = stored();
    cat.run("UPDATE DIY SET DIY_CASH = 999 WHERE DIY_SL = 3");

    w->quotation.btn_cash1->click();
    const auto reports = dialogs.texts(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith("ADOQueryDIY: 这条记录在读出之后已被修改或删除")) << reports[0].toStdString();
    const auto after = stored();
    ASSERT_EQ(after.size(), 4);
    EXPECT_EQ(after[0].amount, before[0].amount); // rolled back with the rest
    EXPECT_EQ(after[1].amount, before[1].amount);
    EXPECT_EQ(after[2].amount, 999);
    // The view shows what the file holds again, so the next recompute goes through.
    EXPECT_EQ(lines.state(), db::Dataset::State::Browse);
    w->quotation.btn_cash1->click();
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_EQ(caption(*w), "总价值：100 元");
    EXPECT_EQ(stored()[2].amount, 30);
}

TEST_F(QuotationTest, AnAnswerThatIsNoNumberIsAskedAgainAndCancelLeavesNoHalfLine)
{
    auto w = window();
    showDisks(*w);
    create(*w, "J", "癸");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    pick(*w, "希捷 1TB");
    dialogs.seen.clear();
    dialogs.answers = {QStringLiteral("两个")}; // then Cancel at the second asking
    w->catalogue.btn_add0->click();
    const auto prompts = dialogs.of(DialogKind::Prompt);
    ASSERT_EQ(prompts.size(), 2);
    EXPECT_EQ(prompts[1].defaultValue, "两个");
    EXPECT_EQ(dialogs.texts(DialogKind::Message), QStringList{"“两个”不是整数，请重新输入数量。"});
    db::Dataset& lines = *w->ADOQueryDIY;
    EXPECT_EQ(lines.state(), db::Dataset::State::Browse);
    EXPECT_EQ(lines.recordCount(), 1);
    EXPECT_EQ(caption(*w), "单据总价值：300 元");
    EXPECT_EQ(stored().size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());

    // A catalogue row without a price offers an empty price, which is asked for.
    for (w->ADOQueryHW->first(); w->ADOQueryHW->asString("HW_MC") != "无价硬盘"; w->ADOQueryHW->next()) {
    }
    dialogs.seen.clear();
    dialogs.answers = {QStringLiteral("5"), kOfferedText, QStringLiteral("80")};
    w->catalogue.btn_add0->click();
    EXPECT_EQ(dialogs.of(DialogKind::Prompt)[1].defaultValue, "");
    EXPECT_EQ(dialogs.texts(DialogKind::Message), QStringList{"“”不是数字，请重新输入价格。"});
    EXPECT_EQ(lines.state(), db::Dataset::State::Browse);
    ASSERT_EQ(stored().size(), 2);
    EXPECT_EQ(stored()[1].amount, 400);
    EXPECT_EQ(caption(*w), "单据总价值：700 元");
}

TEST_F(QuotationTest, AfterADeleteByNumberAddDoesNothingUntilTheNextCreate)
{
    auto w = window();
    showDisks(*w);
    create(*w, "K", "子");
    pick(*w, "西数 2TB");
    add(*w, "1", std::nullopt);
    w->N19Click();
    w->management.cmb_diy_id->setEditText("K");
    w->management.Button3->click();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(caption(*w), "单据总价值：300 元"); // left as it was

    dialogs.seen.clear();
    w->catalogue.btn_add0->click();
    w->quotation.btn_del1->click();
    EXPECT_TRUE(dialogs.seen.isEmpty());
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_FALSE(w->ADOQueryDIY->active());

    create(*w, "K", "子");
    add(*w, "1", std::nullopt);
    EXPECT_EQ(stored().size(), 1);
}

TEST_F(QuotationTest, ThePopupItemsRunTheCommands)
{
    auto w = window();
    showDisks(*w);
    pick(*w, "西数 2TB");
    dialogs.answers = {QStringLiteral("M"), QStringLiteral("卯")};
    w->menu.N3->trigger();
    EXPECT_EQ(w->currentQuotation.number, "M");
    dialogs.answers = {QStringLiteral("2"), kOfferedText};
    w->menu.N1->trigger();
    EXPECT_EQ(caption(*w), "单据总价值：600 元");
    w->menu.N41->trigger();
    EXPECT_EQ(caption(*w), "总价值：600 元");
    w->menu.N31->trigger();
    EXPECT_TRUE(stored().isEmpty());
    EXPECT_EQ(caption(*w), "单据总价值：0 元");
}
