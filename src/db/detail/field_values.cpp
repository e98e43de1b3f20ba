#include "db/detail/field_values.h"
#include <QHash>
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/statement.h"
#include "platform/operator_text.h"
#include <QDateTime>
#include <QLocale>
#include <cmath>

namespace db::detail {

namespace {

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || v.isNull();
}

// A text value is stored as text even when it is empty; only a null value stores null.
void bindText(Statement& st, int index, const QString& text)
{
    st.bind(index, text.isNull() ? QString(QLatin1String("")) : text);
}

// The type name a failed conversion reports, in the data layer's words.
const char* variantTypeName(const FieldDef& f)
{
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return "Integer";
    case FieldType::Float:
        return "Double";
    case FieldType::DateTime:
        return "Date";
    case FieldType::Blob:
        return "Array Byte";
    case FieldType::Text:
    case FieldType::Memo:
        return "String";
    }
    return "String";
}

// The operator reads the kinds of value in Chinese.
QString kindName(const char* kind)
{
    static const QHash<QByteArray, QString> kNames = {
        {"Null", QStringLiteral("空值")},       {"String", QStringLiteral("文本")},
        {"Integer", QStringLiteral("整数")},    {"Double", QStringLiteral("数字")},
        {"Date", QStringLiteral("日期时间")},   {"Array Byte", QStringLiteral("二进制数据")}};
    return kNames.value(QByteArray(kind), QString::fromLatin1(kind));
}

[[noreturn]] void failConversion(const char* from, const char* to)
{
    throw DbError(QStringLiteral("%1无法读取为%2：这一项还没有填写或内容不对，请先填写正确的值。")
                      .arg(kindName(from), kindName(to)));
}

QDateTime dateTimeFromText(const QString& t)
{
    // As the grid shows it ("2026-12-09 22:18"), else as the file stores it, else in the
    // short form of the default locale.
    QDateTime dt = platform::readShortDateTime(t);
    if (!dt.isValid())
        dt = dateTimeFromStorage(t);
    if (!dt.isValid()) {
        const QLocale locale;
        dt = locale.toDateTime(t, QLocale::ShortFormat);
        if (!dt.isValid() && locale.toDate(t, QLocale::ShortFormat).isValid())
            dt = QDateTime(locale.toDate(t, QLocale::ShortFormat), QTime(0, 0));
    }
    return dt;
}

} // namespace

QVariant typedValue(const FieldDef& f, const QVariant& raw)
{
    if (isNullValue(raw))
        return {};
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        if (raw.typeId() == QMetaType::QString) {
            bool ok = false;
            const int i = raw.toString().toInt(&ok);
            return ok ? QVariant(i) : raw;
        }
        return QVariant(static_cast<int>(raw.toLongLong()));
    case FieldType::Float:
        if (raw.typeId() == QMetaType::QString) {
            bool ok = false;
            const double d = raw.toString().toDouble(&ok);
            return ok ? QVariant(d) : raw;
        }
        return QVariant(raw.toDouble());
    case FieldType::DateTime:
        if (raw.typeId() == QMetaType::QDateTime)
            return raw;
        if (raw.typeId() == QMetaType::QString) {
            const QDateTime dt = dateTimeFromStorage(raw.toString());
            return dt.isValid() ? QVariant(dt) : raw;
        }
        return raw;
    case FieldType::Blob:
        return raw.toByteArray();
    case FieldType::Text:
    case FieldType::Memo:
        if (raw.typeId() == QMetaType::Double)
            return platform::formatGeneral(raw.toDouble());
        return raw.toString();
    }
    return raw;
}

QVariant valueForField(const FieldDef& f, const QVariant& v)
{
    if (!isNullValue(v) && v.typeId() == QMetaType::QString && f.type != FieldType::Text && f.type != FieldType::Memo)
        return valueFromText(f, v.toString());
    return typedValue(f, v);
}

QVariant valueFromText(const FieldDef& f, const QString& text)
{
    if (text.isEmpty())
        return {};
    const QString t = text.trimmed();
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok)
            throw DbError(QStringLiteral("“%1”不是整数，请输入整数，例如 12。").arg(text));
        return n;
    }
    case FieldType::Float: {
        const auto d = platform::parseDecimal(t);
        if (!d)
            throw DbError(QStringLiteral("“%1”不是数字，请输入数字，例如 1299.5。").arg(text));
        return *d;
    }
    case FieldType::DateTime: {
        const QDateTime dt = dateTimeFromText(t);
        if (!dt.isValid())
            throw DbError(QStringLiteral("“%1”不是日期时间，请按“年-月-日 时:分:秒”填写，例如 2024-05-01 09:30:00。").arg(text));
        return dt;
    }
    case FieldType::Blob:
        return text.toUtf8();
    case FieldType::Text:
    case FieldType::Memo:
        return text;
    }
    return text;
}

void bindFieldValue(Statement& st, int index, const FieldDef& f, const QVariant& v)
{
    if (isNullValue(v)) {
        st.bindNull(index);
        return;
    }
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        st.bind(index, static_cast<qint64>(v.toLongLong()));
        return;
    case FieldType::Float:
        st.bind(index, v.toDouble());
        return;
    case FieldType::DateTime:
        bindText(st, index, dateTimeToStorage(v.toDateTime()));
        return;
    case FieldType::Blob:
        st.bindBlob(index, v.toByteArray());
        return;
    case FieldType::Text:
    case FieldType::Memo:
        bindText(st, index, v.toString());
        return;
    }
}

QString displayText(const FieldDef& f, const QVariant& v)
{
    if (isNullValue(v))
        return {};
    switch (f.type) {
    case FieldType::Float:
        return v.typeId() == QMetaType::Double ? platform::formatGeneral(v.toDouble()) : v.toString();
    case FieldType::DateTime: {
        if (v.typeId() != QMetaType::QDateTime)
            return v.toString();
        const QDateTime dt = v.toDateTime();
        return dt.time() == QTime(0, 0) ? platform::shortDate(dt.date()) : platform::shortDateTime(dt);
    }
    case FieldType::Blob:
        return fieldTypeWord(f.type, false);
    default:
        return v.toString();
    }
}

QString strictString(const FieldDef& f, const QVariant& v)
{
    if (isNullValue(v))
        failConversion("Null", "String");
    if (f.type == FieldType::Float || f.type == FieldType::DateTime)
        return displayText(f, v);
    return v.toString();
}

int strictInteger(const FieldDef& f, const QVariant& v)
{
    if (isNullValue(v))
        failConversion("Null", "Integer");
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        return static_cast<int>(v.toLongLong());
    case QMetaType::Double:
        return static_cast<int>(std::nearbyint(v.toDouble()));
    default: {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        if (!ok)
            failConversion(variantTypeName(f), "Integer");
        return n;
    }
    }
}

double strictFloat(const FieldDef& f, const QVariant& v)
{
    if (isNullValue(v))
        failConversion("Null", "Double");
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return v.toDouble();
    default: {
        const auto d = platform::parseDecimal(v.toString());
        if (!d)
            failConversion(variantTypeName(f), "Double");
        return *d;
    }
    }
}

} // namespace db::detail
