#pragma once
#include "compat/compat_rules.h"

#include <QList>
#include <optional>

namespace db {

class Connection;

// The shop's compatibility rules, kept in the catalogue (table COMPAT_RULES) so that a copy
// of the file carries them. A catalogue with no rules stored uses the rules the program
// comes with.

// The stored rules in their order; nothing when none are stored. Throws DbError.
std::optional<QList<compat::Rule>> storedCompatRules(Connection& connection);
// The stored rules, or the program's own when none are stored.
QList<compat::Rule> compatRules(Connection& connection);
// Replaces the stored rules with these (none: back to the program's own), in one
// transaction. Throws DbError and leaves the stored rules as they were.
void storeCompatRules(Connection& connection, const QList<compat::Rule>& rules);

} // namespace db
