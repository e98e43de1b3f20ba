// Backups of the shop's data: the start-of-day backup, the backup before each step that
// removes or rewrites much (its snapshot is taken before the step, the file is written while
// the operator goes on), restoring one, and the check of the catalogue at start, which
// offers the latest sound backup instead of showing a damaged catalogue.
#include "app/backup_dialog.h"
#include "app/backup_runner.h"
#include "app/main_window.h"
#include "db/backup.h"
#include "db/backup_restore.h"
#include "db/catalogue_check.h"
#include "db/compaction.h"
#include "db/connection.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QTimer>

namespace app {

namespace {

// A backup that could not be made stops the step that needed it, and the operator is told
// even where the handler's guard is silent.
class BackupFailure : public platform::Error, public platform::MustReport {
public:
    using platform::Error::Error;
};

constexpr int kDoneShownMs = 8000;

} // namespace

void TFrm_main::createBackups()
{
    backups_ = new BackupRunner(dataFolder_, this);
    // Over a server, backups copy the server's catalogue into a folder of its own.
    backups_->setServerSource([this] { return ADOConnection1->isServer() ? serverAddress_ : QString(); });
    // Progress goes to the status area only; failures are reported like other reasons there.
    auto showQuietly = [this](const QString& text) {
        shell.statusArea->setText(text);
        shell.statusArea->setToolTip(text);
        shell.statusArea->setVisible(true);
    };
    connect(backups_, &BackupRunner::progressed, this, showQuietly);
    connect(backups_, &BackupRunner::finished, this, [this, showQuietly](const QString& text) {
        showQuietly(text);
        QTimer::singleShot(kDoneShownMs, this, [this, text] {
            if (statusText() == text)
                showStatus(QString());
        });
    });
    connect(backups_, &BackupRunner::failed, this, &TFrm_main::showStatus);

    // With the other catalogue-wide commands, after the price lists.
    backupsItem_ = new QAction(QStringLiteral("备份与恢复..."), menu.PopupMenu1);
    backupsItem_->setObjectName(QStringLiteral("backupsItem"));
    menu.PopupMenu1->insertAction(menu.webSiteItem, backupsItem_);
    connect(backupsItem_, &QAction::triggered, this, &TFrm_main::backupsItemClick);
}

void TFrm_main::backUpBefore(db::BackupCause cause)
{
    if (!ADOConnection1->isServer() && !QFileInfo(programFolder() + QLatin1String(db::kDatabaseFileName)).isFile())
        return; // no catalogue, nothing to lose; the step itself says what is missing
    try {
        backups_->start(cause);
    } catch (const std::exception& e) {
        throw BackupFailure(platform::errorMessage(e));
    }
}

void TFrm_main::backupsItemClick()
{
    platform::reported(this, [this] {
        BackupDialog dialog(*this);
        dialog.exec();
    });
}

bool TFrm_main::restoreFromBackup(const QString& path)
{
    return platform::reported(this, [this, path] {
        postPendingEdits();
        backups_->waitUntilDone();
        const QString database = programFolder() + QLatin1String(db::kDatabaseFileName);
        const QString folder = backups_->backupFolder();
        try {
            db::restoreBackup(path, database, [&] {
                db::backUpBeforeRestore(database, folder);
                // Never replaced under the program's own connection.
                if (ADOConnection1->connected())
                    db::checkpoint(*ADOConnection1);
                closeDatabase();
            });
        } catch (...) {
            Timer1Timer(); // the catalogue as it was, open again
            throw;
        }
        damagedCatalogue_ = false;
        backups_->runQuietly([database] { db::removeReplacedPictures(database); });
        Timer1Timer();
        if (!ADOConnection1->connected())
            throw platform::Error(QStringLiteral("恢复后的数据库无法打开，请检查数据文件夹。"));
        showStatus(QString());
    });
}

void TFrm_main::openCheckedCatalogue()
{
    // The caption says which catalogue the window shows once the open is over, whichever
    // way it went (a server unreachable falls back to the file).
    struct CaptionAfterwards {
        TFrm_main* w;
        ~CaptionAfterwards() { w->showCatalogueInCaption(); }
    } caption{this};
    if (!serverAddress_.isEmpty()) {
        openServerCatalogue();
        return;
    }
    const QString database = programFolder() + QLatin1String(db::kDatabaseFileName);
    QString problem;
    try {
        ADOConnection1->open();
        problem = db::catalogueProblem(*ADOConnection1);
    } catch (const std::exception& e) {
        // Silent as a dialog, but the operator is told why the window stays empty.
        showStatus(QStringLiteral("无法打开数据库：") + platform::errorMessage(e));
        if (QFileInfo(database).isFile() && offerBackupInstead(platform::errorMessage(e)))
            return;
        throw;
    }
    if (problem.isEmpty()) {
        try {
            backups_->startDailyIfDue();
        } catch (const std::exception& e) {
            showStatus(platform::errorMessage(e));
        }
        return;
    }
    ADOConnection1->close();
    showStatus(QStringLiteral("数据库文件已损坏：") + problem);
    damagedCatalogue_ = !offerBackupInstead(problem);
    if (damagedCatalogue_)
        throw platform::Abort();
}

bool TFrm_main::offerBackupInstead(const QString& problem)
{
    const QString folder = backups_->backupFolder();
    for (const db::BackupInfo& backup : db::listBackups(folder)) {
        if (!db::backupProblem(backup.path, dataFolder_).isEmpty())
            continue; // the latest one that passes the same check
        const QString question =
            QStringLiteral("数据库文件“%1”已损坏，不能使用：\n%2\n\n最近一份完好的备份是 %3（%4，%5 个产品，%6 个清单）。"
                           "要恢复这份备份吗？\n（损坏的文件会先保存到备份文件夹。）")
                .arg(QLatin1String(db::kDatabaseFileName), problem,
                     QLocale().toString(backup.time, QStringLiteral("yyyy-MM-dd HH:mm")), db::causeText(backup.cause))
                .arg(backup.counts.items)
                .arg(backup.counts.quotations);
        if (!platform::confirmYesNo(this, question))
            return false;
        const QString database = programFolder() + QLatin1String(db::kDatabaseFileName);
        const bool restored = platform::reported(this, [&] {
            db::restoreBackup(backup.path, database, [&] { db::backUpBeforeRestore(database, folder); });
            backups_->runQuietly([database] { db::removeReplacedPictures(database); });
            ADOConnection1->open();
        });
        if (restored)
            showStatus(QStringLiteral("已恢复备份 %1。").arg(backup.name));
        return restored;
    }
    showStatus(statusText() + QStringLiteral("（没有可用的备份）"));
    return false;
}

} // namespace app
