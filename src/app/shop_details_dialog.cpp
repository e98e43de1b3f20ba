#include "app/shop_details_dialog.h"
#include "app/form_dialog.h"
#include "app/shop_logo.h"
#include "platform/widgets/dialogs.h"
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

namespace {

QLineEdit* lineEdit(QWidget* parent, const char* name, const QString& text, int maxLength)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

ShopDetailsDialog::ShopDetailsDialog(QWidget* parent, const db::ShopDetails& details)
    : QDialog(parent), logo_(details.logo)
{
    setWindowTitle(QStringLiteral("店铺信息"));
    name_ = lineEdit(this, "shopName", details.name, 100);
    address_ = lineEdit(this, "shopAddress", details.address, 255);
    phone_ = lineEdit(this, "shopPhone", details.phone, 100);
    note_ = new QPlainTextEdit(details.note, this);
    note_->setObjectName(QStringLiteral("shopNote"));
    note_->setPlaceholderText(QStringLiteral("报价有效期、保修和付款方式等，印在每页页脚"));
    note_->setTabChangesFocus(true);
    note_->setFixedHeight(64);

    logoView_ = new QLabel(this);
    logoView_->setObjectName(QStringLiteral("shopLogo"));
    logoView_->setFixedSize(180, 90);
    logoView_->setAlignment(Qt::AlignCenter);
    logoView_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    auto* choose = new QPushButton(QStringLiteral("选择图片..."), this);
    choose->setObjectName(QStringLiteral("chooseLogo"));
    auto* clear = new QPushButton(QStringLiteral("清除图片"), this);
    clear->setObjectName(QStringLiteral("clearLogo"));
    connect(choose, &QPushButton::clicked, this, &ShopDetailsDialog::chooseLogo);
    connect(clear, &QPushButton::clicked, this, &ShopDetailsDialog::clearLogo);
    auto* logoButtons = new QVBoxLayout;
    logoButtons->addWidget(choose);
    logoButtons->addWidget(clear);
    logoButtons->addStretch();
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(logoView_);
    logoRow->addLayout(logoButtons);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("店铺名称:"), name_);
    form->addRow(QStringLiteral("地址:"), address_);
    form->addRow(QStringLiteral("电话:"), phone_);
    form->addRow(QStringLiteral("备注:"), note_);
    form->addRow(QStringLiteral("标志:"), logoRow);

    finishFormDialog(*this, form, 460);
    showLogo();
}

db::ShopDetails ShopDetailsDialog::details() const
{
    return {name_->text().trimmed(), address_->text().trimmed(), phone_->text().trimmed(),
            note_->toPlainText().trimmed(), logo_};
}

void ShopDetailsDialog::chooseLogo()
{
    const QString file = platform::openFileName(this, QStringLiteral("选择店铺标志图片"), QDir::homePath(),
                                                QStringLiteral("图片 (*.png *.jpg *.jpeg *.bmp *.gif);;所有文件 (*)"));
    if (file.isEmpty())
        return;
    // A file that is no picture is named to the operator; the logo shown stays.
    platform::reported(this, [&] {
        logo_ = logoPicture(file);
        showLogo();
    });
}

void ShopDetailsDialog::clearLogo()
{
    logo_.clear();
    showLogo();
}

void ShopDetailsDialog::showLogo()
{
    const QImage image = QImage::fromData(logo_);
    if (image.isNull()) {
        logoView_->setPixmap({});
        logoView_->setText(QStringLiteral("（无）"));
        return;
    }
    logoView_->setPixmap(QPixmap::fromImage(
        image.scaled(logoView_->size() - QSize(4, 4), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

} // namespace app
