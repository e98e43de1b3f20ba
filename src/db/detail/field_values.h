#pragma once
#include "db/field.h"
#include <QString>
#include <QVariant>

namespace db::detail {

class Statement;

// Conversions between the values of a field, the form the file stores and the text an
// operator reads and types. Failures throw DbError with the bare message; the dataset puts
// its name before it.

// A stored value in the type its field declares; text that is no number stays text.
QVariant typedValue(const FieldDef& field, const QVariant& stored);

// A value put into a field: text is taken as an operator's typed text (valueFromText), anything
// else converted to the field's type.
QVariant valueForField(const FieldDef& field, const QVariant& value);

// The value of the text an operator typed into the field; empty text is null.
QVariant valueFromText(const FieldDef& field, const QString& text);

// Binds a value to a ?-mark in the form the file stores for the field's type. Null binds null;
// an empty text stays an empty text.
void bindFieldValue(Statement& statement, int index, const FieldDef& field, const QVariant& value);

// The text a grid cell or edit shows for a value: the general number form, the short date
// (with the time when it is not midnight), the type word for binary content.
QString displayText(const FieldDef& field, const QVariant& value);

// Strict conversions: a null value is an error, as is text that is no number.
QString strictString(const FieldDef& field, const QVariant& value);
int strictInteger(const FieldDef& field, const QVariant& value);
double strictFloat(const FieldDef& field, const QVariant& value);

} // namespace db::detail
