// Reading CSV text into a table of cells, and the data source over such a table.

#include "report/model/csv_dataset.h"
#include "platform/csv_text.h"
#include "platform/error.h"

#include <QFile>
#include <QRegularExpression>
#include <climits>

namespace report {

namespace {

// A file larger than this, or more cells than this, is not a data source for a report;
// the limits keep a hostile file from taking all memory.
constexpr qint64 kMaxFileBytes = qint64(128) << 20;
constexpr std::size_t kMaxCells = 20'000'000;

} // namespace

// Fills a table from the records of the one CSV reader: the cells go straight into the
// table's text, so no record is held twice.
class CsvReader {
public:
    explicit CsvReader(TfrxCsvTable& table) : table_(table) {}

    void read(const QString& text)
    {
        platform::csv::Reader reader(text, platform::csv::detectDelimiter(text), platform::csv::Limits::none());
        const platform::csv::Reader::FieldSink takeCell = [this](QString& cell) { addCell(cell); };
        platform::csv::Record record;
        bool header = true;
        for (;;) {
            const std::size_t first = table_.ends_.size();
            if (!reader.next(record, takeCell))
                break;
            if (!record.error.isEmpty()) // with no limits of the reader's, only an open quote
                throw platform::Error(
                    QStringLiteral("The record from line %1 of the CSV text ends inside a quoted field that is never closed")
                        .arg(record.line));
            if (header)
                takeHeader();
            else
                table_.rowStarts_.push_back(qsizetype(first));
            header = false;
        }
        if (header)
            throw platform::Error(QStringLiteral("The CSV text has no header row"));
    }

private:
    void addCell(const QString& cell)
    {
        if (table_.ends_.size() >= kMaxCells)
            throw platform::Error(QStringLiteral("The CSV text has more than %1 cells").arg(kMaxCells));
        table_.text_.append(cell);
        table_.ends_.push_back(table_.text_.size());
    }

    void takeHeader()
    {
        qsizetype start = 0;
        for (const qsizetype end : table_.ends_) {
            table_.fields_.append(table_.text_.sliced(start, end - start));
            start = end;
        }
        // The first of equal names wins.
        for (int i = int(table_.fields_.size()) - 1; i >= 0; --i)
            table_.byName_.insert(table_.fields_[i].toCaseFolded(), i);
        table_.text_.clear();
        table_.ends_.clear();
    }

    TfrxCsvTable& table_;
};

TfrxCsvTable TfrxCsvTable::parse(QByteArrayView bytes)
{
    const QString text = platform::csv::decode(QByteArray::fromRawData(bytes.data(), bytes.size())).text;
    TfrxCsvTable table;
    CsvReader(table).read(text);
    table.text_.squeeze();
    return table;
}

int TfrxCsvTable::fieldIndex(const QString& name) const
{
    return byName_.value(name.toCaseFolded(), -1);
}

QString TfrxCsvTable::cell(int row, int field) const
{
    if (row < 0 || row >= rowCount() || field < 0)
        return {};
    const std::size_t first = std::size_t(rowStarts_[std::size_t(row)]);
    const std::size_t last = std::size_t(row) + 1 < rowStarts_.size() ? std::size_t(rowStarts_[std::size_t(row) + 1]) : ends_.size();
    const std::size_t at = first + std::size_t(field);
    if (at >= last)
        return {};
    const qsizetype start = at == 0 ? 0 : ends_[at - 1];
    return text_.sliced(start, ends_[at] - start);
}

TfrxCsvDataSet::TfrxCsvDataSet(const QString& userName, TfrxCsvTable table) : table_(std::move(table))
{
    SetName(userName);
    SetUserName(userName);
    Fields = table_.fields();
    RangeBegin = TfrxRangeBegin::rbFirst;
    RangeEnd = TfrxRangeEnd::reCount;
    RangeEndCount = table_.rowCount();
}

namespace {

// A cell written as a plain decimal number ("30", "-2.5", "560.00") is that number, so that
// sums and comparisons work as over a database (a display format gives it back its
// decimals); any other spelling ("007", "1,299.00", "1e3", "+5", "") stays text.
QVariant cellValue(const QString& text)
{
    static const QRegularExpression plainNumber(QStringLiteral("^-?(0|[1-9][0-9]{0,17})(\\.[0-9]{1,15})?$"));
    if (!plainNumber.match(text).hasMatch())
        return text;
    if (!text.contains(u'.')) {
        const qlonglong whole = text.toLongLong();
        return whole >= INT_MIN && whole <= INT_MAX ? QVariant(int(whole)) : QVariant(whole);
    }
    return text.toDouble();
}

} // namespace

QVariant TfrxCsvDataSet::GetValue(const QString& field)
{
    const int index = table_.fieldIndex(field);
    return index < 0 ? QVariant() : cellValue(table_.cell(RecNo, index));
}

QString TfrxCsvDataSet::GetDisplayText(const QString& field)
{
    return table_.cell(RecNo, table_.fieldIndex(field));
}

TfrxFieldType TfrxCsvDataSet::GetFieldType(const QString&) { return TfrxFieldType::fftString; }

std::unique_ptr<TfrxCsvDataSet> makeCsvDataSet(const QString& name, const QString& fileName)
{
    if (name.trimmed().isEmpty())
        throw platform::Error(QStringLiteral("A CSV data source needs a name: NAME=FILE"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(QStringLiteral("Cannot open file %1: %2").arg(fileName, file.errorString()));
    if (file.size() > kMaxFileBytes)
        throw platform::Error(QStringLiteral("File %1 is too large for a data source").arg(fileName));
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes)
        throw platform::Error(QStringLiteral("File %1 is too large for a data source").arg(fileName));
    try {
        return std::make_unique<TfrxCsvDataSet>(name, TfrxCsvTable::parse(bytes));
    } catch (const platform::Error& e) {
        throw platform::Error(fileName + QStringLiteral(": ") + e.message());
    }
}

} // namespace report
