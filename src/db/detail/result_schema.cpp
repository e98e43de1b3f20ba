#include "db/detail/result_schema.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/statement.h"
#include <sqlcipher/sqlite3.h>
#include <QHash>

namespace db::detail {

namespace {

struct TableColumn {
    QString declaredType;
    bool isKey = false;
};

// The table's columns by their upper-case names.
QHash<QString, TableColumn> tableColumns(sqlite3* handle, const QString& table)
{
    QHash<QString, TableColumn> columns;
    if (table.isEmpty())
        return columns;
    Statement st(handle, QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (st.step()) {
        TableColumn c;
        const QString name = st.text(1);
        c.declaredType = st.text(2);
        c.isKey = st.integer(5) != 0;
        columns.insert(name.toUpper(), c);
    }
    return columns;
}

// The result columns as fields, with the columns that declare no type marked.
QList<FieldDef> resultFields(sqlite3_stmt* statement, const QHash<QString, TableColumn>& tableCols,
                             std::vector<bool>& untyped)
{
    const int columnCount = sqlite3_column_count(statement);
    QList<FieldDef> fields;
    untyped.assign(std::size_t(columnCount), false);
    for (int c = 0; c < columnCount; ++c) {
        const QString colName = QString::fromUtf8(sqlite3_column_name(statement, c));
        const auto it = tableCols.constFind(colName.toUpper());
        if (it != tableCols.constEnd()) {
            fields.append(fieldFromDeclaration(colName, it->declaredType, it->isKey));
            continue;
        }
        const char* decl = sqlite3_column_decltype(statement, c);
        untyped[std::size_t(c)] = !decl || !*decl;
        FieldDef f = fieldFromDeclaration(colName, decl ? QString::fromUtf8(decl) : QString(), false);
        f.readOnly = true; // not a column of the table: nothing to write it back to
        fields.append(f);
    }
    return fields;
}

int columnNamed(const QList<FieldDef>& fields, const QString& name)
{
    for (int c = 0; c < fields.size(); ++c)
        if (fields[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

} // namespace

ResultSchema describeResult(sqlite3* handle, sqlite3_stmt* statement, const QString& table,
                            const QStringList& fixedFields)
{
    const auto tableCols = tableColumns(handle, table);
    std::vector<bool> untypedColumns;
    const QList<FieldDef> columns = resultFields(statement, tableCols, untypedColumns);

    ResultSchema schema;
    if (fixedFields.isEmpty()) {
        for (int c = 0; c < columns.size(); ++c)
            schema.columnOfField.append(c);
    } else {
        for (const QString& wanted : fixedFields) {
            const int found = columnNamed(columns, wanted);
            if (found < 0)
                throw DbError(QStringLiteral("找不到字段“%1”：数据库文件可能不是本程序的目录文件。").arg(wanted));
            schema.columnOfField.append(found);
        }
    }
    for (int i = 0; i < schema.columnOfField.size(); ++i) {
        const int c = schema.columnOfField[i];
        schema.fields.append(columns[c]);
        schema.untyped.push_back(untypedColumns[std::size_t(c)]);
        const auto it = tableCols.constFind(columns[c].name.toUpper());
        if (it != tableCols.constEnd() && it->isKey)
            schema.keyField = i;
    }
    return schema;
}

} // namespace db::detail
