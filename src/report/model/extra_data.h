#pragma once

// Extra streamed data of report objects (the PropData attribute): properties beyond the
// published ones, each as its name (one length byte, then UTF-8 bytes) followed by one
// value. Value codes:
//   0 end of list, 1 list, 2/3/4 integer of 1/2/4 bytes, 6 short string (length byte),
//   7 identifier (length byte), 8 false, 9 true, 10 binary block (4-byte length),
//   12 long string (4-byte length), 14 collection, 20 UTF-8 string (4-byte length).
// Lengths and integers are little-endian. A collection is a sequence of items, each an
// optional integer order followed by a list of properties, closed by an end-of-list code.

#include <QByteArray>
#include <QString>
#include <functional>

namespace report {

class TfrxComponent;

enum class ValueCode : unsigned char {
    Null = 0, List = 1, Int8 = 2, Int16 = 3, Int32 = 4, String = 6, Ident = 7, False = 8, True = 9,
    Binary = 10, LString = 12, Collection = 14, Utf8String = 20,
};

class ExtraDataWriter {
public:
    void writeName(const QString& name);
    void writeCode(ValueCode code) { data_.append(char(code)); }
    void writeBinary(const QByteArray& bytes);
    void writeLString(const QByteArray& bytes);
    void writeBinaryProperty(const QString& name, const QByteArray& bytes)
    {
        writeName(name);
        writeBinary(bytes);
    }
    const QByteArray& data() const { return data_; }

private:
    void writeLength(qsizetype length);
    QByteArray data_;
};

// Reads what ExtraDataWriter wrote; every read throws ReportError on malformed data.
class ExtraDataReader {
public:
    explicit ExtraDataReader(QByteArray data) : data_(std::move(data)) {}
    bool atEnd() const { return pos_ >= data_.size(); }
    QString readName();
    ValueCode peekCode() const;
    ValueCode readCode();
    QByteArray readBinary();
    // A string of any of the string codes, as bytes.
    QByteArray readStringBytes();
    qint32 readInteger();
    void skipValue();

    // Each property in turn to target.ReadExtraProperty (unknown ones are skipped) until the
    // data ends or a read fails; returns the failure's message, empty for none.
    QString readProperties(TfrxComponent& target);

private:
    quint32 readLength();
    void need(qsizetype n) const;
    QByteArray data_;
    qsizetype pos_ = 0;
    int depth_ = 0;
};

// The CRC-32 of the extra data comparison (standard polynomial, initial value all ones,
// final complement).
quint32 crc32(const QByteArray& data);

} // namespace report
