#include "db/detail/statement_analysis.h"
#include <QRegularExpression>

namespace db::detail {

QString tableOfStatement(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression join(QStringLiteral("\\bjoin\\b|\\bfrom\\s+\\S+\\s*,"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (join.match(sql).hasMatch())
        return {};
    const auto m = from.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString inKeyOrder(const QString& sql, const QString& keyColumn)
{
    static const QRegularExpression ordered(QStringLiteral("\\b(order\\s+by|group\\s+by|union|limit|distinct)\\b|\\b(count|max|min|sum|avg|total)\\s*\\("),
                                            QRegularExpression::CaseInsensitiveOption);
    if (keyColumn.isEmpty() || sql.contains(ordered))
        return sql;
    QString trimmed = sql.trimmed();
    while (trimmed.endsWith(QLatin1Char(';')))
        trimmed.chop(1);
    return trimmed + QStringLiteral(" ORDER BY \"%1\"").arg(keyColumn);
}

} // namespace db::detail
