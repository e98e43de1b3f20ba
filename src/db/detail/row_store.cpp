#include "db/detail/row_store.h"
#include <sqlcipher/sqlite3.h>
#include <cstring>

namespace db::detail {

std::uint64_t RowStore::storeBytes(const char* data, std::size_t length)
{
    if (length > kChunkBytes) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(length));
        std::memcpy(chunks_.back().get(), data, length);
        chunkUsed_ = kChunkBytes; // the next small value opens a fresh chunk
        return static_cast<std::uint64_t>(chunks_.size() - 1) << 32;
    }
    if (chunkUsed_ + length > kChunkBytes || chunks_.empty()) {
        chunks_.push_back(std::make_unique_for_overwrite<char[]>(kChunkBytes));
        chunkUsed_ = 0;
    }
    const std::size_t index = chunks_.size() - 1;
    if (length > 0)
        std::memcpy(chunks_[index].get() + chunkUsed_, data, length);
    const std::uint64_t offset = (static_cast<std::uint64_t>(index) << 32) | chunkUsed_;
    chunkUsed_ += length;
    return offset;
}

QVariant RowStore::columnValue(sqlite3_stmt* statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qint64>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                 sqlite3_column_bytes(statement, column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        return QByteArray(data ? data : "", sqlite3_column_bytes(statement, column));
    }
    default:
        return {};
    }
}

std::size_t RowStore::newRow()
{
    const std::size_t slot = slots_++;
    if (slot / kRowsPerBlock >= cellBlocks_.size())
        cellBlocks_.push_back(std::make_unique_for_overwrite<Cell[]>(kRowsPerBlock * columns_));
    return slot;
}

void RowStore::appendFromStatement(sqlite3_stmt* statement, const std::vector<int>& columnOf)
{
    const std::size_t slot = newRow();
    Cell* cells = slotCells(slot);
    for (std::size_t i = 0; i < columns_; ++i) {
        Cell& c = cells[i];
        const int col = columnOf[i];
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
            c.length = 0;
        }
    }
    rowSlot_.push_back(slot);
}

void RowStore::setCell(Cell& c, const QVariant& value)
{
    c = Cell{Kind::Null, 0, {0}};
    if (!value.isValid() || value.isNull())
        return;
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

void RowStore::insertRow(int at, const QList<QVariant>& values)
{
    const std::size_t slot = newRow();
    Cell* cells = slotCells(slot);
    for (std::size_t i = 0; i < columns_; ++i)
        setCell(cells[i], i < static_cast<std::size_t>(values.size()) ? values[static_cast<qsizetype>(i)] : QVariant());
    rowSlot_.insert(rowSlot_.begin() + at, slot);
}

void RowStore::replaceRow(int at, const QList<QVariant>& values)
{
    // The old cells stay unused; a rewrite is rare next to reading.
    const std::size_t slot = newRow();
    Cell* cells = slotCells(slot);
    for (std::size_t i = 0; i < columns_; ++i)
        setCell(cells[i], i < static_cast<std::size_t>(values.size()) ? values[static_cast<qsizetype>(i)] : QVariant());
    rowSlot_[static_cast<std::size_t>(at)] = slot;
}

void RowStore::removeRow(int at)
{
    rowSlot_.erase(rowSlot_.begin() + at);
}

void RowStore::clear()
{
    cellBlocks_.clear();
    rowSlot_.clear();
    chunks_.clear();
    slots_ = 0;
    chunkUsed_ = kChunkBytes;
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
        return c.length ? QString::fromUtf8(bytesAt(c.offset), static_cast<qsizetype>(c.length)) : QString(QLatin1String(""));
    case Kind::Blob:
        return c.length ? QByteArray(bytesAt(c.offset), static_cast<qsizetype>(c.length)) : QByteArray("");
    }
    return {};
}

} // namespace db::detail
