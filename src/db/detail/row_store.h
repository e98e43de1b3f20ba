#pragma once
#include <QByteArray>
#include <QVariant>
#include <cstdint>
#include <vector>

struct sqlite3_stmt;

namespace db::detail {

// Client-side rows in one compact block: each cell is a fixed-size record and the bytes of
// texts and blobs live in one growing arena, so reading a large result set costs one copy
// of its bytes and no allocation per value. Texts stay UTF-8 until a value is asked for.
class RowStore {
public:
    enum class Kind : std::uint8_t { Null, Integer, Real, Text, Blob };

    explicit RowStore(int columns = 0) : columns_(columns) {}

    int rowCount() const { return static_cast<int>(rowStart_.size()); }
    int columnCount() const { return columns_; }

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
    struct Cell {
        Kind kind = Kind::Null;
        std::uint32_t length = 0;
        union {
            qint64 integer;
            double real;
            std::uint64_t offset;
        };
        Cell() : integer(0) {}
    };

    const Cell& cell(int row, int column) const { return cells_[rowStart_[row] + column]; }
    std::size_t storeBytes(const char* data, std::size_t length);
    std::size_t newRow();
    void setCell(std::size_t index, const QVariant& value);

    int columns_;
    std::vector<Cell> cells_;
    std::vector<std::size_t> rowStart_; // index of each row's first cell; rows keep their order here
    std::vector<char> arena_;
};

} // namespace db::detail
