#pragma once
#include "db/detail/statement.h"
#include <QHashFunctions>
#include <QString>
#include <unordered_map>

namespace db {
class Engine;
}

namespace db::detail {

// Prepared statements a dataset runs again and again (writing back and re-reading rows),
// kept per connection handle so posting many rows does not prepare the same text each time.
class StatementCache {
public:
    StatementCache() = default;
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    // A reset statement with no bindings; throws DbError with the engine's message.
    Statement& get(Engine* handle, const QString& sql);
    void clear();

private:
    struct TextHash {
        std::size_t operator()(const QString& text) const { return qHash(text); }
    };

    Engine* handle_ = nullptr;
    std::unordered_map<QString, Statement, TextHash> statements_;
};

} // namespace db::detail
