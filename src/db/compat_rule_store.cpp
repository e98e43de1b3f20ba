#include "db/compat_rule_store.h"

#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/transaction.h"

namespace db {

std::optional<QList<compat::Rule>> storedCompatRules(Connection& connection)
{
    detail::Statement rows(connection.handle(),
                           "select RULE_PART, RULE_CATEGORIES, RULE_FACT, RULE_PATTERN, RULE_VALUE"
                           " from COMPAT_RULES order by RULE_ID");
    QList<compat::Rule> rules;
    while (rows.step()) {
        // A fact the program does not know (a newer program's) is no rule of this one.
        const std::optional<compat::Fact> fact = compat::factNamed(rows.text(2));
        if (fact)
            rules << compat::Rule{rows.text(0), rows.text(1), *fact, rows.text(3), rows.text(4)};
    }
    if (rules.isEmpty())
        return std::nullopt;
    return rules;
}

QList<compat::Rule> compatRules(Connection& connection)
{
    std::optional<QList<compat::Rule>> stored = storedCompatRules(connection);
    return stored ? *stored : compat::defaultRules();
}

void storeCompatRules(Connection& connection, const QList<compat::Rule>& rules)
{
    Transaction transaction(connection);
    connection.execute(QStringLiteral("delete from COMPAT_RULES"));
    detail::Statement insert(connection.handle(),
                             "insert into COMPAT_RULES (RULE_PART, RULE_CATEGORIES, RULE_FACT, RULE_PATTERN,"
                             " RULE_VALUE) values (?, ?, ?, ?, ?)");
    for (const compat::Rule& rule : rules) {
        insert.bind(1, rule.part).bind(2, rule.categories).bind(3, compat::factName(rule.fact));
        insert.bind(4, rule.pattern).bind(5, rule.value);
        insert.run();
    }
    transaction.commit();
}

} // namespace db
