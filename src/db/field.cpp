#include "db/field.h"

namespace db {

QString fieldTypeWord(FieldType type, bool isNull)
{
    switch (type) {
    case FieldType::Memo:
        return isNull ? QStringLiteral("(Memo)") : QStringLiteral("(MEMO)");
    case FieldType::Blob:
        return isNull ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
    default:
        return {};
    }
}

} // namespace db
