#include "report/model/extra_data.h"

#include "report/model/frx_component.h"

#include <QtEndian>
#include <array>

namespace report {

void ExtraDataWriter::writeLength(qsizetype length)
{
    char bytes[4];
    qToLittleEndian<quint32>(quint32(length), bytes);
    data_.append(bytes, 4);
}

void ExtraDataWriter::writeName(const QString& name)
{
    const QByteArray bytes = name.toUtf8().left(255);
    data_.append(char(bytes.size()));
    data_.append(bytes);
}

void ExtraDataWriter::writeBinary(const QByteArray& bytes)
{
    writeCode(ValueCode::Binary);
    writeLength(bytes.size());
    data_.append(bytes);
}

void ExtraDataWriter::writeLString(const QByteArray& bytes)
{
    writeCode(ValueCode::LString);
    writeLength(bytes.size());
    data_.append(bytes);
}

void ExtraDataReader::need(qsizetype n) const
{
    if (n < 0 || data_.size() - pos_ < n)
        throw ReportError(QStringLiteral("Stream read error"));
}

quint32 ExtraDataReader::readLength()
{
    need(4);
    const quint32 n = qFromLittleEndian<quint32>(data_.constData() + pos_);
    pos_ += 4;
    need(qsizetype(n));
    return n;
}

QString ExtraDataReader::readName()
{
    need(1);
    const int n = static_cast<unsigned char>(data_[pos_++]);
    need(n);
    const QString name = QString::fromUtf8(data_.constData() + pos_, n);
    pos_ += n;
    return name;
}

ValueCode ExtraDataReader::peekCode() const
{
    need(1);
    return ValueCode(static_cast<unsigned char>(data_[pos_]));
}

ValueCode ExtraDataReader::readCode()
{
    const ValueCode code = peekCode();
    ++pos_;
    return code;
}

QByteArray ExtraDataReader::readBinary()
{
    if (readCode() != ValueCode::Binary)
        throw ReportError(QStringLiteral("Invalid property value"));
    const quint32 n = readLength();
    const QByteArray bytes = data_.mid(pos_, n);
    pos_ += n;
    return bytes;
}

QByteArray ExtraDataReader::readStringBytes()
{
    qsizetype n = 0;
    switch (readCode()) {
    case ValueCode::String:
    case ValueCode::Ident:
        need(1);
        n = static_cast<unsigned char>(data_[pos_++]);
        need(n);
        break;
    case ValueCode::LString:
    case ValueCode::Utf8String:
    case ValueCode::Binary:
        n = readLength();
        break;
    default:
        throw ReportError(QStringLiteral("Invalid property value"));
    }
    const QByteArray bytes = data_.mid(pos_, n);
    pos_ += n;
    return bytes;
}

qint32 ExtraDataReader::readInteger()
{
    switch (readCode()) {
    case ValueCode::Int8:
        need(1);
        return qint8(data_[pos_++]);
    case ValueCode::Int16: {
        need(2);
        const qint16 v = qFromLittleEndian<qint16>(data_.constData() + pos_);
        pos_ += 2;
        return v;
    }
    case ValueCode::Int32: {
        need(4);
        const qint32 v = qFromLittleEndian<qint32>(data_.constData() + pos_);
        pos_ += 4;
        return v;
    }
    default:
        throw ReportError(QStringLiteral("Invalid property value"));
    }
}

void ExtraDataReader::skipValue()
{
    if (++depth_ > 64) // nesting deeper than any writer makes: damaged data
        throw ReportError(QStringLiteral("Stream read error"));
    switch (peekCode()) {
    case ValueCode::Null:
    case ValueCode::False:
    case ValueCode::True:
        readCode();
        break;
    case ValueCode::Int8:
    case ValueCode::Int16:
    case ValueCode::Int32:
        readInteger();
        break;
    case ValueCode::String:
    case ValueCode::Ident:
    case ValueCode::LString:
    case ValueCode::Utf8String:
    case ValueCode::Binary:
        readStringBytes();
        break;
    case ValueCode::List:
        readCode();
        while (peekCode() != ValueCode::Null)
            skipValue();
        readCode();
        break;
    case ValueCode::Collection:
        readCode();
        while (peekCode() != ValueCode::Null) {
            if (peekCode() != ValueCode::List)
                readInteger();
            if (readCode() != ValueCode::List)
                throw ReportError(QStringLiteral("Invalid property value"));
            while (peekCode() != ValueCode::Null) {
                readName();
                skipValue();
            }
            readCode();
        }
        readCode();
        break;
    default:
        throw ReportError(QStringLiteral("Invalid property value"));
    }
    --depth_;
}

QString ExtraDataReader::readProperties(TfrxComponent& target)
{
    try {
        while (!atEnd()) {
            const QString name = readName();
            depth_ = 0;
            if (!target.ReadExtraProperty(name, *this))
                skipValue();
        }
    } catch (const ReportError& e) {
        return e.message();
    }
    return {};
}

quint32 crc32(const QByteArray& data)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (char ch : data)
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace report
