#include "app/single_instance.h"
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>
#include <unistd.h>

namespace app {

namespace {

constexpr char kActivate[] = "activate\n";

// The runtime folder of the session (private to the user), else the temporary folder; the
// name carries the user id for the latter.
QString lockFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

} // namespace

SingleInstance::SingleInstance(const QString& dataFolder, QObject* parent) : QObject(parent)
{
    // The canonical path, so two spellings of one folder are one program.
    const QFileInfo info(dataFolder);
    const QString folder = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    const QByteArray digest = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    key_ = QStringLiteral("qmxdiy-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::claim()
{
    lock_ = std::make_unique<QLockFile>(QDir(lockFolder()).filePath(key_ + QStringLiteral(".lock")));
    // A lock whose program is gone is stale at once (the lock file names its process).
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        return Claim::First;
    }
    if (lock_->error() != QLockFile::LockFailedError) {
        lock_.reset();
        return Claim::First;
    }
    lock_.reset();
    return askRunningOne() ? Claim::Asked : Claim::NoAnswer;
}

void SingleInstance::listen()
{
    // A socket left by a program that crashed is in the way; the lock says it is not ours.
    QLocalServer::removeServer(key_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("activate") && onAnotherStart)
                    onAnotherStart();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    server_->listen(key_);
}

bool SingleInstance::askRunningOne()
{
    // The first program may still be starting up: it listens right after taking the lock,
    // so a few tries over two seconds reach it.
    const QDeadlineTimer deadline(2000);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(key_);
        if (socket.waitForConnected(500)) {
            socket.write(kActivate);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.waitForDisconnected(1000);
            return sent;
        }
        QThread::msleep(50);
    }
    return false;
}

void bringToFront(QWidget& window)
{
    window.setWindowState((window.windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace app
