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
#include <atomic>
#include <memory>

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
    enum Stage { Connecting, Fixed, Refused };
    auto stage = std::make_shared<std::atomic<int>>(Connecting);
    auto whyRefused = std::make_shared<QString>(); // written before the stage says Refused
    const QString folder = backupFolder();
    const QDateTime time = QDateTime::currentDateTime();
    startWriter([stage, whyRefused, address, folder, cause, time](const db::BackupProgress& progress) {
        try {
            db::Connection server(QStringLiteral("backup"));
            server.setConnectionString(address);
            server.open();
            return db::makeServerBackup(server, folder, cause, time, [&] { stage->store(Fixed); }, progress).name;
        } catch (const std::exception& e) {
            if (stage->load() == Fixed)
                throw; // a backup under way that failed: told as such
            *whyRefused = platform::errorMessage(e);
            stage->store(Refused);
            return QString(); // the step is refused with the reason instead
        }
    }, db::causeText(cause));
    while (stage->load() == Connecting) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (stage->load() == Refused)
        throw platform::Error(notTaken(cause, *whyRefused));
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
