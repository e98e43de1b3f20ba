#include "db/item_category.h"

#include "db/connection.h"
#include "db/detail/statement.h"

namespace db {

std::optional<ItemCategory> itemCategory(Connection& connection, qint64 itemId)
{
    detail::Statement path(connection.handle(),
                           "select L2.L2_ID, L2.L2_NM, L3.L3_NM, L4.L4_NM from HW"
                           " join L4 on L4.L4_ID = HW.L4_ID"
                           " join L3 on L3.L3_ID = L4.L3_ID"
                           " join L2 on L2.L2_ID = L3.L2_ID"
                           " where HW.HW_ID = ?");
    path.bind(1, itemId);
    if (!path.step())
        return std::nullopt;
    ItemCategory found;
    found.l2Id = int(path.integer(0));
    found.l2Name = path.text(1);
    found.l3Name = path.text(2);
    found.l4Name = path.text(3);
    return found;
}

} // namespace db
