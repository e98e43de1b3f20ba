#include "db/compat_rule_store.h"

#include "db/connection.h"
#include "db/detail/statement.h"
#include "db/transaction.h"

namespace db {

namespace {

bool tableExists(Connection& connection)
{
    detail::Statement exists(connection.handle(),
                             "select 1 from sqlite_master where type = 'table' and name = 'COMPAT_RULES'");
    return exists.step();
}

} // namespace

std::optional<QList<compat::Rule>> storedCompatRules(Connection& connection)
{
    if (!tableExists(connection))
        return std::nullopt;
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
    connection.execute(QStringLiteral(
        "create table if not exists COMPAT_RULES (RULE_ID INTEGER PRIMARY KEY AUTOINCREMENT,"
        " RULE_PART TEXT, RULE_CATEGORIES TEXT, RULE_FACT TEXT, RULE_PATTERN TEXT, RULE_VALUE TEXT)"));
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
