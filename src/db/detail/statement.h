#pragma once
#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace db::detail {

// The engine's message for the last failure on a connection.
QString engineMessage(sqlite3* handle);

// Runs statements that return no rows; a failure throws DbError with the engine's message.
void exec(sqlite3* handle, const char* sql);
void exec(sqlite3* handle, const QString& sql);

// One prepared statement, finalised on every path. Preparing, stepping and running fail
// with a DbError carrying the engine's message.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3* handle, const QByteArray& sql);
    Statement(sqlite3* handle, const QString& sql) : Statement(handle, sql.toUtf8()) {}
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* get() const { return statement_; }

    // The next row: true while there is one, false when the rows are done.
    bool step();
    // Runs a statement that returns no rows, then makes it ready to run again.
    void run();
    // Back to the start with no values bound.
    void reset();

    int columnCount() const;
    // A column of the current row; null text for a null value.
    QString text(int column) const;
    qint64 integer(int column) const;

    // Values for the ?-marks, counted from 1; a text is bound as text even when empty.
    void bindNull(int index);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    void bind(int index, const QString& text);
    void bindBlob(int index, const QByteArray& bytes);

private:
    [[noreturn]] void failed() const;

    sqlite3* handle_ = nullptr;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace db::detail
