#include "db/detail/field_types.h"
#include <QDateTime>
#include <QRegularExpression>

namespace db::detail {

FieldDef fieldFromDeclaration(const QString& name, const QString& declaredType, bool isKey)
{
    FieldDef f;
    f.name = name;
    const QString t = declaredType.toUpper();
    if (t.contains(QLatin1String("INT"))) {
        f.type = isKey ? FieldType::AutoInc : FieldType::Integer;
        f.readOnly = isKey;
    } else if (t.contains(QLatin1String("LONGTEXT")) || t.contains(QLatin1String("MEMO")) || t.contains(QLatin1String("CLOB"))) {
        f.type = FieldType::Memo;
    } else if (t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR"))) {
        f.type = FieldType::Text;
        static const QRegularExpression size(QStringLiteral("\\((\\d+)\\)"));
        const auto m = size.match(t);
        if (m.hasMatch())
            f.size = m.captured(1).toInt();
    } else if (t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("DOUB"))) {
        f.type = FieldType::Float;
    } else if (t.contains(QLatin1String("DATE")) || t.contains(QLatin1String("TIME"))) {
        f.type = FieldType::DateTime;
    } else if (t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY"))) {
        f.type = FieldType::Blob;
    } else {
        f.type = FieldType::Text;
    }
    return f;
}

FieldType fieldTypeOfValues(const RowStore& rows, int column)
{
    bool any = false, fraction = false;
    for (int r = 0; r < rows.rowCount(); ++r) {
        switch (rows.kind(r, column)) {
        case RowStore::Kind::Null: break;
        case RowStore::Kind::Integer: any = true; break;
        case RowStore::Kind::Real: any = fraction = true; break;
        default: return FieldType::Text;
        }
    }
    return !any ? FieldType::Text : fraction ? FieldType::Float : FieldType::Integer;
}

QString dateTimeToStorage(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime dateTimeFromStorage(const QString& text)
{
    QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt;
}

} // namespace db::detail
