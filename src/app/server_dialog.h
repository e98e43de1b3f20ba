#pragma once
#include "db/server_address.h"
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace app {

// "连接服务器": the catalogue of this workstation, the data folder's file ("目录文件（本机）")
// or a database on a PostgreSQL server ("数据库服务器") with its address, port, database, user
// and password; "测试连接" tries the server with a connection of its own and says
// "连接成功" or why not. OK refuses a server choice without address or database.
class ServerDialog : public QDialog {
    Q_OBJECT
public:
    // `current`: the server the window has open, empty for the file; `known`: the server
    // whose fields are offered (the one open, else the one last chosen).
    ServerDialog(const QString& current, const QString& known, QWidget* parent = nullptr);

    bool serverChosen() const;
    db::ServerFields fields() const;
    QString password() const;
    // The server's address without the password; empty when the file is chosen.
    QString address() const;
    // What the last test said.
    QString testResult() const;

public slots:
    void testConnection();
    void accept() override;

private:
    void followChoice();
    QRadioButton* fileChoice_ = nullptr;
    QRadioButton* serverChoice_ = nullptr;
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* database_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QPushButton* test_ = nullptr;
    QLabel* result_ = nullptr;
};

} // namespace app
