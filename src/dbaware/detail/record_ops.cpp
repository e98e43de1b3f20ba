#include "dbaware/detail/record_ops.h"
#include "db/dataset.h"
#include <algorithm>

namespace dbaware::detail {

bool isEditing(const db::Dataset& dataset)
{
    const auto state = dataset.state();
    return state == db::Dataset::State::Edit || state == db::Dataset::State::Insert;
}

bool canModify(const db::Dataset& dataset)
{
    return dataset.canModify();
}

} // namespace dbaware::detail
