// The management panel's list of every quotation (number, name, customer, date, lines,
// total, newest first), narrowed as the operator types, with open, copy as new, rename, the
// details dialog and delete; and the details dialog of the open quotation.
#include "app/main_window.h"
#include "app/quotation_details_dialog.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/quotation_records.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include <QComboBox>
#include <QDateTime>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

namespace app {

namespace {

enum Column { kNumber, kName, kCustomer, kDate, kLines, kTotal };

const QString kPickFirst = QStringLiteral("请先在列表中选择一张装机单。");

QPushButton* listButton(QWidget* panel, const char* name, const QString& caption, int x, int w)
{
    auto* button = new QPushButton(caption, panel);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(x, 404, w, 25);
    button->setCursor(Qt::ArrowCursor);
    return button;
}

} // namespace

void TFrm_main::createQuotationList()
{
    ManagementPanel& p = management;
    p.edt_search = new QLineEdit(p.Panel_LIST);
    p.edt_search->setObjectName(QStringLiteral("edt_search"));
    p.edt_search->setGeometry(13, 118, 330, 22);
    p.edt_search->setPlaceholderText(QStringLiteral("查找：单据编号、名称、客户或电话"));
    p.edt_search->setClearButtonEnabled(true);
    p.edt_search->setCursor(Qt::IBeamCursor);

    p.lst_quotations = new QTreeWidget(p.Panel_LIST);
    p.lst_quotations->setObjectName(QStringLiteral("lst_quotations"));
    p.lst_quotations->setGeometry(13, 146, 534, 252);
    p.lst_quotations->setHeaderLabels({QStringLiteral("编号"), QStringLiteral("名称"), QStringLiteral("客户"),
                                       QStringLiteral("日期"), QStringLiteral("行数"), QStringLiteral("金额")});
    p.lst_quotations->setRootIsDecorated(false);
    p.lst_quotations->setUniformRowHeights(true);
    p.lst_quotations->setAllColumnsShowFocus(true);
    p.lst_quotations->setCursor(Qt::ArrowCursor);
    const int widths[] = {100, 120, 110, 80, 40, 70};
    for (int c = 0; c < int(std::size(widths)); ++c)
        p.lst_quotations->setColumnWidth(c, widths[c]);

    p.btn_open = listButton(p.Panel_LIST, "btn_open", QStringLiteral("打开"), 13, 80);
    p.btn_copy = listButton(p.Panel_LIST, "btn_copy", QStringLiteral("复制为新单"), 98, 90);
    p.btn_rename = listButton(p.Panel_LIST, "btn_rename", QStringLiteral("重命名"), 193, 80);
    p.btn_details = listButton(p.Panel_LIST, "btn_details", QStringLiteral("单据详情..."), 278, 90);
    p.btn_delete = listButton(p.Panel_LIST, "btn_delete", QStringLiteral("删除"), 373, 80);
}

void TFrm_main::wireQuotationList()
{
    ManagementPanel& p = management;
    connect(p.edt_search, &QLineEdit::textChanged, this, &TFrm_main::quotationListSearch);
    connect(p.lst_quotations, &QTreeWidget::currentItemChanged, this, &TFrm_main::quotationListPicked);
    // Enter or a double click on a row opens it.
    connect(p.lst_quotations, &QTreeWidget::itemActivated, this, &TFrm_main::btn_diy_id_listClick);
    connect(p.btn_open, &QPushButton::clicked, this, &TFrm_main::btn_diy_id_listClick);
    connect(p.btn_copy, &QPushButton::clicked, this, &TFrm_main::copyQuotationClick);
    connect(p.btn_rename, &QPushButton::clicked, this, &TFrm_main::renameQuotationClick);
    connect(p.btn_details, &QPushButton::clicked, this, &TFrm_main::listedDetailsClick);
    // The delete by number of the picked row, with its question.
    connect(p.btn_delete, &QPushButton::clicked, this, &TFrm_main::Button3Click);
    connect(quotation.btn_details, &QPushButton::clicked, this, &TFrm_main::quotationDetailsClick);
    connect(quotation.btn_pdf, &QPushButton::clicked, this, &TFrm_main::exportPdfClick);
    connect(quotation.btn_png, &QPushButton::clicked, this, &TFrm_main::exportPicturesClick);
}

void TFrm_main::addQuotationItems()
{
    // The quotation's own items follow "5、打印出单"; the shop's details go with the
    // catalogue-wide commands.
    QAction* afterPrint = nullptr;
    const QList<QAction*> actions = menu.PopupMenu1->actions();
    const qsizetype printAt = actions.indexOf(menu.N51);
    if (printAt >= 0 && printAt + 1 < actions.size())
        afterPrint = actions[printAt + 1];
    auto insert = [this](QAction* before, const char* name, const QString& caption, void (TFrm_main::*handler)()) {
        auto* action = new QAction(caption, menu.PopupMenu1);
        action->setObjectName(QLatin1String(name));
        menu.PopupMenu1->insertAction(before, action);
        connect(action, &QAction::triggered, this, handler);
        return action;
    };
    menu.quotationDetailsItem = insert(afterPrint, "quotationDetailsItem", QStringLiteral("单据详情..."),
                                       &TFrm_main::quotationDetailsClick);
    menu.exportPdfItem = insert(afterPrint, "exportPdfItem", QStringLiteral("导出PDF..."), &TFrm_main::exportPdfClick);
    menu.exportPicturesItem =
        insert(afterPrint, "exportPicturesItem", QStringLiteral("导出图片..."), &TFrm_main::exportPicturesClick);
    menu.shopDetailsItem =
        insert(menu.webSiteItem, "shopDetailsItem", QStringLiteral("店铺信息..."), &TFrm_main::shopDetailsClick);
}

// ---- the list ----

void TFrm_main::fillQuotationTable(const QString& select)
{
    quotationsRead_ = db::listQuotations(*ADOConnection1);
    showQuotationTable(select);
}

void TFrm_main::showQuotationTable(const QString& select)
{
    QTreeWidget* list = management.lst_quotations;
    const QList<db::QuotationRecord> found = db::narrowQuotations(quotationsRead_, management.edt_search->text());
    const QSignalBlocker quiet(list);
    list->clear();
    QTreeWidgetItem* picked = nullptr;
    for (const db::QuotationRecord& q : found) {
        auto* row = new QTreeWidgetItem(list, {q.number, q.name, q.customer,
                                               q.created.left(10),
                                               QString::number(q.lines), platform::formatGeneral(q.total)});
        row->setTextAlignment(kLines, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(kTotal, Qt::AlignRight | Qt::AlignVCenter);
        row->setToolTip(kCustomer, q.phone.isEmpty() ? q.customer : q.customer + QLatin1Char(' ') + q.phone);
        if (!picked && !select.isEmpty() && q.number.compare(select, Qt::CaseInsensitive) == 0)
            picked = row;
    }
    if (!picked && list->topLevelItemCount() > 0)
        picked = list->topLevelItem(0);
    list->setCurrentItem(picked);
    quotationListPicked();
}

QString TFrm_main::pickedNumber() const
{
    const QTreeWidgetItem* row = management.lst_quotations->currentItem();
    return row ? row->text(kNumber) : QString();
}

void TFrm_main::quotationListSearch()
{
    // Narrows what the panel read when it opened: a keystroke reads nothing from the file.
    platform::guarded([this] { showQuotationTable(pickedNumber()); });
}

void TFrm_main::quotationListPicked()
{
    // The boxes above show the picked quotation, so the queries and deletes act on it.
    const QTreeWidgetItem* row = management.lst_quotations->currentItem();
    if (!row)
        return;
    management.cmb_diy_id->setEditText(row->text(kNumber));
    management.cmb_diy_nm->setEditText(row->text(kName));
}

void TFrm_main::copyQuotationClick()
{
    platform::reported(this, [this] {
        const QString number = pickedNumber();
        if (number.isEmpty())
            return platform::showMessage(this, kPickFirst);
        ADOQueryDIY->postPending(); // a line being edited is copied as it is shown
        const QString copy = db::copyQuotation(*ADOConnection1, number, QDateTime::currentDateTime());
        management.edt_search->clear();
        fillQuotationTable(copy);
    });
}

void TFrm_main::renameQuotationClick()
{
    platform::reported(this, [this] {
        const QTreeWidgetItem* row = management.lst_quotations->currentItem();
        if (!row)
            return platform::showMessage(this, kPickFirst);
        const QString number = row->text(kNumber);
        const std::optional<QString> name = platform::promptQuery(
            this, QStringLiteral("重命名"), QStringLiteral("装机单“%1”的新名称:").arg(number), row->text(kName));
        if (!name || *name == row->text(kName))
            return;
        ADOQueryDIY->postPending();
        db::renameQuotation(*ADOConnection1, number, *name);
        // New lines of the open quotation carry its new name; the grid shows it.
        if (currentQuotation.number.compare(number, Qt::CaseInsensitive) == 0) {
            currentQuotation.name = *name;
            if (ADOQueryDIY->active())
                ADOQueryDIY->refresh();
        }
        fillQuotationTable(number);
    });
}

void TFrm_main::listedDetailsClick()
{
    platform::reported(this, [this] {
        const QString number = pickedNumber();
        if (number.isEmpty())
            return platform::showMessage(this, kPickFirst);
        if (editQuotationDetails(number))
            fillQuotationTable(number);
    });
}

// ---- the details dialog ----

void TFrm_main::quotationDetailsClick()
{
    platform::reported(this, [this] {
        if (!currentQuotation.open)
            return platform::showMessage(
                this, QStringLiteral("没有打开的装机单：请先用“1、建立清单”建立或打开一张装机单。"));
        editQuotationDetails(currentQuotation.number);
    });
}

bool TFrm_main::editQuotationDetails(const QString& number)
{
    const std::optional<db::QuotationRecord> record = db::findQuotation(*ADOConnection1, number);
    if (!record) {
        platform::showMessage(this, QStringLiteral("没有单据编号为“%1”的装机单。").arg(number));
        return false;
    }
    QuotationDetailsDialog dialog(this, *record);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    db::saveCustomer(*ADOConnection1, number, dialog.customer(), dialog.phone(), dialog.note());
    return true;
}

} // namespace app
