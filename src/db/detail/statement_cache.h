#pragma once
#include <QHash>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace db::detail {

// Prepared statements a dataset runs again and again (writing back and re-reading rows),
// kept per connection handle so posting many rows does not prepare the same text each time.
class StatementCache {
public:
    StatementCache() = default;
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;
    ~StatementCache() { clear(); }

    // A reset statement with no bindings; throws DbError with the engine's message.
    sqlite3_stmt* get(sqlite3* handle, const QString& sql);
    void clear();

private:
    sqlite3* handle_ = nullptr;
    QHash<QString, sqlite3_stmt*> statements_;
};

} // namespace db::detail
