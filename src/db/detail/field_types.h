#pragma once
#include "db/field.h"
#include "db/detail/row_store.h"
#include <QString>

namespace db::detail {

// The field type a column's declared type stands for. "TEXT(255)" gives Text with size 255,
// "LONGTEXT" Memo, "INTEGER" on the table's key AutoInc.
FieldDef fieldFromDeclaration(const QString& name, const QString& declaredType, bool isKey);

// The type of a column that declares none (an expression such as SUM(...)), from the values
// it holds: whole numbers give Integer, numbers with a fraction among them Float, and
// anything else (or no value at all) Text.
FieldType fieldTypeOfValues(const RowStore& rows, int column);

// The text form of a date and time in the file: "yyyy-MM-dd HH:mm:ss".
QString dateTimeToStorage(const QDateTime& value);
QDateTime dateTimeFromStorage(const QString& text);

} // namespace db::detail
