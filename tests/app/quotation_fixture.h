#pragma once
// A catalogue with one level-4 category of hard disks, a main window over it, and the steps
// an operator takes to build quotations: show the disks, pick one, read the stored lines.
#include "category_fixture.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_navigator.h"
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>
#include <optional>

namespace quotation_testing {

using namespace category_testing;
using platform::DialogKind;

// A queued prompt answer: OK with the text the prompt offered.
inline const QString kOfferedText = QStringLiteral("\u0001offered");

// Records every dialog. Prompts take the next queued answer (nullopt or an empty queue:
// Cancel; kOfferedText: OK on the default); the Yes/No question answers `yes`, OK/Cancel
// confirmations answer `ok`.
class Responder {
public:
    Responder()
    {
        previous_ = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            seen.append(request);
            platform::DialogAnswer answer;
            switch (request.kind) {
            case DialogKind::Prompt: {
                const std::optional<QString> typed = answers.isEmpty() ? std::nullopt : answers.takeFirst();
                answer.accepted = typed.has_value();
                answer.value = typed && *typed != kOfferedText ? *typed : request.defaultValue;
                break;
            }
            case DialogKind::Question:
                answer.accepted = yes;
                break;
            default:
                answer.accepted = ok;
                break;
            }
            if (during)
                during(request);
            return answer;
        });
    }
    ~Responder() { platform::setDialogResponder(previous_); }

    QList<platform::DialogRequest> of(DialogKind kind) const
    {
        QList<platform::DialogRequest> found;
        for (const auto& request : seen)
            if (request.kind == kind)
                found.append(request);
        return found;
    }
    QStringList texts(DialogKind kind) const
    {
        QStringList found;
        for (const auto& request : of(kind))
            found << request.text;
        return found;
    }

    QList<std::optional<QString>> answers;
    bool yes = true;
    bool ok = true;
    std::function<void(const platform::DialogRequest&)> during; // runs inside each dialog
    QList<platform::DialogRequest> seen;

private:
    platform::DialogResponder previous_;
};

// Makes the line whose description contains `text` current in the lines view.
inline void selectLine(app::TFrm_main& w, const QString& text)
{
    db::Dataset& lines = *w.ADOQueryDIY;
    for (lines.first(); !lines.eof(); lines.next())
        if (lines.asString("HW_MS").contains(text))
            return;
    FAIL() << "no line " << text.toStdString();
}

// One stored quotation line, as a text per column.
struct StoredLine {
    QString number, name, description, category;
    int quantity = 0;
    double price = 0, amount = 0;
    int itemId = 0, categoryId = 0;
};

// 电脑 > 配件 > 存储 > 硬盘 with three disks; 整机 beside 配件.
class QuotationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const int pc = cat.l1(QStringLiteral("电脑"));
        parts = cat.l2(pc, QStringLiteral("配件"));
        cat.l2(pc, QStringLiteral("整机"));
        const int storage = cat.l3(parts, QStringLiteral("存储"));
        const int disks = cat.l4(storage, QStringLiteral("硬盘"));
        seagate = addItem(disks, QStringLiteral("希捷 1TB"), QStringLiteral("1234.5"), kLongParameters);
        wd = addItem(disks, QStringLiteral("西数 2TB"), QStringLiteral("300"), QString(""));
        addItem(disks, QStringLiteral("无价硬盘"), QStringLiteral("NULL"), QStringLiteral("无"));
    }

    int addItem(int l4, const QString& name, const QString& price, const QString& parameters)
    {
        cat.run(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_JG, HW_CS) VALUES (%1, %2, %3, %4)")
                    .arg(l4)
                    .arg(db::statements::textLiteral(name), price, db::statements::textLiteral(parameters)));
        return cat.count(QStringLiteral("select max(HW_ID) as n from HW"));
    }

    // A line stored by another way than the window (an earlier session).
    void storeLine(const QString& number, const QString& name, int quantity, double price)
    {
        cat.run(QStringLiteral("INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL, DIY_JG, DIY_CASH) VALUES "
                               "(%1, %2, 'x', %3, %4, %5)")
                    .arg(db::statements::textLiteral(number), db::statements::textLiteral(name))
                    .arg(quantity)
                    .arg(price, 0, 'g', 17)
                    .arg(quantity * price, 0, 'g', 17));
    }

    std::unique_ptr<app::TFrm_main> window()
    {
        auto w = openWindow(cat);
        w->show();
        return w;
    }

    // The tree click on 硬盘: the hardware grid lists the disks.
    void showDisks(app::TFrm_main& w) { click(w, node(w, {"电脑", "配件", "存储", "硬盘"})); }

    // A cell click on the item's row: the row current, the selection taken from it.
    void pick(app::TFrm_main& w, const QString& itemName)
    {
        db::Dataset& items = *w.ADOQueryHW;
        for (items.first(); !items.eof(); items.next()) {
            if (items.asString("HW_MC") == itemName) {
                w.DBGrid1CellClick(0);
                ASSERT_EQ(w.hardwareSelection.itemName, itemName);
                return;
            }
        }
        FAIL() << "no item " << itemName.toStdString();
    }

    // Create with the given number and name typed into the two prompts.
    void create(app::TFrm_main& w, const QString& number, const QString& name)
    {
        dialogs.answers = {number, name};
        w.catalogue.btn_create0->click();
        ASSERT_TRUE(dialogs.answers.isEmpty());
    }

    // Add the picked item with the typed quantity and price (nullopt: OK on what is offered).
    void add(app::TFrm_main& w, std::optional<QString> quantity, std::optional<QString> price)
    {
        dialogs.answers = {quantity.value_or(kOfferedText), price.value_or(kOfferedText)};
        w.catalogue.btn_add0->click();
        dialogs.answers.clear();
    }

    // Quotation "G" with 西数 2TB at its catalogue price (300) and 希捷 1TB at 100.
    void quoteTwoDisks(app::TFrm_main& w)
    {
        showDisks(w);
        create(w, "G", "庚");
        pick(w, "西数 2TB");
        add(w, "1", std::nullopt);
        pick(w, "希捷 1TB");
        add(w, "1", "100");
    }

    QList<StoredLine> stored(const QString& where = QStringLiteral("1=1"))
    {
        db::Dataset rows(QStringLiteral("check"), &cat.connection);
        db::openStatement(rows, QStringLiteral("select * from DIY where ") + where + QStringLiteral(" order by DIY_SYS_ID"));
        QList<StoredLine> lines;
        for (rows.first(); !rows.eof(); rows.next()) {
            StoredLine l;
            l.number = rows.value("DIY_ID").toString();
            l.name = rows.value("DIY_NM").toString();
            l.description = rows.value("HW_MS").toString();
            l.category = rows.value("L2_NM").toString();
            l.quantity = rows.value("DIY_SL").toInt();
            l.price = rows.value("DIY_JG").toDouble();
            l.amount = rows.value("DIY_CASH").toDouble();
            l.itemId = rows.value("HW_ID").toInt();
            l.categoryId = rows.value("L2_ID").toInt();
            lines << l;
        }
        return lines;
    }

    QString caption(const app::TFrm_main& w) const { return w.quotation.bbtn_cash->text(); }

    static inline const QString kLongParameters =
        QStringLiteral("7200转/64MB缓存/SATA3接口/3.5英寸/三年质保/全国联保/原装正品行货"); // 41 characters

    Catalogue cat;
    Responder dialogs;
    int parts = 0, seagate = 0, wd = 0;
};

} // namespace quotation_testing
