#include "db/detail/result_schema.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/statement.h"
#include "db/engine.h"
#include <QHash>

namespace db::detail {

namespace {

struct TableColumn {
    QString declaredType;
    bool isKey = false;
};

// The table's columns by their upper-case names.
QHash<QString, TableColumn> tableColumns(Engine* handle, const QString& table)
{
    QHash<QString, TableColumn> columns;
    if (table.isEmpty())
        return columns;
    for (const DeclaredColumn& c : handle->tableColumns(table))
        columns.insert(c.name, TableColumn{c.declaredType, c.isKey});
    return columns;
}

// The result columns as fields, with the columns that declare no type marked.
QList<FieldDef> resultFields(Cursor& statement, const QHash<QString, TableColumn>& tableCols,
                             std::vector<bool>& untyped)
{
    const int columnCount = statement.columnCount();
    QList<FieldDef> fields;
    untyped.assign(std::size_t(columnCount), false);
    for (int c = 0; c < columnCount; ++c) {
        const QString colName = statement.columnName(c);
        const auto it = tableCols.constFind(colName.toUpper());
        if (it != tableCols.constEnd()) {
            fields.append(fieldFromDeclaration(colName, it->declaredType, it->isKey));
            continue;
        }
        const QString declared = statement.columnDeclaredType(c);
        untyped[std::size_t(c)] = declared.isEmpty();
        FieldDef f = fieldFromDeclaration(colName, declared, false);
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

ResultSchema describeResult(Engine* handle, Cursor& statement, const QString& table,
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
        schema.allTableColumns = schema.allTableColumns && it != tableCols.constEnd();
        if (it != tableCols.constEnd() && it->isKey)
            schema.keyField = i;
    }
    return schema;
}

} // namespace db::detail
