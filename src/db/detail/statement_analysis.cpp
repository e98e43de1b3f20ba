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

} // namespace db::detail
