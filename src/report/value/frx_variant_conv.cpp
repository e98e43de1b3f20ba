#include "report/value/frx_variant_conv.h"

#include <QDateTime>
#include <QStringList>

namespace report {

Value valueFromVariant(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return Value::null();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return Value(v.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::UChar:
        return Value(v.toInt());
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
        return Value::fromInteger(v.toLongLong());
    case QMetaType::ULongLong: {
        const qulonglong u = v.toULongLong();
        return u > qulonglong(INT64_MAX) ? Value(double(u)) : Value::fromInteger(qint64(u));
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return Value(v.toDouble());
    case QMetaType::QString:
        return Value(v.toString());
    case QMetaType::QByteArray:
        return Value(QString::fromUtf8(v.toByteArray()));
    case QMetaType::QStringList:
        return Value(v.toStringList().join(QStringLiteral("\r\n")));
    case QMetaType::QDateTime:
        return Value::fromDateTime(v.toDateTime());
    case QMetaType::QDate:
        return Value::fromDate(v.toDate());
    case QMetaType::QTime:
        return Value::fromTime(v.toTime());
    default:
        return v.canConvert<QString>() ? Value(v.toString()) : Value::null();
    }
}

QVariant variantFromValue(const Value& v)
{
    switch (v.type()) {
    case ValueType::Empty:
    case ValueType::Null:
    case ValueType::Object:
    case ValueType::Array:
        return {};
    case ValueType::Bool:
        return v.boolValue();
    case ValueType::Int32:
        return v.int32Value();
    case ValueType::Int64:
        return v.int64Value();
    case ValueType::Double:
        return v.doubleValue();
    case ValueType::DateTime:
        return dayNumberToDateTime(v.doubleValue());
    case ValueType::String:
        return v.stringValue();
    }
    return {};
}

} // namespace report
