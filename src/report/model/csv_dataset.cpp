// Reading CSV text into a table of cells, and the data source over such a table.

#include "report/model/csv_dataset.h"
#include "platform/error.h"

#include <QFile>
#include <QRegularExpression>
#include <climits>
#include <QStringDecoder>

namespace report {

namespace {

// A file larger than this, or more cells than this, is not a data source for a report;
// the limits keep a hostile file from taking all memory.
constexpr qint64 kMaxFileBytes = qint64(128) << 20;
constexpr std::size_t kMaxCells = 20'000'000;

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }

} // namespace

class CsvReader {
public:
    CsvReader(const QString& text, TfrxCsvTable& table) : s_(text), table_(table) {}

    void read()
    {
        const qsizetype n = s_.size();
        bool header = true;
        while (pos_ < n) {
            if (isLineBreak(s_[pos_])) { // blank lines hold no row
                skipLineBreak();
                continue;
            }
            const std::size_t first = table_.ends_.size();
            readRecord();
            if (header) {
                takeHeader();
                header = false;
            } else {
                table_.rowStarts_.push_back(qsizetype(first));
            }
        }
        if (header)
            throw platform::Error(QStringLiteral("The CSV text has no header row"));
    }

private:
    void readRecord()
    {
        const qsizetype n = s_.size();
        for (;;) {
            readCell();
            if (pos_ < n && s_[pos_] == u',') {
                ++pos_;
                continue;
            }
            skipLineBreak();
            return;
        }
    }

    // One cell, quoted or not, up to the comma or line break after it.
    void readCell()
    {
        const qsizetype n = s_.size();
        if (pos_ < n && s_[pos_] == u'"') {
            const int startLine = line_;
            ++pos_;
            for (;;) {
                const qsizetype quote = s_.indexOf(u'"', pos_);
                if (quote < 0)
                    throw platform::Error(
                        QStringLiteral("Line %1 of the CSV text opens a quoted field that is never closed").arg(startLine));
                countLines(pos_, quote);
                table_.text_.append(QStringView(s_).sliced(pos_, quote - pos_));
                pos_ = quote + 1;
                if (pos_ < n && s_[pos_] == u'"') { // a doubled quote stands for one
                    table_.text_.append(u'"');
                    ++pos_;
                    continue;
                }
                break;
            }
        }
        // Unquoted text, or what stray text follows a closing quote, taken as it is.
        const qsizetype start = pos_;
        while (pos_ < n && s_[pos_] != u',' && !isLineBreak(s_[pos_]))
            ++pos_;
        table_.text_.append(QStringView(s_).sliced(start, pos_ - start));
        if (table_.ends_.size() >= kMaxCells)
            throw platform::Error(QStringLiteral("The CSV text has more than %1 cells").arg(kMaxCells));
        table_.ends_.push_back(table_.text_.size());
    }

    void skipLineBreak()
    {
        const qsizetype n = s_.size();
        if (pos_ < n && s_[pos_] == u'\r')
            ++pos_;
        if (pos_ < n && s_[pos_] == u'\n')
            ++pos_;
        ++line_;
    }

    void countLines(qsizetype from, qsizetype to)
    {
        for (qsizetype i = from; i < to; ++i)
            if (s_[i] == u'\n')
                ++line_;
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

    const QString& s_;
    TfrxCsvTable& table_;
    qsizetype pos_ = 0;
    int line_ = 1;
};

TfrxCsvTable TfrxCsvTable::parse(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8); // drops a leading byte-order mark
    const QString text = decoder(bytes);
    if (decoder.hasError())
        throw platform::Error(QStringLiteral("The CSV text is not UTF-8"));
    TfrxCsvTable table;
    CsvReader(text, table).read();
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
