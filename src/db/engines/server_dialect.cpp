// The file's dialect turned into the server's. The program's statements are written once;
// the few places where the two engines spell things differently are handled here, so no
// caller has to know which engine runs.
#include "db/engines/server_engine.h"
#include <QList>
#include <QRegularExpression>
#include <QStringList>

namespace db {

namespace {

bool isWordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Where the word IS starts when the text ends with it and blanks; -1 when it does not.
qsizetype trailingIs(const QByteArray& out)
{
    qsizetype end = out.size();
    while (end > 0 && (out[end - 1] == ' ' || out[end - 1] == '\n' || out[end - 1] == '\t'))
        --end;
    if (end == out.size() || end < 2)
        return -1;
    const char a = out[end - 2], b = out[end - 1];
    if ((a != 'I' && a != 'i') || (b != 'S' && b != 's'))
        return -1;
    return end == 2 || !isWordChar(out[end - 3]) ? end - 2 : -1;
}

// Copies a quoted run ('text' or "name", the quote doubled inside) starting at `at`.
qsizetype quotedEnd(const QByteArray& sql, qsizetype at)
{
    const char quote = sql[at];
    qsizetype i = at + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

} // namespace

QByteArray serverDialect(const QByteArray& sql, int* markCount)
{
    QByteArray out;
    out.reserve(sql.size() + 16);
    int next = 0, highest = 0;
    for (qsizetype i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'') {
            const qsizetype end = quotedEnd(sql, i);
            out.append(sql.constData() + i, end - i);
            i = end;
        } else if (c == '"') {
            const qsizetype end = quotedEnd(sql, i);
            out.append(sql.mid(i, end - i).toLower());
            i = end;
        } else if ((c == 'x' || c == 'X') && i + 1 < sql.size() && sql[i + 1] == '\''
                   && (i == 0 || !isWordChar(sql[i - 1]))) {
            // A blob written in hex, x'FFD8'.
            const qsizetype end = quotedEnd(sql, i + 1);
            out.append("'\\x").append(sql.mid(i + 2, end - i - 2)).append("::bytea");
            i = end;
        } else if (c == '[') {
            // The bracketed names of the original statements ([HW]) are quoted names.
            qsizetype end = sql.indexOf(']', i);
            end = end < 0 ? sql.size() : end;
            out.append('"').append(sql.mid(i + 1, end - i - 1).toLower()).append('"');
            i = end + 1;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const qsizetype end = sql.indexOf('\n', i);
            i = end < 0 ? sql.size() : end;
        } else if (c == '?') {
            qsizetype j = i + 1;
            while (j < sql.size() && sql[j] >= '0' && sql[j] <= '9')
                ++j;
            const int number = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() : ++next;
            highest = std::max(highest, number);
            if (const qsizetype is = trailingIs(out); is >= 0) {
                out.truncate(is);
                out.append("IS NOT DISTINCT FROM ");
            }
            out.append('$').append(QByteArray::number(number));
            i = j;
        } else if ((c == 'l' || c == 'L') && (i == 0 || !isWordChar(sql[i - 1]))
                   && sql.mid(i, 19).compare("last_insert_rowid()", Qt::CaseInsensitive) == 0) {
            out.append("lastval()");
            i += 19;
        } else {
            out.append(c);
            ++i;
        }
    }
    if (markCount)
        *markCount = highest;
    return out;
}

namespace {

struct ColumnType {
    QString server;
    QString declared;
};

// A column's type in the file's dialect and the server's.
ColumnType translateColumn(const QString& definition, QString& rest)
{
    static const QRegularExpression typePart(
        QStringLiteral("^\\s*(INTEGER|TEXT|LONGTEXT|FLOAT|BLOB|DATETIME)(\\(\\d+\\))?\\s*(.*)$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = typePart.match(definition);
    if (!m.hasMatch()) {
        rest = definition;
        return {};
    }
    const QString type = m.captured(1).toUpper();
    const QString declared = type + m.captured(2);
    rest = m.captured(3);
    const bool noCase = rest.contains(QLatin1String("COLLATE NOCASE"), Qt::CaseInsensitive);
    rest.remove(QRegularExpression(QStringLiteral("COLLATE\\s+NOCASE"), QRegularExpression::CaseInsensitiveOption));
    if (type == QLatin1String("INTEGER")) {
        if (rest.contains(QLatin1String("AUTOINCREMENT"), Qt::CaseInsensitive)) {
            rest.remove(QRegularExpression(QStringLiteral("AUTOINCREMENT"), QRegularExpression::CaseInsensitiveOption));
            return {QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY"), declared};
        }
        return {QStringLiteral("BIGINT"), declared};
    }
    if (type == QLatin1String("FLOAT"))
        return {QStringLiteral("DOUBLE PRECISION"), declared};
    if (type == QLatin1String("BLOB"))
        return {QStringLiteral("BYTEA"), declared};
    if (type == QLatin1String("DATETIME")) {
        // Kept as the text the file holds, "yyyy-MM-dd HH:mm:ss"; the default is the local time.
        if (rest.contains(QLatin1String("strftime"), Qt::CaseInsensitive))
            rest = QStringLiteral(" DEFAULT to_char(LOCALTIMESTAMP, 'YYYY-MM-DD HH24:MI:SS')");
        return {QStringLiteral("TEXT"), declared};
    }
    // Names and numbers are matched regardless of letter case, as in the file.
    return {noCase ? QStringLiteral("CITEXT") : QStringLiteral("TEXT"), declared};
}

// Splits a table's body at the commas that are not inside parentheses.
QStringList columnDefinitions(const QString& body)
{
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        if (body[i] == QLatin1Char('('))
            ++depth;
        else if (body[i] == QLatin1Char(')'))
            --depth;
        else if (body[i] == QLatin1Char(',') && depth == 0) {
            parts << body.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << body.mid(start);
    return parts;
}

QString createTable(const QString& table, const QString& body)
{
    QStringList columns, comments;
    QString keyColumn;
    for (const QString& part : columnDefinitions(body)) {
        const QString trimmed = part.trimmed();
        const qsizetype space = trimmed.indexOf(QRegularExpression(QStringLiteral("\\s")));
        const QString name = trimmed.left(space);
        QString rest;
        const ColumnType type = translateColumn(trimmed.mid(space), rest);
        if (type.server.isEmpty()) {
            columns << trimmed;
            continue;
        }
        if (keyColumn.isEmpty() && rest.contains(QLatin1String("PRIMARY KEY"), Qt::CaseInsensitive)
            && type.declared == QLatin1String("INTEGER"))
            keyColumn = name;
        columns << name + QLatin1Char(' ') + type.server + QLatin1Char(' ') + rest.simplified();
        comments << QStringLiteral("COMMENT ON COLUMN %1.%2 IS '%3';").arg(table, name, type.declared);
    }
    // A table keyed by text gets a row number, which its rows are told apart by in messages
    // and listed by in the order they were made.
    if (keyColumn.isEmpty()) {
        keyColumn = QStringLiteral("rowid");
        columns << QStringLiteral("rowid BIGINT GENERATED ALWAYS AS IDENTITY");
    }
    return QStringLiteral("CREATE TABLE %1 (%2);\n%3\n"
                          "CREATE TRIGGER %1_written AFTER INSERT OR UPDATE OR DELETE ON %1 "
                          "FOR EACH ROW EXECUTE FUNCTION qmx_row_written('%4');\n")
        .arg(table, columns.join(QStringLiteral(", ")), comments.join(QLatin1Char('\n')), keyColumn.toLower());
}

} // namespace

QByteArray serverSchema(const QByteArray& fileDialectSql)
{
    static const QRegularExpression createTableStatement(
        QStringLiteral("CREATE\\s+TABLE\\s+(\\w+)\\s*\\((.*)\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    QStringList out;
    for (const QString& statement : QString::fromUtf8(fileDialectSql).split(QLatin1Char(';'))) {
        const QString trimmed = statement.trimmed();
        if (trimmed.isEmpty())
            continue;
        const auto m = createTableStatement.match(trimmed);
        out << (m.hasMatch() ? createTable(m.captured(1), m.captured(2)) : trimmed + QLatin1Char(';'));
    }
    return out.join(QLatin1Char('\n')).toUtf8();
}

} // namespace db
