// Database compaction, "※ 压缩数据库(每周一次)": step 1 closes the database and
// copies it to qmxpcdiy2.dat; three seconds later (Timer3) step 2 compacts the copy in place
// and puts it back over qmxpcdiy.dat.
//
// The database file is replaced only when step 1's copy and the compaction both succeeded,
// while no connection (the program's own is closed for it) holds the file, and when the file
// still holds what step 1 copied; the replacement is one atomic move. Otherwise the file
// stays as it was and the reason is reported. One compaction runs at a time.
#include "app/main_window.h"
#include "app/backup_runner.h"
#include "db/backup.h"
#include "db/compaction.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "platform/error.h"
#include "platform/widgets/dialogs.h"
#include <QApplication>
#include <QTimer>

namespace app {

struct TFrm_main::CompactionRun {
    bool underWay = false;    // from step 1 until step 2 has ended
    bool copied = false;      // step 1's copy succeeded
    QString copyFailure;      // why it did not
    db::FileStamp copiedFrom; // the database file as step 1 copied it
};

namespace {

// The wait cursor over the whole screen while it lives.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

void TFrm_main::closeDatabase()
{
    // The queries first: each posts what is pending while the connection can still take it.
    for (db::Dataset* query : queries())
        query->close();
    ADOConnection1->close();
}

void TFrm_main::N27Click()
{
    if (ADOConnection1->isServer()) {
        platform::showMessage(this, QStringLiteral("数据库服务器自行整理存储，无需压缩。"));
        return;
    }
    if (!compaction_)
        compaction_ = std::make_shared<CompactionRun>();
    if (compaction_->underWay)
        return; // the one under way goes on; a second would copy a closed database twice
    // Edits still pending are saved before anything is closed; when one cannot be, the
    // command stops here with the reason, and the operator's text stays where it was typed.
    const bool ready = platform::reported(this, [this] {
        postPendingEdits();
        // The backup's snapshot holds the catalogue open, so it is written before closing.
        const int failures = backups()->failures();
        backUpBefore(db::BackupCause::Compaction);
        backups()->waitUntilDone();
        if (backups()->failures() != failures)
            throw platform::Error(QStringLiteral("备份没有完成，数据库没有压缩：") + statusText());
        // What the log holds goes into the file, so that a copy of the file alone holds it all.
        if (ADOConnection1->connected())
            db::checkpoint(*ADOConnection1);
        closeDatabase();
    });
    if (!ready)
        return;
    *compaction_ = CompactionRun{};
    compaction_->underWay = true;
    const QString folder = programFolder();
    try {
        compaction_->copiedFrom = db::copyClosedDatabase(folder + QLatin1String(db::kDatabaseFileName),
                                                         folder + QLatin1String(db::kCompactionCopyName));
        compaction_->copied = true;
    } catch (const std::exception& error) {
        // Step 2 reports it; nothing is then put back.
        compaction_->copyFailure = platform::errorMessage(error);
    }
    shell.Timer3->start();
}

void TFrm_main::Timer3Timer()
{
    shell.Timer3->stop();
    if (!compaction_)
        compaction_ = std::make_shared<CompactionRun>(); // no step 1: nothing to put back
    compaction_->underWay = true;
    // Not guarded: a failure reaches the standard error report.
    platform::reported(this, [this] { compactAndPutBack(); });
    *compaction_ = CompactionRun{};
}

void TFrm_main::compactAndPutBack()
{
    const QString database = programFolder() + QLatin1String(db::kDatabaseFileName);
    const QString copy = programFolder() + QLatin1String(db::kCompactionCopyName);
    const WaitCursor wait;
    // The refresh opens the database again and rebuilds the tree while the copy is compacted.
    Timer1Timer();

    QString failure;
    try {
        db::compactInPlace(copy, QString::fromLatin1(db::kDatabasePassword),
                           [] { QCoreApplication::processEvents(); });
    } catch (const std::exception& error) {
        failure = platform::errorMessage(error);
    }
    if (!compaction_->copied) {
        const QString reason = QStringLiteral("压缩前未能复制数据库，压缩结果没有写回，数据库保持原样：")
            + compaction_->copyFailure;
        failure = failure.isEmpty() ? reason : failure + QLatin1Char('\n') + reason;
    }
    if (!failure.isEmpty())
        throw platform::Error(failure);

    // Never replaced under the program's own connection: closed, replaced, opened again.
    closeDatabase();
    try {
        db::restoreCompacted(copy, database, compaction_->copiedFrom);
    } catch (...) {
        Timer1Timer();
        throw;
    }
    Timer1Timer();
    if (!ADOConnection1->connected())
        throw platform::Error(QStringLiteral("压缩后的数据库无法打开，请检查数据文件夹。"));
}

} // namespace app
