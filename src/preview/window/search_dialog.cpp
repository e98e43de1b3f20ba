#include "preview/window/search_dialog.h"

#include "report/frx_resources.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace preview {

QString& TfrxSearchDialog::lastText()
{
    static QString text;
    return text;
}

TfrxSearchDialog::TfrxSearchDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("TfrxSearchDialog"));
    setWindowTitle(frxGet(300));
    auto* layout = new QVBoxLayout(this);
    auto* textRow = new QHBoxLayout;
    auto* textL = new QLabel(frxGet(301), this);
    textE_ = new QLineEdit(lastText(), this);
    textE_->setObjectName(QStringLiteral("TextE"));
    textE_->selectAll();
    textL->setBuddy(textE_);
    textRow->addWidget(textL);
    textRow->addWidget(textE_, 1);
    layout->addLayout(textRow);

    auto* options = new QGroupBox(frxGet(302), this);
    options->setObjectName(QStringLiteral("SearchL"));
    auto* optionsLayout = new QVBoxLayout(options);
    topCB_ = new QCheckBox(frxGet(304), options);
    topCB_->setObjectName(QStringLiteral("TopCB"));
    caseCB_ = new QCheckBox(frxGet(305), options);
    caseCB_->setObjectName(QStringLiteral("CaseCB"));
    optionsLayout->addWidget(topCB_);
    optionsLayout->addWidget(caseCB_);
    layout->addWidget(options);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(frxGet(1), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("OkB"));
    ok->setDefault(true);
    buttons->addButton(frxGet(2), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("CancelB"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        lastText() = textE_->text();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString TfrxSearchDialog::text() const { return textE_->text(); }
bool TfrxSearchDialog::fromTop() const { return topCB_->isChecked(); }
bool TfrxSearchDialog::caseSensitive() const { return caseCB_->isChecked(); }

} // namespace preview
