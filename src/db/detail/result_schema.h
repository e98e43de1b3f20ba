#pragma once
#include "db/field.h"
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

namespace db {
class Cursor;
class Engine;
}

namespace db::detail {

// The fields a prepared statement returns: each result column typed as the table the
// statement reads declares it (or as the statement declares it when it is no column of that
// table, and then read-only), narrowed to a fixed field list when there is one.
struct ResultSchema {
    QList<FieldDef> fields;
    QList<int> columnOfField;   // result column behind each field
    std::vector<bool> untyped;  // per field: an expression declaring no type, typed later from its values
    int keyField = -1;          // field holding the table's key, -1 when there is none
    bool allTableColumns = true; // every field is a column of the table (a row can be read back)
};

// Looks the table's columns up in the catalogue of the file (no table: none). Throws DbError
// "Field '%1' not found" when the statement does not return one of the fixed fields.
ResultSchema describeResult(Engine* handle, Cursor& statement, const QString& table,
                            const QStringList& fixedFields);

} // namespace db::detail
