#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <functional>

namespace platform {

// The one way the program writes a file. The content goes to a temporary file in the
// target's folder; commit() flushes it to the disk, renames it over the target and syncs
// the folder, so whoever opens the target finds its old content or the whole new one, also
// after a crash. Destroyed without a successful commit() (a failure, an exception, a
// stopped export), it removes the temporary and leaves the target as it was.
//
// It is a write-only, sequential QIODevice, for writers that stream (XML, PDF, PNG).
// Every failure, when the temporary is made, while writing or at the commit, throws
// platform::Error with writeFailureText(target, cause); a write that fails while streaming
// returns -1 like any device (errorString() holds the cause) and makes commit() throw.
class AtomicFile final : public QIODevice {
public:
    explicit AtomicFile(const QString& target);
    ~AtomicFile() override;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    const QString& target() const { return target_; }
    // For writers that open the file by its name themselves (the database engine, the
    // printer): they write into this file, and commit() puts it in place.
    const QString& temporaryPath() const { return temporary_; }

    // Writes out what is gathered, syncs the temporary to the disk and closes it, keeping it
    // for commit(); for writers of many files, which would otherwise hold one open file each.
    void finish();
    enum class Replace { Existing, Never };
    // finish(), then the temporary into the target's place. Replace::Never fails
    // ("文件已存在") when the target exists by then, and leaves it.
    void commit(Replace mode = Replace::Existing);

    bool isSequential() const override { return true; }
    // True once a write failed; errorString() then holds the cause.
    bool writeFailed() const { return writeError_ != 0; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool writeOut(const char* data, qint64 size);
    [[noreturn]] void fail(int errorNumber);
    void discard();

    QString target_;
    QString temporary_;
    int fd_ = -1;
    int writeError_ = 0; // errno of the first failed write, 0 while none failed
    QByteArray pending_; // small writes gathered into larger ones
};

// Streams a file's content through `write` into an AtomicFile and commits it. An exception
// from `write` discards the file; when it follows a failed write to the file, what is thrown
// is the write failure's text, whatever the writer made of it.
void streamFileAtomically(const QString& path, const std::function<void(QIODevice&)>& write);

} // namespace platform
