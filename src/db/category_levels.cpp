#include "db/category_levels.h"
#include "db/dataset.h"
#include "db/statements.h"
#include <QCryptographicHash>

namespace db {

namespace {

const QString kTables[4] = {QStringLiteral("L1"), QStringLiteral("L2"), QStringLiteral("L3"), QStringLiteral("L4")};

QString column(int level, const char* suffix)
{
    return kTables[level - 1] + QLatin1String(suffix);
}

} // namespace

CategoryLevels::CategoryLevels(const std::array<Dataset*, 4>& levels)
    : levels_(levels)
{
    for (int level = 1; level <= 4; ++level) {
        Dataset& rows = *levels_[level - 1];
        // A plain select: the file hands rows out in key order, and a server is asked for it.
        openStatement(rows, QStringLiteral("select * from ") + kTables[level - 1]);
        // A missing column is named (Dataset::field throws), not read as null.
        const auto required = [&](const QString& name) {
            (void)rows.field(name);
            return rows.fieldIndex(name);
        };
        const int at = level - 1;
        idField_[at] = required(column(level, "_ID"));
        nameField_[at] = required(column(level, "_NM"));
        parentField_[at] = level == 1 ? -1 : required(column(level - 1, "_ID"));
        QHash<qint64, QList<int>>& children = children_[at];
        for (int r = 0; r < rows.recordCount(); ++r) {
            if (level == 1) {
                children[0].append(r);
                continue;
            }
            const QVariant parent = rows.valueAt(r, parentField_[at]);
            if (!parent.isNull())
                children[parent.toLongLong()].append(r);
        }
    }
}

const QList<int>& CategoryLevels::childRows(int level, qint64 parentId) const
{
    static const QList<int> kNone;
    const auto& children = children_[level - 1];
    const auto found = children.constFind(parentId);
    return found == children.cend() ? kNone : *found;
}

QString CategoryLevels::name(int level, int row) const
{
    Dataset& rows = *levels_[level - 1];
    const QVariant v = rows.valueAt(row, nameField_[level - 1]);
    if (!v.isNull() && v.typeId() == QMetaType::QString)
        return v.toString();
    rows.setCurrentRow(row); // the dataset's own conversion, with its error text
    return rows.asString(column(level, "_NM"));
}

int CategoryLevels::id(int level, int row) const
{
    Dataset& rows = *levels_[level - 1];
    const QVariant v = rows.valueAt(row, idField_[level - 1]);
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return static_cast<int>(v.toLongLong());
    rows.setCurrentRow(row);
    return rows.asInteger(column(level, "_ID"));
}

QByteArray CategoryLevels::fingerprint() const
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int level = 1; level <= 4; ++level) {
        const Dataset& rows = *levels_[level - 1];
        const int at = level - 1;
        for (int r = 0; r < rows.recordCount(); ++r) {
            const QString parent = level == 1 ? QStringLiteral("0") : rows.valueAt(r, parentField_[at]).toString();
            hash.addData(QStringLiteral("%1|%2|%3|%4\n")
                             .arg(QString::number(level), rows.valueAt(r, idField_[at]).toString(), parent,
                                  rows.valueAt(r, nameField_[at]).toString())
                             .toUtf8());
        }
    }
    return hash.result();
}

} // namespace db
