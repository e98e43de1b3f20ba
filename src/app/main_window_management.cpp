// The quotation management panel: lists the distinct quotation numbers and names
// found in DIY, opens the lines of one number or one name as the current quotation, and
// deletes all lines of one number or one name. Values go into the statements with their
// quotes doubled (db/statements.h), so a delete matches exactly the value chosen.
#include "app/main_window.h"
#include "db/connection.h"
#include "db/backup.h"
#include "db/dataset.h"
#include "db/quotation_records.h"
#include "db/statements.h"
#include "db/transaction.h"
#include "platform/widgets/dialogs.h"
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>

namespace app {

void TFrm_main::N19Click()
{
    platform::guarded([this] {
        management.cmb_diy_id->clear();
        management.cmb_diy_nm->clear();
        fillQuotationList(management.cmb_diy_id, db::statements::distinctNumbers(), QStringLiteral("DIY_ID"));
        fillQuotationList(management.cmb_diy_nm, db::statements::distinctNames(), QStringLiteral("DIY_NM"));
        for (QComboBox* list : {management.cmb_diy_id, management.cmb_diy_nm}) {
            if (list->count() > 0)
                list->setCurrentIndex(0);
            else
                list->clearEditText();
        }
        {
            const QSignalBlocker quiet(management.edt_search);
            management.edt_search->clear();
        }
        fillQuotationTable(currentQuotation.open ? currentQuotation.number : QString());
        management.Panel_LIST->show(); // in its place in the stacking order, under the help overlay
    });
}

void TFrm_main::fillQuotationList(QComboBox* list, const QString& statement, const QString& column)
{
    // The list query stays open afterwards; the newest quotation comes first.
    db::Dataset& values = *ADOQuery_LIST;
    db::openStatement(values, statement);
    QStringList entries;
    for (values.first(); !values.eof(); values.next())
        entries << values.value(column).toString(); // a null value gives an empty entry
    list->addItems(entries);
}

void TFrm_main::openQuotation(QString CurrentQuotation::*key, const QComboBox& box, StatementOf linesOf)
{
    ADOQueryDIY->postPending(); // a line being edited is saved first, or nothing changes
    currentQuotation.open = true;
    currentQuotation.total = 0;
    currentQuotation.*key = box.currentText();
    db::openStatement(*ADOQueryDIY, linesOf(currentQuotation.*key));
    if (key == &CurrentQuotation::name)
        adoptShownQuotation();
    recompute();
    management.Panel_LIST->hide();
}

void TFrm_main::adoptShownQuotation()
{
    // Lines added next join the quotation the grid shows: after a query by name its number
    // becomes the current one when all the lines carry it (lines of several numbers take no
    // new line, and none leaves the number as it was).
    const QStringList numbers = numbersShown();
    if (numbers.size() == 1)
        currentQuotation.number = numbers.first();
}

bool TFrm_main::confirmQuotationDelete(bool byNumber, const QString& value)
{
    // Every quotation is named "配置单" until retyped: the question says how much goes.
    db::Dataset& counts = *ADOQuery_LIST;
    db::openStatement(counts, byNumber ? db::statements::countLinesOfNumber(value)
                                       : db::statements::countLinesOfName(value));
    const int quotations = counts.asInteger(QStringLiteral("quotations"));
    const int lines = counts.asInteger(QStringLiteral("lines"));
    if (lines == 0) {
        platform::showMessage(this, byNumber ? QStringLiteral("没有单据编号为“%1”的装机单，没有可删除的行。").arg(value)
                                             : QStringLiteral("没有名为“%1”的装机单，没有可删除的行。").arg(value));
        return false;
    }
    const QString question =
        byNumber ? QStringLiteral("删除装机单“%1”的 %2 行?").arg(value).arg(lines)
                 : QStringLiteral("删除名为“%1”的 %2 张装机单共 %3 行?").arg(value).arg(quotations).arg(lines);
    return platform::confirmYesNoDefaultNo(this, question);
}

void TFrm_main::deleteQuotation(QString CurrentQuotation::*key, const QComboBox& box, StatementOf deleteLinesOf)
{
    ADOQueryDIY->postPending(); // a line being edited is saved first (and counted), or nothing changes
    const QString value = box.currentText();
    if (!confirmQuotationDelete(key == &CurrentQuotation::number, value))
        return; // nothing is deleted; the panel stays open
    backUpBefore(db::BackupCause::QuotationDelete);
    currentQuotation.total = 0; // the caption keeps the old total
    currentQuotation.*key = value;
    // The lines and the rows of the quotations they leave empty go together. The lines view
    // is left closed, holding the delete statement.
    db::Transaction transaction(*ADOConnection1);
    db::executeStatement(*ADOQueryDIY, deleteLinesOf(currentQuotation.*key));
    if (key == &CurrentQuotation::number)
        db::forgetQuotation(*ADOConnection1, value);
    else
        db::forgetEmptyQuotationsNamed(*ADOConnection1, value);
    transaction.commit();
    management.Panel_LIST->hide();
}

void TFrm_main::btn_diy_id_listClick()
{
    platform::guarded([this] {
        openQuotation(&CurrentQuotation::number, *management.cmb_diy_id, db::statements::linesOfNumber);
    });
}

void TFrm_main::Button1Click()
{
    platform::guarded([this] {
        openQuotation(&CurrentQuotation::name, *management.cmb_diy_nm, db::statements::linesOfName);
    });
}

void TFrm_main::Button3Click()
{
    platform::guarded([this] {
        deleteQuotation(&CurrentQuotation::number, *management.cmb_diy_id, db::statements::deleteLinesOfNumber);
    });
}

void TFrm_main::Button4Click()
{
    platform::guarded([this] {
        deleteQuotation(&CurrentQuotation::name, *management.cmb_diy_nm, db::statements::deleteLinesOfName);
    });
}

void TFrm_main::Button2Click()
{
    management.Panel_LIST->hide();
}

} // namespace app
