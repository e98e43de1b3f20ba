// Writing an edited row back to its table by key, with bound values: an insert takes the
// auto-number the file gives it, an update changes only the fields that changed and only
// while the row still holds what was read (optimistic locking), and the row is read back
// afterwards as the file now holds it.
#include "db/dataset.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/field_values.h"
#include "db/detail/named_failure.h"
#include "db/detail/row_store.h"
#include "db/detail/statement.h"
#include "db/detail/statement_cache.h"
#include "db/engine.h"
#include <QDateTime>
#include <algorithm>

namespace db {

using detail::RowStore;
using detail::Statement;

Statement& Dataset::writeStatement(const QString& sql)
{
    Engine* handle = liveHandle();
    return detail::failingAs(name_, [&]() -> Statement& { return writeStatements_->get(handle, sql); });
}

void Dataset::postInsert()
{
    Engine* handle = liveHandle();
    QStringList columns;
    QList<int> bound;
    for (int i = 0; i < fields_.size(); ++i) {
        const QVariant& v = buffer_[i];
        // A column left empty takes the table's default (the update date takes the time of the insert).
        if (fields_[i].readOnly || !v.isValid() || v.isNull())
            continue;
        columns.append(fields_[i].name);
        bound.append(i);
    }
    QString sql;
    if (columns.isEmpty()) {
        sql = QStringLiteral("INSERT INTO \"%1\" DEFAULT VALUES").arg(table_);
    } else {
        QStringList marks(columns.size(), QStringLiteral("?"));
        sql = QStringLiteral("INSERT INTO \"%1\" (\"%2\") VALUES (%3)")
                  .arg(table_, columns.join(QStringLiteral("\", \"")), marks.join(QStringLiteral(", ")));
    }
    Statement& st = writeStatement(sql);
    for (int b = 0; b < bound.size(); ++b)
        detail::bindFieldValue(st, b + 1, fields_[bound[b]], buffer_[bound[b]]);
    detail::failingAs(name_, [&] { st.run(); });
    const qint64 key = fields_[keyField_].type == FieldType::AutoInc ? handle->lastInsertKey()
                                                                     : buffer_[keyField_].toLongLong();
    reloadRow(current_, key);
}

void Dataset::postUpdate()
{
    Engine* handle = liveHandle();
    QList<int> changed;
    for (int i = 0; i < fields_.size(); ++i) {
        if (fields_[i].readOnly)
            continue;
        if (buffer_[i] != detail::typedValue(fields_[i], rows_->value(current_, i)))
            changed.append(i);
    }
    const qint64 key = rows_->integer(current_, keyField_);
    if (!changed.isEmpty()) {
        // Optimistic locking: the row must still hold the values this copy read.
        QStringList sets, guards;
        for (int i : changed) {
            sets.append(QStringLiteral("\"%1\" = ?").arg(fields_[i].name));
            guards.append(QStringLiteral("\"%1\" IS ?").arg(fields_[i].name));
        }
        const QString sql = QStringLiteral("UPDATE \"%1\" SET %2 WHERE \"%3\" = ? AND %4")
                                .arg(table_, sets.join(QStringLiteral(", ")), fields_[keyField_].name,
                                     guards.join(QStringLiteral(" AND ")));
        detail::failingAs(name_, [&] {
            Statement st(handle, sql);
            int index = 1;
            for (int i : changed)
                detail::bindFieldValue(st, index++, fields_[i], buffer_[i]);
            st.bind(index++, key);
            for (int i : changed) {
                const QVariant original = rows_->value(current_, i);
                if (!original.isValid())
                    st.bindNull(index++);
                else if (fields_[i].type == FieldType::DateTime) // as stored, to the second
                    detail::bindFieldValue(st, index++, FieldDef{fields_[i].name, FieldType::Text, 0, false}, original);
                else
                    detail::bindFieldValue(st, index++, fields_[i], detail::typedValue(fields_[i], original));
            }
            st.run();
        });
        if (handle->changes() == 0)
            refuseStalePost(key);
    }
    reloadRow(current_, key);
}

QString Dataset::rowName() const
{
    // What the operator calls the row: the item's name, the line's description, a category's name.
    static const char* const kNameFields[] = {"HW_MC", "HW_MS", "L4_NM", "L3_NM", "L2_NM", "L1_NM", "DIY_NM"};
    for (const char* name : kNameFields) {
        const int i = fieldIndex(QLatin1String(name));
        if (i >= 0 && !rows_->value(current_, i).toString().isEmpty())
            return rows_->value(current_, i).toString();
    }
    return {};
}

void Dataset::refuseStalePost(qint64 key)
{
    // The typed values stay in the buffer, so the operator can look and try again.
    const QString who = liveHandle()->lastWriter(table_, key);
    const QString name = rowName();
    if (!who.isEmpty())
        fail(QStringLiteral("“%1”在读出之后已被 %2 修改，你的修改没有保存，输入的内容仍在。"
                            "请按 Esc 取消修改，刷新数据后再改。")
                 .arg(name.isEmpty() ? QStringLiteral("这条记录") : name, who));
    fail(QStringLiteral("这条记录在读出之后已被修改或删除（可能是另一个程序），修改没有保存。"
                        "请按 Esc 取消修改，刷新数据后再改。"));
}

void Dataset::deleteRow(qint64 key)
{
    Engine* handle = liveHandle();
    detail::failingAs(name_, [&] {
        Statement st(handle,
                     QStringLiteral("DELETE FROM \"%1\" WHERE \"%2\" = ?").arg(table_, fields_[keyField_].name));
        st.bind(1, key);
        st.run();
    });
}

void Dataset::reloadRow(int row, qint64 key)
{
    Engine* handle = liveHandle();
    QStringList names;
    for (const FieldDef& f : fields_)
        names.append(QLatin1Char('"') + f.name + QLatin1Char('"'));
    const QString sql = QStringLiteral("SELECT %1 FROM \"%2\" WHERE \"%3\" = ?")
                            .arg(names.join(QStringLiteral(", ")), table_, fields_[keyField_].name);
    QList<QVariant> values = buffer_;
    bool found = false;
    // Fields that are not table columns cannot be read back: keep what was posted (a failed
    // read would also spoil a server's transaction).
    if (allTableColumns_) {
        try {
            Statement& st = writeStatements_->get(handle, sql);
            st.bind(1, key);
            if (st.step()) {
                found = true;
                values.clear();
                for (int i = 0; i < fields_.size(); ++i)
                    values.append(RowStore::columnValue(st.get(), i));
            }
            st.reset();
        } catch (const DbError&) {
            // The row could not be read back: keep what was posted.
        }
    }
    if (!found) {
        for (int i = 0; i < values.size(); ++i)
            if (fields_[i].type == FieldType::DateTime && values[i].isValid())
                values[i] = detail::dateTimeToStorage(values[i].toDateTime());
        if (keyField_ >= 0)
            values[keyField_] = key;
    }
    rows_->replaceRow(row, values);
}

} // namespace db
