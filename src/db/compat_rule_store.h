#pragma once
#include "compat/compat_rules.h"

#include <QList>
#include <optional>

namespace db {

class Connection;

// The shop's compatibility rules, kept in the catalogue (table COMPAT_RULES) so that a copy
// of the file carries them. A catalogue whose rules were never edited has none stored and
// uses the rules the program comes with.

// The stored rules in their order; nothing when none were ever stored. Throws DbError.
std::optional<QList<compat::Rule>> storedCompatRules(Connection& connection);
// The stored rules, or the program's own when none are stored.
QList<compat::Rule> compatRules(Connection& connection);
// Replaces the stored rules with these, in one transaction. Throws DbError and leaves the
// stored rules as they were.
void storeCompatRules(Connection& connection, const QList<compat::Rule>& rules);

} // namespace db
