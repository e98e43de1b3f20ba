#include "db/detail/row_store.h"
#include <sqlcipher/sqlite3.h>
#include <QDateTime>
#include <cstring>

namespace db::detail {

std::size_t RowStore::storeBytes(const char* data, std::size_t length)
{
    const std::size_t offset = arena_.size();
    if (length > 0)
        arena_.insert(arena_.end(), data, data + length);
    return offset;
}

std::size_t RowStore::newRow()
{
    const std::size_t start = cells_.size();
    cells_.resize(start + static_cast<std::size_t>(columns_));
    return start;
}

void RowStore::appendFromStatement(sqlite3_stmt* statement, const std::vector<int>& columnOf)
{
    const std::size_t start = newRow();
    for (int i = 0; i < columns_; ++i) {
        Cell& c = cells_[start + static_cast<std::size_t>(i)];
        const int col = columnOf[static_cast<std::size_t>(i)];
        switch (sqlite3_column_type(statement, col)) {
        case SQLITE_INTEGER:
            c.kind = Kind::Integer;
            c.integer = sqlite3_column_int64(statement, col);
            break;
        case SQLITE_FLOAT:
            c.kind = Kind::Real;
            c.real = sqlite3_column_double(statement, col);
            break;
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, col));
            c.kind = Kind::Text;
            c.length = static_cast<std::uint32_t>(sqlite3_column_bytes(statement, col));
            c.offset = storeBytes(text, c.length);
            break;
        }
        case SQLITE_BLOB: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, col));
            c.kind = Kind::Blob;
            c.length = static_cast<std::uint32_t>(sqlite3_column_bytes(statement, col));
            c.offset = storeBytes(data, c.length);
            break;
        }
        default:
            c.kind = Kind::Null;
        }
    }
    rowStart_.push_back(start);
}

void RowStore::setCell(std::size_t index, const QVariant& value)
{
    Cell c;
    if (!value.isValid() || value.isNull()) {
        c.kind = Kind::Null;
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::Bool:
            c.kind = Kind::Integer;
            c.integer = value.toLongLong();
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            c.kind = Kind::Real;
            c.real = value.toDouble();
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            c.kind = Kind::Blob;
            c.length = static_cast<std::uint32_t>(bytes.size());
            c.offset = storeBytes(bytes.constData(), c.length);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            c.kind = Kind::Text;
            c.length = static_cast<std::uint32_t>(utf8.size());
            c.offset = storeBytes(utf8.constData(), c.length);
        }
        }
    }
    cells_[index] = c;
}

void RowStore::insertRow(int at, const QList<QVariant>& values)
{
    const std::size_t start = newRow();
    for (int i = 0; i < columns_; ++i)
        setCell(start + static_cast<std::size_t>(i), i < values.size() ? values[i] : QVariant());
    rowStart_.insert(rowStart_.begin() + at, start);
}

void RowStore::replaceRow(int at, const QList<QVariant>& values)
{
    // The old cells stay in the block unused; a rewrite is rare next to reading.
    const std::size_t start = newRow();
    for (int i = 0; i < columns_; ++i)
        setCell(start + static_cast<std::size_t>(i), i < values.size() ? values[i] : QVariant());
    rowStart_[static_cast<std::size_t>(at)] = start;
}

void RowStore::removeRow(int at)
{
    rowStart_.erase(rowStart_.begin() + at);
}

void RowStore::clear()
{
    cells_.clear();
    rowStart_.clear();
    arena_.clear();
}

qint64 RowStore::integer(int row, int column) const
{
    const Cell& c = cell(row, column);
    return c.kind == Kind::Real ? static_cast<qint64>(c.real) : c.integer;
}

double RowStore::real(int row, int column) const
{
    const Cell& c = cell(row, column);
    return c.kind == Kind::Integer ? static_cast<double>(c.integer) : c.real;
}

QVariant RowStore::value(int row, int column) const
{
    const Cell& c = cell(row, column);
    switch (c.kind) {
    case Kind::Null:
        return {};
    case Kind::Integer:
        return QVariant(c.integer);
    case Kind::Real:
        return QVariant(c.real);
    case Kind::Text:
        return QString::fromUtf8(arena_.data() + c.offset, static_cast<qsizetype>(c.length));
    case Kind::Blob:
        return QByteArray(arena_.data() + c.offset, static_cast<qsizetype>(c.length));
    }
    return {};
}

} // namespace db::detail
