#pragma once
#include "db/detail/statement.h"
#include <QHashFunctions>
#include <QString>
#include <unordered_map>

struct sqlite3;

namespace db::detail {

// Prepared statements a dataset runs again and again (writing back and re-reading rows),
// kept per connection handle so posting many rows does not prepare the same text each time.
class StatementCache {
public:
    StatementCache() = default;
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // A reset statement with no bindings; throws DbError with the engine's message.
    Statement& get(sqlite3* handle, const QString& sql);
    void clear();

private:
    struct TextHash {
        std::size_t operator()(const QString& text) const { return qHash(text); }
    };

    sqlite3* handle_ = nullptr;
    std::unordered_map<QString, Statement, TextHash> statements_;
};

} // namespace db::detail
