#include "app/quotation_check.h"

#include "db/quotation_parts.h"

namespace app {

const compat::RuleSet& compatibilityRules()
{
    static const compat::RuleSet rules(compat::defaultRules());
    return rules;
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
    return compatibilityRules().check(lines);
}

QStringList checkLines(const compat::Check& check)
{
    QStringList lines;
    if (const QString estimate = compat::estimateText(check); !estimate.isEmpty())
        lines << estimate;
    return lines + check.warnings;
}

} // namespace app
