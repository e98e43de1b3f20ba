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
    const auto& fields = dataset.fields();
    return dataset.active() && !dataset.tableName().isEmpty()
        && std::any_of(fields.begin(), fields.end(), [](const db::FieldDef& f) { return !f.readOnly; });
}

} // namespace dbaware::detail
