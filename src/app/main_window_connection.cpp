// Which catalogue the window has open: the data folder's file or a database on a PostgreSQL
// server. "连接服务器..." chooses, tests and remembers; the window then closes the catalogue
// it had (pending edits settled as on closing) and opens the one chosen. A server that cannot
// be reached leaves the choice to the operator: try again, or work on the file meanwhile.
#include "app/app_identity.h"
#include "app/backup_runner.h"
#include "app/catalogue_choice.h"
#include "app/data_folder.h"
#include "app/main_window.h"
#include "app/password_file.h"
#include "db/server_address.h"
#include "app/server_dialog.h"
#include "db/catalogue_check.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "platform/error.h"
#include "platform/operator_text.h"
#include "platform/widgets/dialogs.h"
#include <QDate>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

namespace app {

void TFrm_main::addConnectItem()
{
    // With the other catalogue-wide commands, before the backups.
    connectItem_ = new QAction(QStringLiteral("连接服务器..."), menu.PopupMenu1);
    connectItem_->setObjectName(QStringLiteral("connectItem"));
    menu.PopupMenu1->insertAction(backupsItem_, connectItem_);
    connect(connectItem_, &QAction::triggered, this, &TFrm_main::connectItemClick);
}

void TFrm_main::connectItemClick()
{
    // A window that fell back to the file offers the server it could not reach.
    ServerDialog dialog(serverAddress_, serverAddress_.isEmpty() ? rememberedServer() : serverAddress_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString address = dialog.address();
    // Nothing is remembered while the operator still keeps an edit of the present catalogue.
    if (!settlePendingEdits())
        return;
    const bool kept = platform::reported(this, [&] {
        if (!address.isEmpty() && !dialog.password().isEmpty())
            storePassword(dialog.fields(), dialog.password());
        rememberServer(address);
    });
    if (kept)
        reopenCatalogue(address);
}

void TFrm_main::showCatalogueInCaption()
{
    if (!ADOConnection1->connected() || !ADOConnection1->isServer()) {
        setWindowTitle(productTitle());
        return;
    }
    const db::ServerFields server = db::serverFields(serverAddress_);
    // A folder is a server on this machine, reached through its socket.
    const QString host = server.host.isEmpty() || server.host.startsWith(u'/') ? QStringLiteral("本机") : server.host;
    // Ending with the product title, as other windows' captions do (the desktop adds it to a
    // caption that does not end with it).
    setWindowTitle(QStringLiteral("服务器 %1/%2 - ").arg(host, server.database) + productTitle());
}

bool TFrm_main::reopenCatalogue(const QString& serverAddress)
{
    if (!settlePendingEdits())
        return false;
    return platform::reported(this, [&] {
        backups_->waitUntilDone();
        closeDatabase();
        // The open quotation's lines belonged to the catalogue closed.
        currentQuotation.open = false;
        damagedCatalogue_ = false;
        seenDataVersion_ = -1;
        seenCategories_.clear();
        showStatus(QString());
        serverAddress_ = serverAddress;
        if (serverAddress_.isEmpty())
            if (const QString error = ensureCatalogue(dataFolder_); !error.isEmpty())
                showStatus(QStringLiteral("无法建立数据库：") + error);
        ADOConnection1->setConnectionString(catalogueConnectionString());
        try {
            openCheckedCatalogue();
        } catch (...) {
            tree.tv1->clear(); // nothing of the catalogue closed stays on view
            throw;
        }
        seenDataVersion_ = ADOConnection1->dataVersion();
        currentQuotation.number = platform::shortDate(QDate::currentDate());
        currentQuotation.name = QStringLiteral("配置单");
        currentQuotation.total = 0;
        showRunningTotal();
        topLevelInsertMode = true;
        btn_refreshClick();
    });
}

void TFrm_main::openServerCatalogue()
{
    // The first refresh waits while the operator answers: it would try the server meanwhile.
    struct RefreshAfterwards {
        QTimer* timer;
        bool due = false;
        ~RefreshAfterwards()
        {
            if (due)
                timer->start();
        }
    } refresh{shell.Timer1};
    bool told = false;
    for (;;) {
        QString why;
        try {
            ADOConnection1->open();
            why = db::catalogueProblem(*ADOConnection1);
            if (why.isEmpty()) {
                if (told)
                    showStatus(QString()); // reached after all
                try {
                    backups_->startDailyIfDue(); // a copy of the server's catalogue on this PC
                } catch (const std::exception& e) {
                    showStatus(platform::errorMessage(e));
                }
                return;
            }
            ADOConnection1->close();
        } catch (const std::exception& e) {
            // The engine's words say what failed; the connection's name adds nothing here.
            why = platform::errorMessage(e);
            const QString name = ADOConnection1->name() + QLatin1String(": ");
            if (why.startsWith(name))
                why = why.mid(name.size());
        }
        showStatus(why);
        told = true;
        refresh.due = refresh.due || shell.Timer1->isActive();
        shell.Timer1->stop();
        const QString file = programFolder() + QLatin1String(db::kDatabaseFileName);
        const bool retry = platform::confirmWithDetails(
            this, QStringLiteral("无法连接数据库服务器"),
            why + QStringLiteral("\n\n可以重试，或者先打开本机的目录文件（%1）。").arg(file), QString(),
            QStringLiteral("重试"), QStringLiteral("打开目录文件"));
        if (retry)
            continue;
        // For this run only: the next start tries the server again.
        serverAddress_.clear();
        if (const QString error = ensureCatalogue(dataFolder_); !error.isEmpty())
            showStatus(QStringLiteral("无法建立数据库：") + error);
        ADOConnection1->setConnectionString(catalogueConnectionString());
        openCheckedCatalogue();
        showStatus(QStringLiteral("数据库服务器无法连接，已打开本机的目录文件。"));
        return;
    }
}

} // namespace app
