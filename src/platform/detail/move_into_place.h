#pragma once
#include "platform/atomic_file.h"
#include <QString>

namespace platform::detail {

struct MoveResult {
    bool moved = false; // false: `from` and the target are as they were
    int error = 0;      // errno of the step that failed, 0 when none did
};

// Renames a finished file over its target (or, with Replace::Never, to a name that must be
// free) in one step, then syncs the target's folder.
MoveResult moveIntoPlace(const QString& from, const QString& to, AtomicFile::Replace mode);

} // namespace platform::detail
