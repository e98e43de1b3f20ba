#include "app/backup_runner.h"
#include "db/backup.h"
#include "db/backup_rotation.h"
#include "db/backup_snapshot.h"
#include "db/connection.h"
#include "db/server_backup.h"
#include "platform/error.h"
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace app {

BackupRunner::BackupRunner(QString dataFolder, QObject* parent) : QObject(parent), dataFolder_(std::move(dataFolder)) {}

BackupRunner::~BackupRunner()
{
    for (QThread* thread : writers_ + chores_) {
        thread->wait();
        delete thread;
    }
}

QString BackupRunner::backupFolder() const
{
    const QString folder = db::BackupSettings::load(dataFolder_).folderFor(dataFolder_);
    const QString address = server();
    return address.isEmpty() ? folder : db::serverBackupFolder(folder, address);
}

namespace {

QString notTaken(db::BackupCause cause, const QString& why)
{
    return QStringLiteral("无法备份（%1），操作没有进行：%2").arg(db::causeText(cause), why);
}

} // namespace

void BackupRunner::start(db::BackupCause cause)
{
    if (const QString address = server(); !address.isEmpty()) {
        startServer(cause, address);
        return;
    }
    const QString database = QDir(dataFolder_).filePath(QLatin1String(db::kDatabaseFileName));
    std::shared_ptr<db::CatalogueSnapshot> snapshot;
    try {
        snapshot = std::make_shared<db::CatalogueSnapshot>(database, backupFolder());
    } catch (const std::exception& e) {
        throw platform::Error(notTaken(cause, platform::errorMessage(e)));
    }
    const QDateTime time = QDateTime::currentDateTime();
    startWriter([snapshot, cause, time](const db::BackupProgress& progress) {
        return snapshot->write(cause, time, progress).name;
    }, db::causeText(cause));
}

void BackupRunner::startServer(db::BackupCause cause, const QString& address)
{
    // The copy runs on a connection of its own. The step that needs the backup goes on only
    // once that connection has fixed its moment: what the step changes is not in the copy.
    // The wait is a plain one, as a file's snapshot is: no events run in the middle of the
    // step (a refresh of the grid being deleted from, say).
    enum Stage { Connecting, Fixed, Refused };
    struct Handover {
        std::mutex lock;
        std::condition_variable moved;
        Stage stage = Connecting;
        QString whyRefused;
        void set(Stage to, const QString& why = {})
        {
            {
                const std::lock_guard held(lock);
                stage = to;
                whyRefused = why;
            }
            moved.notify_all();
        }
    };
    auto handover = std::make_shared<Handover>();
    const QString folder = backupFolder();
    const QDateTime time = QDateTime::currentDateTime();
    startWriter([handover, address, folder, cause, time](const db::BackupProgress& progress) {
        bool fixed = false;
        try {
            db::Connection server(QStringLiteral("backup"));
            server.setConnectionString(address);
            server.open();
            const auto taken = [&] {
                fixed = true;
                handover->set(Fixed);
            };
            return db::makeServerBackup(server, folder, cause, time, taken, progress).name;
        } catch (const std::exception& e) {
            if (fixed)
                throw; // a backup under way that failed: told as such
            handover->set(Refused, platform::errorMessage(e));
            return QString(); // the step is refused with the reason instead
        }
    }, db::causeText(cause));
    std::unique_lock held(handover->lock);
    handover->moved.wait(held, [&] { return handover->stage != Connecting; });
    if (handover->stage == Refused)
        throw platform::Error(notTaken(cause, handover->whyRefused));
}

void BackupRunner::startWriter(std::function<QString(const db::BackupProgress& progress)> write, const QString& label)
{
    auto* writer = QThread::create([this, write = std::move(write), label] {
        QString made, failure;
        QThread* self = QThread::currentThread();
        try {
            made = write([this, label](int percent) {
                QMetaObject::invokeMethod(this, [this, label, percent] {
                    emit progressed(QStringLiteral("正在备份（%1）…… %2%").arg(label).arg(percent));
                }, Qt::QueuedConnection);
            });
        } catch (const std::exception& e) {
            failure = platform::errorMessage(e);
        }
        QMetaObject::invokeMethod(this, [this, self, made, failure] { writerEnded(self, made, failure); },
                                  Qt::QueuedConnection);
    });
    writers_ << writer;
    writer->start(QThread::LowPriority);
}

void BackupRunner::runQuietly(std::function<void()> work)
{
    auto* chore = QThread::create([work = std::move(work)] {
        try {
            work();
        } catch (...) {
            // Nothing the operator waits for: what is left is removed the next time.
        }
    });
    chores_ << chore;
    connect(chore, &QThread::finished, this, [this, chore] {
        chores_.removeOne(chore);
        delete chore;
    });
    chore->start(QThread::LowPriority);
}

void BackupRunner::startDailyIfDue()
{
    if (!db::hasBackupOn(backupFolder(), QDate::currentDate()))
        start(db::BackupCause::Start);
}

void BackupRunner::writerEnded(QThread* writer, const QString& made, const QString& failure)
{
    writer->wait();
    writers_.removeOne(writer);
    delete writer;
    if (made.isEmpty() && failure.isEmpty())
        return; // never begun: the step that asked for it was refused with the reason
    if (!failure.isEmpty()) {
        ++failures_;
        emit failed(QStringLiteral("备份失败：") + failure);
        return;
    }
    try {
        db::rotateBackups(backupFolder(), db::BackupSettings::load(dataFolder_));
    } catch (const std::exception& e) {
        emit failed(QStringLiteral("旧备份未能清理：") + platform::errorMessage(e));
        return;
    }
    emit finished(QStringLiteral("已备份：%1").arg(made));
}

void BackupRunner::waitUntilDone()
{
    // Paints and the progress run meanwhile, the operator's clicks and keys wait.
    while (busy()) {
        QEventLoop loop;
        connect(this, &BackupRunner::finished, &loop, &QEventLoop::quit);
        connect(this, &BackupRunner::failed, &loop, &QEventLoop::quit);
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

} // namespace app
