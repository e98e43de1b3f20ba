#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

namespace app {

// One running program per data folder and user: the first start holds a lock and listens;
// a second start on the same folder asks the first to bring its window to the front and
// ends without opening the catalogue a second time. A lock left by a program that crashed
// is taken over.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class Claim {
        First,         // this process is the first on the folder and listens for later starts
        Asked,         // another one runs and was asked to come to the front
        NoAnswer,      // another one holds the folder but did not answer (busy or hung)
    };
    // A lock folder that cannot be written leaves the program unguarded rather than unable
    // to start: First then.
    Claim claim();

    // Called in the first program for every later start.
    std::function<void()> onAnotherStart;

    // The name both the lock file and the listening socket are made from.
    const QString& key() const { return key_; }

private:
    bool askRunningOne();
    void listen();

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// Shows the window restored from a minimised state, raised and activated.
void bringToFront(QWidget& window);

} // namespace app
