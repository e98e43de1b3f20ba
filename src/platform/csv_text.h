#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <limits>

// Comma-separated text as spreadsheet programs write it (RFC 4180 and its common variants):
// the encodings they save in, the separator they chose, quoted fields with separators, quotes
// and line breaks inside. Price lists and the report's CSV data sources both read it here.
// The input is untrusted: every limit below ends in a clear error, never in unbounded memory
// or time.
namespace platform::csv {

inline constexpr qsizetype kMaxFields = 64;        // fields of one price-list record that are kept
inline constexpr qsizetype kMaxFieldLength = 65536; // characters of one such field that are kept

struct Limits {
    qsizetype fields = kMaxFields;
    qsizetype fieldLength = kMaxFieldLength;
    // No limit of the reader's own, for a caller that bounds the whole table itself.
    static constexpr Limits none()
    {
        return {std::numeric_limits<qsizetype>::max(), std::numeric_limits<qsizetype>::max()};
    }
};

struct Decoded {
    QString text;     // without the byte-order mark
    QString encoding; // "UTF-8 (BOM)", "UTF-8" or "GBK"
};

// UTF-8 after a byte-order mark; UTF-8 when the bytes are valid UTF-8; GBK (GB18030) otherwise.
// Bytes that are valid in none of them become U+FFFD.
Decoded decode(const QByteArray& bytes);

// The separator of the first record: the most frequent of comma, semicolon and tab outside
// quotes (comma when there is none).
QChar detectDelimiter(QStringView text);

struct Record {
    int line = 0;       // the line the record starts on, counting from 1
    QStringList fields;
    QString error;      // why the record cannot be used; empty when it can
};

// Reads records one by one. Line breaks are CR LF, LF or CR alone; one inside quotes is
// kept as LF. A record with more fields than the limits allow, or a longer field, is read to
// its end and answered with an error. A quote that is never closed makes the rest of the text
// one record, answered with an error. The text must outlive the reader.
class Reader {
public:
    Reader(QStringView text, QChar delimiter, Limits limits = {})
        : text_(text), delimiter_(delimiter), limits_(limits)
    {
    }

    // The next record; false at the end of the text. Empty lines are skipped.
    bool next(Record& record);
    // The same, each field handed to `take` as it ends instead of kept in record.fields (the
    // reader reuses the string afterwards), for a caller that stores the fields its own way.
    using FieldSink = std::function<void(QString& field)>;
    bool next(Record& record, const FieldSink& take);
    // How far the reader got, in characters of the text.
    qsizetype position() const { return at_; }

private:
    struct FieldState {
        QString text;
        qsizetype count = 0; // fields of the record so far
        bool overflow = false;
    };
    void endField(Record& record, FieldState& field, const FieldSink& take);
    void countLineBreak(qsizetype& i);
    // Where the characters from `from` on stop being plain text.
    qsizetype plainRunEnd(qsizetype from, bool inQuotes) const;

    QStringView text_;
    QChar delimiter_;
    Limits limits_;
    qsizetype at_ = 0;
    int line_ = 1;
};

// One field in its written form: quoted (with quotes doubled) when it holds the separator, a
// quote, a line break or blanks at either end.
QString quoted(const QString& field, QChar delimiter = QLatin1Char(','));

// A text a spreadsheet would run as a formula (it begins with "=", "+", "-" or "@") is written
// with a leading apostrophe, which spreadsheets show as text and hide; a text that already
// begins with apostrophes before such a character gets one more, so reading it back is exact.
QString guardedFormula(const QString& field);
// The text as it was before guardedFormula.
QString unguardedFormula(const QString& field);

} // namespace platform::csv
