#pragma once
#include <QString>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace db::detail {

// One prepared statement with bound parameters, for the catalogue's bulk readers and writers
// (search index, price lists), which bind every value and never build SQL from text.
// Every failure throws DbError with the engine's message.
class SqlQuery {
public:
    SqlQuery(sqlite3* handle, const char* sql);
    ~SqlQuery();
    SqlQuery(const SqlQuery&) = delete;
    SqlQuery& operator=(const SqlQuery&) = delete;

    SqlQuery& bind(int index, const QString& text); // a null QString binds null
    SqlQuery& bind(int index, qint64 value);
    SqlQuery& bind(int index, std::optional<double> value); // nullopt binds null

    // The next row: true while there is one.
    bool step();
    // Runs a statement that returns no rows and makes it ready for the next bindings.
    void run();
    // The same for an insert; answers the new row's key.
    qint64 insert();
    void reset();

    bool isNull(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    std::optional<double> optionalReal(int column) const;
    QString text(int column) const;

private:
    sqlite3* handle_;
    sqlite3_stmt* statement_ = nullptr;
};

} // namespace db::detail
