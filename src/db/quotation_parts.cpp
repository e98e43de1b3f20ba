#include "db/quotation_parts.h"

#include "db/connection.h"
#include "db/detail/statement.h"

#include <QStringList>

namespace db {

std::optional<QList<QuotationPart>> quotationParts(Connection& connection, const QString& number)
{
    detail::Statement lines(connection.handle(),
                            "select DIY.DIY_SL, DIY.HW_MS, DIY.L2_NM, HW.HW_MC, HW.HW_CS,"
                            " L1.L1_NM, L2.L2_NM, L3.L3_NM, L4.L4_NM from DIY"
                            " left join HW on HW.HW_ID = DIY.HW_ID"
                            " left join L4 on L4.L4_ID = HW.L4_ID"
                            " left join L3 on L3.L3_ID = L4.L3_ID"
                            " left join L2 on L2.L2_ID = L3.L2_ID"
                            " left join L1 on L1.L1_ID = L2.L1_ID"
                            " where DIY.DIY_ID = ? order by DIY.DIY_SYS_ID");
    lines.bind(1, number);
    QList<QuotationPart> parts;
    bool found = false;
    while (lines.step()) {
        found = true;
        QuotationPart part;
        part.quantity = int(lines.integer(0));
        if (lines.isNull(3)) {
            part.name = lines.text(1);
            part.categoryPath = lines.text(2);
        } else {
            part.name = lines.text(3);
            part.parameters = lines.text(4);
            QStringList path;
            for (int column = 5; column <= 8; ++column)
                if (!lines.isNull(column))
                    path << lines.text(column);
            part.categoryPath = path.join(QStringLiteral(" > "));
        }
        parts << part;
    }
    if (!found)
        return std::nullopt;
    return parts;
}

} // namespace db
