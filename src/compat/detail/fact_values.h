#pragma once
#include "compat/compat_rules.h"

#include <QString>
#include <optional>

namespace compat::detail {

// The text the rules read: full-width letters, digits and signs as their ASCII forms, so
// that "ＬＧＡ１７００" and "LGA1700" read alike.
QString searchableText(const QString& name, const QString& parameters);

// A socket or memory type as compared: upper case, without blanks and dashes ("LGA 1700",
// "lga-1700" → "LGA1700").
QString compactToken(const QString& value);

// The largest board size a text names ("E-ATX/ATX/M-ATX/ITX" → "E-ATX", "mATX" → "M-ATX");
// empty when it names none.
QString formFactorOf(const QString& value);
// Larger boards rank higher: ITX 1, M-ATX 2, ATX 3, E-ATX 4; 0 for none.
int formFactorRank(const QString& formFactor);

// The first whole number in the text ("850W" → 850, "约 250 W" → 250).
std::optional<int> wattsOf(const QString& value);

} // namespace compat::detail
