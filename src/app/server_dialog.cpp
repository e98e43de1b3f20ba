#include "app/server_dialog.h"
#include "db/connection.h"
#include "platform/error.h"
#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

namespace app {

namespace {

QLineEdit* fieldEdit(QWidget* parent, const char* name, const QString& text)
{
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    return edit;
}

} // namespace

ServerDialog::ServerDialog(const QString& current, const QString& knownServer, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("连接服务器"));
    const db::ServerFields known = knownServer.isEmpty() ? db::ServerFields{} : db::serverFields(knownServer);

    fileChoice_ = new QRadioButton(QStringLiteral("目录文件（本机）"), this);
    fileChoice_->setObjectName(QStringLiteral("fileChoice"));
    serverChoice_ = new QRadioButton(QStringLiteral("数据库服务器"), this);
    serverChoice_->setObjectName(QStringLiteral("serverChoice"));
    (current.isEmpty() ? fileChoice_ : serverChoice_)->setChecked(true);

    host_ = fieldEdit(this, "host", known.host);
    host_->setPlaceholderText(QStringLiteral("例如 192.168.1.10"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("port"));
    port_->setRange(1, 65535);
    port_->setValue(known.port);
    database_ = fieldEdit(this, "database", known.database);
    user_ = fieldEdit(this, "user", known.user);
    password_ = fieldEdit(this, "password", QString());
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("已保存的密码不必再填"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("服务器地址："), host_);
    form->addRow(QStringLiteral("端口："), port_);
    form->addRow(QStringLiteral("数据库："), database_);
    form->addRow(QStringLiteral("用户名："), user_);
    form->addRow(QStringLiteral("密码："), password_);
    form->setContentsMargins(24, 0, 0, 0);

    test_ = new QPushButton(QStringLiteral("测试连接"), this);
    test_->setObjectName(QStringLiteral("test"));
    test_->setAutoDefault(false);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("result"));
    result_->setWordWrap(true);
    result_->setTextFormat(Qt::PlainText);
    result_->setMinimumWidth(360);
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(test_);
    testRow->addWidget(result_, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileChoice_);
    layout->addWidget(serverChoice_);
    layout->addLayout(form);
    layout->addLayout(testRow);
    layout->addWidget(buttons);

    connect(fileChoice_, &QRadioButton::toggled, this, &ServerDialog::followChoice);
    connect(test_, &QPushButton::clicked, this, &ServerDialog::testConnection);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ServerDialog::reject);
    followChoice();
}

bool ServerDialog::serverChosen() const
{
    return serverChoice_->isChecked();
}

db::ServerFields ServerDialog::fields() const
{
    return {host_->text().trimmed(), port_->value(), database_->text().trimmed(), user_->text().trimmed()};
}

QString ServerDialog::password() const
{
    return password_->text();
}

QString ServerDialog::address() const
{
    return serverChosen() ? db::serverAddress(fields()) : QString();
}

QString ServerDialog::testResult() const
{
    return result_->text();
}

void ServerDialog::followChoice()
{
    for (QWidget* field : {static_cast<QWidget*>(host_), static_cast<QWidget*>(port_), static_cast<QWidget*>(database_),
                           static_cast<QWidget*>(user_), static_cast<QWidget*>(password_), static_cast<QWidget*>(test_)})
        field->setEnabled(serverChosen());
    result_->clear();
}

void ServerDialog::testConnection()
{
    const db::ServerFields server = fields();
    if (server.host.isEmpty() || server.database.isEmpty()) {
        result_->setText(QStringLiteral("请填写服务器地址和数据库。"));
        return;
    }
    // The password typed is tried as it is, without being kept anywhere yet.
    QUrl url(db::serverAddress(server));
    if (!password().isEmpty())
        url.setPassword(password());
    result_->setText(QStringLiteral("正在连接…"));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QString name = QStringLiteral("connectionTest");
    try {
        db::Connection probe(name);
        probe.setConnectionString(url.toString(QUrl::FullyEncoded));
        probe.open();
        probe.close();
        result_->setText(QStringLiteral("连接成功"));
    } catch (const std::exception& e) {
        // The server's own words, without the name of the throw-away connection.
        QString text = platform::errorMessage(e);
        if (text.startsWith(name + QLatin1String(": ")))
            text = text.mid(name.size() + 2);
        result_->setText(text);
    }
    QApplication::restoreOverrideCursor();
}

void ServerDialog::accept()
{
    const db::ServerFields server = fields();
    if (serverChosen() && (server.host.isEmpty() || server.database.isEmpty())) {
        result_->setText(QStringLiteral("请填写服务器地址和数据库。"));
        return;
    }
    QDialog::accept();
}

} // namespace app
