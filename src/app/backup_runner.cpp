#include "app/backup_runner.h"
#include "db/backup.h"
#include "db/backup_rotation.h"
#include "db/backup_snapshot.h"
#include "db/connection.h"
#include "platform/error.h"
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
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
    return db::BackupSettings::load(dataFolder_).folderFor(dataFolder_);
}

void BackupRunner::start(db::BackupCause cause)
{
    const QString database = QDir(dataFolder_).filePath(QLatin1String(db::kDatabaseFileName));
    std::shared_ptr<db::CatalogueSnapshot> snapshot;
    try {
        snapshot = std::make_shared<db::CatalogueSnapshot>(database, backupFolder());
    } catch (const std::exception& e) {
        throw platform::Error(QStringLiteral("无法备份（%1），操作没有进行：%2")
                                  .arg(db::causeText(cause), platform::errorMessage(e)));
    }
    const QDateTime time = QDateTime::currentDateTime();
    const QString label = db::causeText(cause);
    auto* writer = QThread::create([this, snapshot, cause, time, label] {
        QString made, failure;
        QThread* self = QThread::currentThread();
        try {
            made = snapshot->write(cause, time, [this, label](int percent) {
                QMetaObject::invokeMethod(this, [this, label, percent] {
                    emit progressed(QStringLiteral("正在备份（%1）…… %2%").arg(label).arg(percent));
                }, Qt::QueuedConnection);
            }).name;
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
