#include "db/detail/statement_cache.h"

namespace db::detail {

Statement& StatementCache::get(Engine* handle, const QString& sql)
{
    if (handle != handle_) {
        clear();
        handle_ = handle;
    }
    if (const auto found = statements_.find(sql); found != statements_.end()) {
        found->second.reset();
        return found->second;
    }
    return statements_.emplace(sql, Statement(handle, sql)).first->second;
}

void StatementCache::clear()
{
    statements_.clear();
    handle_ = nullptr;
}

} // namespace db::detail
