// Reading values: of the current row (its edit buffer while it is edited) and, for grids,
// of any row by field position, straight from the client-side rows.
#include "db/dataset.h"
#include "db/detail/field_values.h"
#include "db/detail/named_failure.h"
#include "db/detail/row_store.h"

namespace db {

using detail::RowStore;

QVariant Dataset::valueAt(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= fields_.size() || row < 0 || row >= rows_->rowCount())
        return {};
    if ((state_ == State::Edit || state_ == State::Insert) && row == current_)
        return buffer_.value(fieldIndex);
    return storedAt(row, fieldIndex);
}

QVariant Dataset::storedValue(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    if (state_ == State::Insert || current_ < 0)
        return {};
    return storedAt(current_, i);
}

QVariant Dataset::storedAt(int row, int fieldIndex) const
{
    const FieldType type = fields_[fieldIndex].type;
    // Numbers stored as numbers, the usual case, go straight into the field's type.
    switch (rows_->kind(row, fieldIndex)) {
    case RowStore::Kind::Integer:
        if (type == FieldType::Integer || type == FieldType::AutoInc)
            return static_cast<int>(rows_->integer(row, fieldIndex));
        if (type == FieldType::Float)
            return rows_->real(row, fieldIndex);
        break;
    case RowStore::Kind::Real:
        if (type == FieldType::Float)
            return rows_->real(row, fieldIndex);
        break;
    default:
        break;
    }
    return detail::typedValue(fields_[fieldIndex], rows_->value(row, fieldIndex));
}

QString Dataset::displayTextAt(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= fields_.size())
        return {};
    return detail::displayText(fields_[fieldIndex], valueAt(row, fieldIndex));
}

QVariant Dataset::value(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    return valueAt(current_, i);
}

bool Dataset::isNull(const QString& name) const
{
    const QVariant v = value(name);
    return !v.isValid() || v.isNull();
}

QString Dataset::asString(const QString& name) const
{
    const FieldDef& f = fields_[requireField(name)];
    const QVariant v = value(name);
    return detail::failingAs(name_, [&] { return detail::strictString(f, v); });
}

int Dataset::asInteger(const QString& name) const
{
    const FieldDef& f = fields_[requireField(name)];
    const QVariant v = value(name);
    return detail::failingAs(name_, [&] { return detail::strictInteger(f, v); });
}

double Dataset::asFloat(const QString& name) const
{
    const FieldDef& f = fields_[requireField(name)];
    const QVariant v = value(name);
    return detail::failingAs(name_, [&] { return detail::strictFloat(f, v); });
}

QString Dataset::displayText(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    return displayTextAt(current_, i);
}

} // namespace db
