#pragma once
#include <QByteArray>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace db::detail {

// Client-side rows in compact blocks: each cell is a fixed-size record and the bytes of texts
// and blobs live in an arena of fixed chunks, so reading a large result set costs one copy of
// its bytes, no allocation per value and no re-copying as it grows. Texts stay UTF-8 until a
// value is asked for.
class RowStore {
public:
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };

    explicit RowStore(int columns = 0) : columns_(static_cast<std::size_t>(columns)) {}

    int rowCount() const { return static_cast<int>(rowSlot_.size()); }
    int columnCount() const { return static_cast<int>(columns_); }

    // One column of a stepped statement in the form value() answers.
    static QVariant columnValue(sqlite3_stmt* statement, int column);

    // Appends the current row of a stepped statement, taking result column columnOf[i] for cell i.
    void appendFromStatement(sqlite3_stmt* statement, const std::vector<int>& columnOf);
    // Inserts (at == rowCount() appends) or replaces a row from values, one per column.
    void insertRow(int at, const QList<QVariant>& values);
    void replaceRow(int at, const QList<QVariant>& values);
    void removeRow(int at);
    void clear();

    Kind kind(int row, int column) const { return cell(row, column).kind; }
    bool isNull(int row, int column) const { return kind(row, column) == Kind::Null; }
    qint64 integer(int row, int column) const;
    double real(int row, int column) const;
    // Texts as QString, blobs as QByteArray, numbers as qint64/double; null as an invalid QVariant.
    QVariant value(int row, int column) const;

private:
    // Trivial, so blocks are allocated without being cleared first: every cell is written
    // when its row is stored.
    struct Cell {
        Kind kind;
        std::uint32_t length;
        union {
            qint64 integer;
            double real;
            std::uint64_t offset;
        };
    };

    static constexpr std::size_t kRowsPerBlock = 4096;
    static constexpr std::size_t kChunkBytes = std::size_t(1) << 20;

    Cell* slotCells(std::size_t slot) { return cellBlocks_[slot / kRowsPerBlock].get() + (slot % kRowsPerBlock) * columns_; }
    const Cell& cell(int row, int column) const
    {
        const std::size_t slot = rowSlot_[static_cast<std::size_t>(row)];
        return cellBlocks_[slot / kRowsPerBlock][(slot % kRowsPerBlock) * columns_ + static_cast<std::size_t>(column)];
    }
    const char* bytesAt(std::uint64_t offset) const { return chunks_[offset >> 32].get() + (offset & 0xFFFFFFFFu); }
    std::uint64_t storeBytes(const char* data, std::size_t length);
    std::size_t newRow();
    void setCell(Cell& cell, const QVariant& value);

    std::size_t columns_;
    std::size_t slots_ = 0;                       // rows ever stored, including rewritten ones
    std::vector<std::unique_ptr<Cell[]>> cellBlocks_;
    std::vector<std::size_t> rowSlot_;            // slot of each row, in row order
    std::vector<std::unique_ptr<char[]>> chunks_; // text and blob bytes
    std::size_t chunkUsed_ = kChunkBytes;         // bytes used in the last chunk
};

} // namespace db::detail
