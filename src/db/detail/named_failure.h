#pragma once
#include "db/db_error.h"
#include <utility>

namespace db::detail {

// A failure of the dataset called name, in the data layer's style:
// "ADOQueryDIY: Cannot perform this operation on a closed dataset".
[[noreturn]] inline void failAs(const QString& name, const QString& message)
{
    throw DbError(name + QStringLiteral(": ") + message);
}

// Runs work whose failures (statements, conversions) carry no dataset name, and fails with
// the name put before their message.
template <typename Work>
decltype(auto) failingAs(const QString& name, Work&& work)
{
    try {
        return std::forward<Work>(work)();
    } catch (const DbError& e) {
        failAs(name, e.text());
    }
}

} // namespace db::detail
