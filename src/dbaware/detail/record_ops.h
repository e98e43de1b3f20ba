#pragma once

namespace db { class Dataset; }

namespace dbaware::detail {

// True in edit or insert state.
bool isEditing(const db::Dataset& dataset);

// True when the result set has a field that can be written back.
bool canModify(const db::Dataset& dataset);

} // namespace dbaware::detail
