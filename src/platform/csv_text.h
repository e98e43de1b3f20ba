#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// Comma-separated text as spreadsheet programs write it (RFC 4180 and its common variants):
// the encodings they save in, the separator they chose, quoted fields with separators, quotes
// and line breaks inside. The input is untrusted: every limit below ends in a clear error,
// never in unbounded memory or time.
namespace db::csv {

inline constexpr qsizetype kMaxFields = 64;        // fields of one record that are kept
inline constexpr qsizetype kMaxFieldLength = 65536; // characters of one field that are kept

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

// Reads records one by one. Line breaks are CR LF, LF or CR alone. A record with more than
// kMaxFields fields or a longer field is read to its end and answered with an error. A quote
// that is never closed makes the rest of the text one record, answered with an error. The
// text must outlive the reader.
class Reader {
public:
    Reader(QStringView text, QChar delimiter) : text_(text), delimiter_(delimiter) {}

    // The next record; false at the end of the text. Empty lines are skipped.
    bool next(Record& record);
    // How far the reader got, in characters of the text.
    qsizetype position() const { return at_; }

private:
    void endField(Record& record, QString& field, bool& overflow);
    void countLineBreak(qsizetype& i);
    // Where the characters from `from` on stop being plain text.
    qsizetype plainRunEnd(qsizetype from, bool inQuotes) const;

    QStringView text_;
    QChar delimiter_;
    qsizetype at_ = 0;
    int line_ = 1;
};

// One field in its written form: quoted (with quotes doubled) when it holds the separator, a
// quote, a line break or blanks at either end.
QString quoted(const QString& field, QChar delimiter = QLatin1Char(','));

} // namespace db::csv
