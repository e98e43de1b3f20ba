#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace db {

// The database engine under a connection: the encrypted catalogue file (the default) or a
// PostgreSQL server shared by several workstations. Everything above the engine (statements,
// datasets, catalogue operations) runs through this interface and never knows which one it
// has. Statements are written once, in the file engine's dialect with ?-marks; the server
// engine adapts them as it prepares them.

enum class EngineKind { File, Server };

// One value of a result row, viewed where the engine keeps it until the next step.
struct CellView {
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };
    Kind kind = Kind::Null;
    qint64 integer = 0;
    double real = 0;
    const char* data = nullptr; // text (UTF-8) or blob bytes
    std::uint32_t length = 0;
};

// A column of a table as the schema declares it ("TEXT(255)", "LONGTEXT", "INTEGER").
struct DeclaredColumn {
    QString name; // upper case
    QString declaredType;
    bool isKey = false;
};

// One prepared statement. Values are bound to ?-marks, counted from 1.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual void bindNull(int index) = 0;
    virtual void bindText(int index, const QByteArray& utf8) = 0;
    virtual void bindInteger(int index, qint64 value) = 0;
    virtual void bindReal(int index, double value) = 0;
    virtual void bindBlob(int index, const QByteArray& bytes) = 0;
    // The next row: true while there is one. A failure throws DbError with the engine's message.
    virtual bool step() = 0;
    // Back to the start with no values bound.
    virtual void reset() = 0;
    virtual int columnCount() = 0;
    virtual QString columnName(int column) = 0;
    // The type the statement declares for a result column; empty for an expression.
    virtual QString columnDeclaredType(int column) = 0;
    virtual CellView cell(int column) const = 0;
};

// Called for each row a connection writes itself: table (upper case) and the row's key, or -1
// when the engine cannot tell which rows of the table were written.
using RowWriteObserver = std::function<void(const QString& table, qint64 key)>;

class Engine {
public:
    Engine();
    virtual ~Engine() = default;
    // Different for every engine opened while the program runs, so a cache can tell a
    // connection opened again from the one it read.
    quint64 serial() const { return serial_; }

    virtual EngineKind kind() const = 0;
    // Where the data is, for messages: the file's path, or the server's address without a password.
    virtual QString location() const = 0;

    virtual std::unique_ptr<Cursor> prepare(const QByteArray& sql) = 0;
    // Runs statements (one or several, separated by semicolons) that return no rows.
    virtual void exec(const QByteArray& sql) = 0;
    // Rows changed by the last statement run; rows inserted by the last insert get their key here.
    virtual int changes() const = 0;
    virtual qint64 lastInsertKey() = 0;
    // A count of every row this connection has changed since it opened.
    virtual qint64 totalChanges() const = 0;

    // Write transactions: begin waits for another writer (up to the busy timeout on a file).
    virtual void beginWrite() = 0;
    virtual void commit() = 0;
    virtual void rollback() noexcept = 0;
    virtual bool inTransaction() const = 0;

    // A number that changes whenever another connection has committed a change.
    virtual qint64 dataVersion() = 0;
    // Rows this connection writes are reported to the observer (one observer, set by its
    // owner; none to stop).
    void setRowWriteObserver(RowWriteObserver observer, const void* owner)
    {
        observer_ = std::move(observer);
        observerOwner_ = observer_ ? owner : nullptr;
    }
    const void* rowWriteObserverOwner() const { return observerOwner_; }

    virtual int schemaVersion() = 0;
    virtual void setSchemaVersion(int version) = 0;
    // Runs schema statements written in the file's dialect (CREATE TABLE, CREATE INDEX, INSERT).
    virtual void execSchema(const QByteArray& fileDialectSql) = 0;
    // The table's columns; none when there is no such table.
    virtual QList<DeclaredColumn> tableColumns(const QString& table) = 0;
    // The largest key the table has ever handed out, also of rows deleted since (0: none).
    virtual qint64 keyCounter(const QString& table) = 0;
    // After rows were written with their keys given (a copy of another catalogue), the next
    // key the table hands out follows the largest one written and `counter`, so the number
    // of a row deleted before the copy is never handed out again.
    virtual void keysGiven(const QString& table, const QString& keyColumn, qint64 counter) = 0;
    // Who last wrote a row and when, where the engine keeps it ("user@computer（time）");
    // empty when it is not known.
    virtual QString lastWriter(const QString& table, qint64 key)
    {
        (void)table;
        (void)key;
        return {};
    }

protected:
    void rowWritten(const QString& table, qint64 key)
    {
        if (observer_)
            observer_(table, key);
    }

private:
    quint64 serial_;
    RowWriteObserver observer_;
    const void* observerOwner_ = nullptr;
};

} // namespace db
