#include "app/quotation_details_dialog.h"
#include "app/form_dialog.h"
#include "platform/operator_text.h"
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

QuotationDetailsDialog::QuotationDetailsDialog(QWidget* parent, const db::QuotationRecord& quotation)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("单据详情"));
    customer_ = new QLineEdit(quotation.customer, this);
    customer_->setObjectName(QStringLiteral("customer"));
    customer_->setMaxLength(100);
    phone_ = new QLineEdit(quotation.phone, this);
    phone_->setObjectName(QStringLiteral("phone"));
    phone_->setMaxLength(50);
    note_ = new QPlainTextEdit(quotation.note, this);
    note_->setObjectName(QStringLiteral("note"));
    note_->setTabChangesFocus(true);
    note_->setFixedHeight(64);

    auto* form = new QFormLayout;
    const QString created = quotation.created.isEmpty() ? QStringLiteral("（不详）") : quotation.created.left(16);
    const QString facts[][2] = {
        {QStringLiteral("单据编号:"), quotation.number},
        {QStringLiteral("单据名称:"), quotation.name},
        {QStringLiteral("建立日期:"), created},
        {QStringLiteral("货物:"), QStringLiteral("%1 行，合计 %2 元").arg(quotation.lines).arg(platform::formatGeneral(quotation.total))},
    };
    for (const auto& fact : facts) {
        auto* value = new QLabel(fact[1], this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(fact[0], value);
    }
    form->addRow(QStringLiteral("客户名称:"), customer_);
    form->addRow(QStringLiteral("客户电话:"), phone_);
    form->addRow(QStringLiteral("备注:"), note_);

    finishFormDialog(*this, form, 380);
    customer_->setFocus();
}

QString QuotationDetailsDialog::customer() const
{
    return customer_->text().trimmed();
}

QString QuotationDetailsDialog::phone() const
{
    return phone_->text().trimmed();
}

QString QuotationDetailsDialog::note() const
{
    return note_->toPlainText().trimmed();
}

} // namespace app
