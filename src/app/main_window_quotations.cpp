// The quotation panel's lines: create or reopen a quotation, add the current hardware
// selection as a line (both started from the catalogue panel), remove a line, recompute every
// amount and the total. The lines view is ADOQueryDIY, driven through the actions of its
// navigator DBNV3.
#include "app/main_window.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/item_category.h"
#include "db/price_list.h"
#include "db/quotation_records.h"
#include "db/statements.h"
#include "db/transaction.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_navigator.h"
#include "platform/error.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include <QDateTime>
#include <QPushButton>
#include <climits>
#include <cmath>

namespace app {

namespace {

using Nav = dbaware::DBNavigator::Button;

const QString kOfferCreate = QStringLiteral(
    "需要自动执行 [1、开始建立清单] 吗?若没有特殊情况,您应该选择是.如果取消,也可以手动开始.");

// The first `count` characters of a text (a character outside the basic plane is one).
QString firstCharacters(const QString& text, int count)
{
    qsizetype end = 0;
    for (int taken = 0; taken < count && end < text.size(); ++taken)
        end += text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate() ? 2 : 1;
    return text.left(end);
}

// A number typed at the quantity or price prompt, read as the price-list import reads prices
// (full-width digits, "¥", "元", thousands separators) or as a plain signed decimal. Text that
// is still no number is named to the operator and asked again, kept in the edit; nullopt for
// Cancel, which ends the command.
std::optional<double> askNumber(QWidget* parent, const QString& caption, const QString& prompt, QString text,
                                bool whole)
{
    for (;;) {
        const std::optional<QString> typed = platform::promptQuery(parent, caption, prompt, text);
        if (!typed)
            return std::nullopt;
        std::optional<double> value = db::parsePrice(*typed);
        if (!value)
            value = platform::parseDecimal(*typed);
        if (value && (!whole || (*value == std::trunc(*value) && std::abs(*value) <= INT_MAX)))
            return value;
        platform::showMessage(parent, (whole ? QStringLiteral("“%1”不是整数，请重新输入数量。")
                                             : QStringLiteral("“%1”不是数字，请重新输入价格。"))
                                          .arg(*typed));
        text = *typed;
    }
}

// What a line's amount must be: quantity × price, empty when either is empty.
QVariant lineAmount(const QVariant& quantity, const QVariant& price)
{
    return quantity.isNull() || price.isNull() ? QVariant() : QVariant(quantity.toLongLong() * price.toDouble());
}

// A description longer than its column is cut and ends in "……" like every description.
QString fittedDescription(const QString& text)
{
    constexpr qsizetype kColumnSize = 255;
    if (text.size() <= kColumnSize)
        return text;
    const QString ellipsis = QStringLiteral("……");
    qsizetype keep = kColumnSize - ellipsis.size();
    if (text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep) + ellipsis;
}

} // namespace

// ---- create ----

void TFrm_main::createQuotation()
{
    // A line being edited is saved before the view is re-run, or the command stops here.
    ADOQueryDIY->postPending();
    currentQuotation.open = true;
    currentQuotation.total = 0;
    // Number and name are stored in columns of 50 characters; the prompts take no more.
    constexpr int kColumnSize = 50;
    // The number offered is the next free one of the day the quotation is made; a number
    // typed that exists opens that quotation.
    const QString offered = db::nextFreeNumber(*ADOConnection1, QDate::currentDate());
    const QString number = platform::inputQuery(
        this, QStringLiteral("请输入配机的单据号"),
        QStringLiteral("请输入配机的单据号\r同一张配机单应使用相同的编号,默认为当前日期,请自行修改:"), offered,
        kColumnSize);
    currentQuotation.name = platform::inputQuery(
        this, QStringLiteral("请输入配机的单据名称"),
        QStringLiteral("请输入配机的单据名称\r同一张配机单应使用相同的名称,默认为 配置单,请自行修改:"), currentQuotation.name,
        kColumnSize);
    // A new number gets its row now, so another copy of the program never offers it again.
    currentQuotation.number = db::reserveQuotation(*ADOConnection1, number, currentQuotation.name, number == offered,
                                                   QDateTime::currentDateTime());
    // Only the number selects the lines.
    db::openStatement(*ADOQueryDIY, db::statements::linesOfNumber(currentQuotation.number));
    recompute();
}

// ---- add line ----

void TFrm_main::addLine()
{
    if (!currentQuotation.open && platform::confirmYesNo(this, kOfferCreate))
        btn_create0Click();
    // The line describes one item: the catalogue row current now, the one the operator sees
    // highlighted and whose picture is shown. Read before anything is started, so a row that
    // cannot be read adds nothing.
    db::Dataset& item = *ADOQueryHW;
    const int itemId = item.asInteger(QStringLiteral("HW_ID"));
    const QString itemName = item.asString(QStringLiteral("HW_MC"));
    const QString parameters = item.value(QStringLiteral("HW_CS")).toString(); // none: empty text
    // The line is filed under the item's own categories, wherever the tree was clicked last.
    const std::optional<db::ItemCategory> category = db::itemCategory(*ADOConnection1, itemId);
    if (!category) {
        platform::showMessage(this, QStringLiteral("“%1”所属的分类已不存在，不能加入清单：请刷新数据列表后重新选择货物。")
                                        .arg(itemName));
        return;
    }
    // New lines go to one quotation: not into a list that shows the lines of several.
    const QStringList shownNumbers = numbersShown();
    if (shownNumbers.size() > 1) {
        platform::showMessage(
            this, QStringLiteral("清单中显示的是 %1 张装机单（编号 %2）的货物，不知道该加入哪一张：请先用“1、建立清单”"
                                 "或在单据管理中按编号打开一张装机单。")
                      .arg(shownNumbers.size())
                      .arg(shownNumbers.join(QStringLiteral("、"))));
        return;
    }

    // Nothing is started while the lines view is closed; the first field then fails.
    quotation.DBNV3->btnClick(Nav::Insert);
    db::Dataset& line = *ADOQueryDIY;
    line.setValue(QStringLiteral("DIY_ID"), currentQuotation.number);
    line.setValue(QStringLiteral("DIY_NM"), currentQuotation.name);
    line.setValue(QStringLiteral("HW_ID"), itemId);
    line.setValue(QStringLiteral("L2_ID"), category->l2Id);
    line.setValue(QStringLiteral("L2_NM"), category->l2Name);
    line.setValue(QStringLiteral("HW_MS"), fittedDescription(category->l3Name + QLatin1Char(' ') + category->l4Name
                                                             + QLatin1Char(' ') + itemName
                                                             + firstCharacters(parameters, 30) + QStringLiteral("……")));

    // Cancel at either prompt ends the command: the started line is dropped.
    const std::optional<double> typedQuantity =
        askNumber(this, QStringLiteral("输入数量"), QStringLiteral("请输入数量,自动为1"), QStringLiteral("1"), true);
    if (!typedQuantity)
        return line.cancel();
    const int quantity = static_cast<int>(*typedQuantity);
    line.setValue(QStringLiteral("DIY_SL"), quantity);
    // An item without a price offers an empty text, which asks for one.
    const QString listPrice =
        item.isNull(QStringLiteral("HW_JG")) ? QString() : platform::formatGeneral(item.asFloat(QStringLiteral("HW_JG")));
    const std::optional<double> typedPrice = askNumber(this, QStringLiteral("输入价格"),
                                                       QStringLiteral("请输入价格,自动为数据库中报价"), listPrice, false);
    if (!typedPrice)
        return line.cancel();
    const double price = *typedPrice;
    line.setValue(QStringLiteral("DIY_JG"), price);

    // The amount is set as the line is posted, and the total follows once it is stored: a
    // refused post is reported (the handler's guard would hide it) and leaves the total and
    // the pending line as they are.
    platform::reported(this, [this] { quotation.DBNV3->btnClick(Nav::Post); });
}

QStringList TFrm_main::numbersShown() const
{
    QStringList numbers;
    const db::Dataset& lines = *ADOQueryDIY;
    const int column = lines.active() ? lines.fieldIndex(QStringLiteral("DIY_ID")) : -1;
    if (column < 0)
        return numbers;
    for (int row = 0; row < lines.recordCount(); ++row) {
        const QString number = lines.valueAt(row, column).toString();
        if (!numbers.contains(number, Qt::CaseInsensitive))
            numbers << number;
    }
    return numbers;
}

// ---- amounts ----

void TFrm_main::ADOQueryDIYBeforePost()
{
    // Whatever changed the line (the add command, an edit in the grid, the recompute), its
    // amount is its quantity times its price when it is stored.
    db::Dataset& line = *ADOQueryDIY;
    const QString amountField = QStringLiteral("DIY_CASH");
    if (line.fieldIndex(amountField) < 0 || line.fieldIndex(QStringLiteral("DIY_SL")) < 0
        || line.fieldIndex(QStringLiteral("DIY_JG")) < 0)
        return;
    const QVariant amount = lineAmount(line.value(QStringLiteral("DIY_SL")), line.value(QStringLiteral("DIY_JG")));
    if (line.value(amountField) != amount)
        line.setValue(amountField, amount);
}

void TFrm_main::ADOQueryDIYAfterPost()
{
    currentQuotation.total = amountsShown();
    showRunningTotal();
    showBuildCheck();
}

double TFrm_main::amountsShown() const
{
    const db::Dataset& lines = *ADOQueryDIY;
    const int column = lines.active() ? lines.fieldIndex(QStringLiteral("DIY_CASH")) : -1;
    double total = 0;
    if (column >= 0)
        for (int row = 0; row < lines.recordCount(); ++row)
            total += lines.valueAt(row, column).toDouble();
    return total;
}

bool TFrm_main::amountsAgree() const
{
    const db::Dataset& lines = *ADOQueryDIY;
    if (!lines.active())
        return true;
    const int quantity = lines.fieldIndex(QStringLiteral("DIY_SL"));
    const int price = lines.fieldIndex(QStringLiteral("DIY_JG"));
    const int amount = lines.fieldIndex(QStringLiteral("DIY_CASH"));
    if (quantity < 0 || price < 0 || amount < 0)
        return true;
    for (int row = 0; row < lines.recordCount(); ++row) {
        const QVariant a = lines.valueAt(row, amount);
        const QVariant expected = lineAmount(lines.valueAt(row, quantity), lines.valueAt(row, price));
        if (expected.isNull() != a.isNull() || (!a.isNull() && a.toDouble() != expected.toDouble()))
            return false;
    }
    return true;
}

void TFrm_main::showRunningTotal()
{
    quotation.bbtn_cash->setText(QStringLiteral("单据总价值：") + platform::formatGeneral(currentQuotation.total)
                                 + QStringLiteral(" 元"));
}

// ---- remove line ----

void TFrm_main::btn_del1Click()
{
    const QList<int> marked = quotation.DBGrid3->markedRows();
    if (marked.size() > 1) {
        platform::guarded([&] { removeLines(marked); });
        return;
    }
    platform::guarded([this] { quotation.DBNV3->btnClick(Nav::Delete); });
}

void TFrm_main::removeLines(const QList<int>& rows)
{
    if (!platform::confirmYesNoDefaultNo(this, QStringLiteral("将选中的 %1 行移出清单?").arg(rows.size())))
        return;
    db::Dataset& lines = *ADOQueryDIY;
    lines.checkBrowseMode();
    // By key: the rows move up as lines go. Each goes through the before-delete hook.
    const int keyField = lines.fieldIndex(QStringLiteral("DIY_SYS_ID"));
    QList<qint64> keys;
    for (int row : rows)
        keys << lines.valueAt(row, keyField).toLongLong();
    for (qint64 key : keys) {
        for (int row = 0; row < lines.recordCount(); ++row) {
            if (lines.valueAt(row, keyField).toLongLong() == key) {
                lines.setCurrentRow(row);
                lines.remove();
                break;
            }
        }
    }
}

void TFrm_main::DBGrid3DblClick()
{
    btn_del1Click();
}

void TFrm_main::ADOQueryDIYBeforeDelete()
{
    // A line without an amount counts as 0, so it can be removed like any other.
    const QVariant amount = ADOQueryDIY->value(QStringLiteral("DIY_CASH"));
    currentQuotation.total -= amount.isNull() ? 0.0 : ADOQueryDIY->asFloat(QStringLiteral("DIY_CASH"));
    showRunningTotal();
}

// ---- recompute ----

void TFrm_main::btn_cash1Click()
{
    // Not guarded: a failure reaches the standard error report.
    platform::reported(this, [this] { recompute(); });
}

void TFrm_main::recompute()
{
    currentQuotation.total = 0;
    db::Dataset& lines = *ADOQueryDIY;
    // A pending line is posted before the rewrite, as the move to the first line would post
    // it, so a failure further on cannot take it away with the rest.
    lines.checkBrowseMode();
    lines.first(); // a closed view fails here
    // The grid follows the walk without drawing each step; it paints the end once.
    struct PaintAtTheEnd {
        QWidget* grid;
        ~PaintAtTheEnd() { grid->setUpdatesEnabled(true); }
    } paintAtTheEnd{quotation.DBGrid3};
    quotation.DBGrid3->setUpdatesEnabled(false);
    // Every line is rewritten in one transaction: all of them or, on failure, none.
    db::Transaction transaction(*ADOConnection1);
    double total = 0;
    try {
        for (; !lines.eof(); lines.next()) {
            quotation.DBNV3->btnClick(Nav::Edit);
            const int quantity = lines.isNull(QStringLiteral("DIY_SL")) ? 0 : lines.asInteger(QStringLiteral("DIY_SL"));
            const double price = lines.isNull(QStringLiteral("DIY_JG")) ? 0 : lines.asFloat(QStringLiteral("DIY_JG"));
            const double amount = quantity * price;
            lines.setValue(QStringLiteral("DIY_CASH"), amount);
            total += amount;
            quotation.DBNV3->btnClick(Nav::Post);
        }
        transaction.commit();
    } catch (...) {
        transaction.rollback();
        // The rows read back what the file holds again; a view that cannot is closed
        // rather than left showing amounts that were never stored.
        const bool reread = platform::guarded([&] {
            if (lines.state() == db::Dataset::State::Edit)
                lines.cancel();
            lines.refresh();
        });
        if (!reread)
            lines.close();
        throw;
    }
    currentQuotation.total = total;
    quotation.bbtn_cash->setText(QStringLiteral("总价值：") + platform::formatGeneral(currentQuotation.total)
                                 + QStringLiteral(" 元"));
    showBuildCheck();
}

} // namespace app
