#pragma once
#include <QObject>
#include <QString>
#include <QList>
#include <functional>

class QThread;

namespace db { enum class BackupCause; }

namespace app {

// Makes backups of a data folder while the operator keeps working: the snapshot is taken at
// once (a moment), the file is written on a thread of its own, with its progress and its end
// told by signals on the window's thread. After each backup the folder is rotated.
class BackupRunner : public QObject {
    Q_OBJECT
public:
    explicit BackupRunner(QString dataFolder, QObject* parent = nullptr);
    // The server whose catalogue is open, or nothing while a file is: asked at each backup.
    // A server's backups are copies of its catalogue, kept in a folder of that server's own.
    void setServerSource(std::function<QString()> server) { server_ = std::move(server); }
    // Waits for the backups under way: a backup is never left half written by closing.
    ~BackupRunner() override;

    // Takes the snapshot now (over a server: waits until a connection of the backup's own has
    // fixed the moment it copies); fails (platform::Error, a message for the operator) when it
    // cannot be taken, so that a step that needs the backup does not go on without one.
    void start(db::BackupCause cause);
    // The start-of-day backup, unless the backup folder already holds one of today.
    void startDailyIfDue();
    bool busy() const { return !writers_.isEmpty() || !chores_.isEmpty(); }
    // Backups that failed since the program started.
    int failures() const { return failures_; }
    // Lets events run (the status area shows the progress) until no backup (nor other work
    // of runQuietly) is under way.
    void waitUntilDone();

    // Work that may take long and changes nothing the operator sees (removing the pictures
    // a restore replaced), on a thread; waited for on closing.
    void runQuietly(std::function<void()> work);

    QString backupFolder() const;
    const QString& dataFolder() const { return dataFolder_; }

signals:
    void progressed(const QString& text);
    void finished(const QString& text);
    void failed(const QString& text);

private:
    QString server() const { return server_ ? server_() : QString(); }
    void startServer(db::BackupCause cause, const QString& address);
    void startWriter(std::function<QString(const std::function<void(int)>& progress)> write, const QString& label);
    void writerEnded(QThread* writer, const QString& made, const QString& failure);

    QString dataFolder_;
    std::function<QString()> server_;
    QList<QThread*> writers_;
    QList<QThread*> chores_;
    int failures_ = 0;
};

} // namespace app
