#pragma once
#include <QString>

namespace db {

enum class FieldType { Integer, AutoInc, Float, Text, Memo, DateTime, Blob };

// One field of a result set, as its table declares it.
struct FieldDef {
    QString name;
    FieldType type = FieldType::Text;
    int size = 0;          // longest text a Text field takes, 0 for no limit
    bool readOnly = false; // auto-number keys and columns of rows that cannot be written back
};

// The word a grid shows in place of long text or binary content.
QString fieldTypeWord(FieldType type, bool isNull);

} // namespace db
