#pragma once
#include <QByteArray>
#include <QString>
#include <optional>

#include <memory>

namespace db {
class Cursor;
class Engine;
}

namespace db::detail {

// A text to bind that is stored as text even when empty: a null QString binds null.
inline QString notNull(const QString& text)
{
    return text.isNull() ? QString(QLatin1String("")) : text;
}

// Runs statements that return no rows; a failure throws DbError with the engine's message.
void exec(Engine* handle, const char* sql);
void exec(Engine* handle, const QString& sql);

// One prepared statement, finalised on every path, with its values bound to ?-marks (never
// put into the text). Preparing on a closed connection, preparing, stepping and running fail
// with a DbError carrying the engine's message.
class Statement {
public:
    Statement() = default;
    Statement(Engine* handle, const char* sql) : Statement(handle, QByteArray(sql)) {}
    Statement(Engine* handle, const QByteArray& sql);
    Statement(Engine* handle, const QString& sql) : Statement(handle, sql.toUtf8()) {}
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Cursor& get() const { return *cursor_; }

    // Values for the ?-marks, counted from 1. A null QString and nullopt bind null.
    Statement& bindNull(int index);
    Statement& bind(int index, const QString& text);
    Statement& bind(int index, qint64 value);
    Statement& bind(int index, double value);
    Statement& bind(int index, std::optional<double> value);
    Statement& bindBlob(int index, const QByteArray& bytes);

    // The next row: true while there is one, false when the rows are done.
    bool step();
    // Runs the statement to its end, then makes it ready for the next values.
    void run();
    // The same for an insert; answers the new row's key.
    qint64 insert();
    // Back to the start with no values bound.
    void reset();

    // Columns of the current row.
    int columnCount() const;
    bool isNull(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    std::optional<double> optionalReal(int column) const;
    // Null for a null value, empty (not null) for an empty text.
    QString text(int column) const;
    // The bytes of a blob (or text); empty for null.
    QByteArray blob(int column) const;

private:
    Engine* handle_ = nullptr;
    std::unique_ptr<Cursor> cursor_;
};

} // namespace db::detail
