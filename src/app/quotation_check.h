#pragma once
#include "compat/build_check.h"

#include <QString>
#include <optional>

namespace db {
class Connection;
}

namespace app {

// The catalogue's rules (or the program's own), compiled again only when they change.
const compat::RuleSet& compatibilityRules(db::Connection& connection);

// The compatibility check of quotation `number`: its power estimate and warnings. Nothing
// when no line has that number. Throws DbError when the file cannot be read.
std::optional<compat::Check> checkQuotation(db::Connection& connection, const QString& number);

} // namespace app
