#pragma once
#include <QByteArray>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <vector>

namespace db {
class Cursor;
}

namespace db::detail {

// Client-side rows in one arena: each row is a run of fixed-size cells, and the bytes of
// texts and blobs follow in the same chunks, so reading a large result set costs one copy of
// its bytes, no allocation per value and no re-copying as it grows. Texts stay UTF-8 until
// a value is asked for.
class RowStore {
public:
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };

    explicit RowStore(int columns = 0) : columns_(static_cast<std::size_t>(columns)) {}

    int rowCount() const { return static_cast<int>(rowCells_.size()); }
    int columnCount() const { return static_cast<int>(columns_); }

    // One column of a stepped statement in the form value() answers.
    static QVariant columnValue(const Cursor& statement, int column);

    // Appends the current row of a stepped statement, taking result column columnOf[i] for cell i.
    void appendFromStatement(const Cursor& statement, const std::vector<int>& columnOf);
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
    // Trivial, so chunks are allocated without being cleared first: every cell is written
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
    struct FreeChunk {
        void operator()(char* chunk) const;
    };

    const Cell& cell(int row, int column) const
    {
        return reinterpret_cast<const Cell*>(bytesAt(rowCells_[static_cast<std::size_t>(row)]))[column];
    }
    const char* bytesAt(std::uint64_t offset) const { return chunks_[offset >> 32].get() + (offset & 0xFFFFFFFFu); }
    char* bytesAt(std::uint64_t offset) { return chunks_[offset >> 32].get() + (offset & 0xFFFFFFFFu); }
    std::uint64_t reserve(std::size_t length, std::size_t alignment);
    void newChunk(std::size_t atLeast);
    std::uint64_t storeBytes(const char* data, std::size_t length);
    Cell* newRow(std::uint64_t& offset);
    std::uint64_t storeRow(const QList<QVariant>& values);
    void setCell(Cell& cell, const QVariant& value);

    std::size_t columns_;
    std::vector<std::uint64_t> rowCells_;                // where each row's cells are, in row order
    std::vector<std::unique_ptr<char[], FreeChunk>> chunks_;
    std::size_t chunkUsed_ = 0;                          // bytes used in the last chunk
    std::size_t chunkSize_ = 0;                          // size of the last chunk
    std::size_t nextChunkSize_ = 0;                      // the chunks grow up to a limit
};

} // namespace db::detail
