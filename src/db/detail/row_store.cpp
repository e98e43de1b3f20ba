#include "db/detail/row_store.h"
#include "db/engine.h"
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace db::detail {

namespace {

// Chunks start small, so a result set of a few rows stays small, and double up to the size
// of a huge page. Full-size chunks are aligned to it and offered to the system as huge-page
// memory: reading a large result set then takes a page fault per 2 MiB instead of one per
// 4 KiB (bench_dataset: those faults were most of what a read cost beyond the engine's loop).
constexpr std::size_t kFirstChunk = std::size_t(64) << 10;
constexpr std::size_t kLargestChunk = std::size_t(2) << 20;

char* allocateChunk(std::size_t bytes)
{
    if (bytes != kLargestChunk)
        return static_cast<char*>(std::malloc(bytes));
    void* chunk = std::aligned_alloc(kLargestChunk, bytes);
#ifdef MADV_HUGEPAGE
    if (chunk)
        ::madvise(chunk, bytes, MADV_HUGEPAGE); // only advice: without huge pages nothing changes
#endif
    return static_cast<char*>(chunk);
}

} // namespace

void RowStore::FreeChunk::operator()(char* chunk) const
{
    std::free(chunk);
}

void RowStore::newChunk(std::size_t atLeast)
{
    nextChunkSize_ = nextChunkSize_ == 0 ? kFirstChunk : std::min(nextChunkSize_ * 2, kLargestChunk);
    // A value larger than a chunk gets one of its own.
    const std::size_t size = std::max(nextChunkSize_, atLeast);
    char* chunk = allocateChunk(size);
    if (!chunk)
        throw std::bad_alloc();
    chunks_.emplace_back(chunk);
    chunkSize_ = size;
    chunkUsed_ = 0;
}

std::uint64_t RowStore::reserve(std::size_t length, std::size_t alignment)
{
    std::size_t start = (chunkUsed_ + alignment - 1) & ~(alignment - 1);
    if (chunks_.empty() || start + length > chunkSize_) {
        newChunk(length);
        start = 0;
    }
    chunkUsed_ = start + length;
    return (static_cast<std::uint64_t>(chunks_.size() - 1) << 32) | start;
}

std::uint64_t RowStore::storeBytes(const char* data, std::size_t length)
{
    const std::uint64_t offset = reserve(length, 1);
    if (length > 0)
        std::memcpy(bytesAt(offset), data, length);
    return offset;
}

RowStore::Cell* RowStore::newRow(std::uint64_t& offset)
{
    offset = reserve(columns_ * sizeof(Cell), alignof(Cell));
    return reinterpret_cast<Cell*>(bytesAt(offset));
}

static_assert(int(RowStore::Kind::Blob) == int(CellView::Kind::Blob), "the row store keeps the engine's kinds");

QVariant RowStore::columnValue(const Cursor& statement, int column)
{
    const CellView v = statement.cell(column);
    switch (v.kind) {
    case CellView::Kind::Integer:
        return QVariant(v.integer);
    case CellView::Kind::Real:
        return QVariant(v.real);
    case CellView::Kind::Text:
        return QString::fromUtf8(v.data, qsizetype(v.length));
    case CellView::Kind::Blob:
        return QByteArray(v.data ? v.data : "", qsizetype(v.length));
    default:
        return {};
    }
}

void RowStore::appendFromStatement(const Cursor& statement, const std::vector<int>& columnOf)
{
    std::uint64_t offset = 0;
    Cell* cells = newRow(offset);
    for (std::size_t i = 0; i < columns_; ++i) {
        Cell& c = cells[i];
        const CellView v = statement.cell(columnOf[i]);
        c.kind = Kind(v.kind);
        c.length = 0;
        switch (v.kind) {
        case CellView::Kind::Integer:
            c.integer = v.integer;
            break;
        case CellView::Kind::Real:
            c.real = v.real;
            break;
        case CellView::Kind::Text:
        case CellView::Kind::Blob:
            c.length = v.length;
            c.offset = storeBytes(v.data, c.length);
            break;
        default:
            break;
        }
    }
    rowCells_.push_back(offset);
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

std::uint64_t RowStore::storeRow(const QList<QVariant>& values)
{
    std::uint64_t offset = 0;
    Cell* cells = newRow(offset);
    for (std::size_t i = 0; i < columns_; ++i)
        setCell(cells[i], i < static_cast<std::size_t>(values.size()) ? values[static_cast<qsizetype>(i)] : QVariant());
    return offset;
}

void RowStore::insertRow(int at, const QList<QVariant>& values)
{
    rowCells_.insert(rowCells_.begin() + at, storeRow(values));
}

void RowStore::replaceRow(int at, const QList<QVariant>& values)
{
    // The old cells stay unused; a rewrite is rare next to reading.
    rowCells_[static_cast<std::size_t>(at)] = storeRow(values);
}

void RowStore::removeRow(int at)
{
    rowCells_.erase(rowCells_.begin() + at);
}

void RowStore::clear()
{
    rowCells_.clear();
    chunks_.clear();
    chunkUsed_ = chunkSize_ = nextChunkSize_ = 0;
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
