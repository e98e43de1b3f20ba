#include "app/quotation_check.h"

#include "db/compat_rule_store.h"
#include "db/quotation_parts.h"

namespace app {

const compat::RuleSet& compatibilityRules(db::Connection& connection)
{
    // The program and the tools have one catalogue open at a time, on one thread.
    static QList<compat::Rule> compiledFrom;
    static std::optional<compat::RuleSet> compiled;
    QList<compat::Rule> rules = db::compatRules(connection);
    if (!compiled || rules != compiledFrom) {
        compiled.emplace(rules);
        compiledFrom = std::move(rules);
    }
    return *compiled;
}

std::optional<compat::Check> checkQuotation(db::Connection& connection, const QString& number)
{
    const std::optional<QList<db::QuotationPart>> parts = db::quotationParts(connection, number);
    if (!parts)
        return std::nullopt;
    QList<compat::Line> lines;
    lines.reserve(parts->size());
    for (const db::QuotationPart& part : *parts)
        lines << compat::Line{part.categoryPath, part.name, part.parameters, part.quantity};
    return compatibilityRules(connection).check(lines);
}

} // namespace app
