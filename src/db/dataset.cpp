#include "db/dataset.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/row_store.h"
#include "db/detail/statement.h"
#include "db/detail/statement_cache.h"
#include "platform/operator_text.h"
#include <sqlcipher/sqlite3.h>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <cmath>

namespace db {

using detail::RowStore;
using detail::Statement;

namespace {

// The single table a "select ... from T ..." statement reads; empty for anything else.
QString tableOfStatement(const QString& sql)
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+\\[?([A-Za-z_][A-Za-z0-9_]*)\\]?"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression join(QStringLiteral("\\bjoin\\b|\\bfrom\\s+\\S+\\s*,"),
                                         QRegularExpression::CaseInsensitiveOption);
    if (join.match(sql).hasMatch())
        return {};
    const auto m = from.match(sql);
    return m.hasMatch() ? m.captured(1) : QString();
}

struct TableColumn {
    QString declaredType;
    bool isKey = false;
};

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

// A text value is stored as text even when it is empty; only a null value stores null.
void bindText(Statement& st, int index, const QString& text)
{
    st.bind(index, text.isNull() ? QString(QLatin1String("")) : text);
}

void bindValue(Statement& st, int index, const FieldDef& f, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) {
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
        bindText(st, index, detail::dateTimeToStorage(v.toDateTime()));
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

// A stored value in the type its field declares.
QVariant typed(const FieldDef& f, const QVariant& raw)
{
    if (!raw.isValid() || raw.isNull())
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
            const QDateTime dt = detail::dateTimeFromStorage(raw.toString());
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

} // namespace

QString fieldTypeWord(FieldType type, bool isNull)
{
    switch (type) {
    case FieldType::Memo:
        return isNull ? QStringLiteral("(Memo)") : QStringLiteral("(MEMO)");
    case FieldType::Blob:
        return isNull ? QStringLiteral("(Blob)") : QStringLiteral("(BLOB)");
    default:
        return {};
    }
}

Dataset::Dataset(QString name, Connection* connection, QObject* parent)
    : QObject(parent), name_(std::move(name)), connection_(connection), rows_(std::make_unique<RowStore>()),
      writeStatements_(std::make_unique<detail::StatementCache>())
{
}

Dataset::~Dataset() = default;

void Dataset::fail(const QString& message) const
{
    throw DbError(name_ + QStringLiteral(": ") + message);
}

void Dataset::requireActive() const
{
    if (state_ == State::Inactive)
        fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Dataset::requireEditing() const
{
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert)
        fail(QStringLiteral("Dataset not in edit or insert mode"));
}

Statement& Dataset::writeStatement(const QString& sql)
{
    try {
        return writeStatements_->get(liveHandle(), sql);
    } catch (const DbError& e) {
        fail(e.text());
    }
}

sqlite3* Dataset::liveHandle() const
{
    if (!connection_ || !connection_->connected())
        fail(QStringLiteral("Operation is not allowed when the object is closed"));
    return connection_->handle();
}

// ---------------------------------------------------------------- open, close, execute

void Dataset::open()
{
    if (active())
        return;
    sqlite3* handle = liveHandle();
    const QString sql = Connection::adaptStatement(sqlText());
    Statement st;
    try {
        st = Statement(handle, sql);
    } catch (const DbError& e) {
        fail(e.text());
    }
    const int columnCount = st.columnCount();
    if (columnCount == 0)
        fail(QStringLiteral("The statement returns no rows"));

    table_ = tableOfStatement(sql);
    const auto tableCols = tableColumns(handle, table_);

    QList<FieldDef> resultFields;
    std::vector<bool> untyped(std::size_t(columnCount), false); // expressions without a declared type
    for (int c = 0; c < columnCount; ++c) {
        const QString colName = QString::fromUtf8(sqlite3_column_name(st.get(), c));
        const auto it = tableCols.constFind(colName.toUpper());
        if (it != tableCols.constEnd()) {
            resultFields.append(detail::fieldFromDeclaration(colName, it->declaredType, it->isKey));
        } else {
            const char* decl = sqlite3_column_decltype(st.get(), c);
            untyped[std::size_t(c)] = !decl || !*decl;
            FieldDef f = detail::fieldFromDeclaration(colName, decl ? QString::fromUtf8(decl) : QString(), false);
            f.readOnly = true; // not a column of the table: nothing to write it back to
            resultFields.append(f);
        }
    }

    fields_.clear();
    columnOfField_.clear();
    if (fixedFields_.isEmpty()) {
        fields_ = resultFields;
        for (int c = 0; c < columnCount; ++c)
            columnOfField_.append(c);
    } else {
        for (const QString& wanted : fixedFields_) {
            int found = -1;
            for (int c = 0; c < columnCount && found < 0; ++c)
                if (resultFields[c].name.compare(wanted, Qt::CaseInsensitive) == 0)
                    found = c;
            if (found < 0) {
                fields_.clear();
                columnOfField_.clear();
                fail(QStringLiteral("Field '%1' not found").arg(wanted));
            }
            fields_.append(resultFields[found]);
            columnOfField_.append(found);
        }
    }
    keyField_ = -1;
    for (int i = 0; i < fields_.size(); ++i) {
        const auto it = tableCols.constFind(fields_[i].name.toUpper());
        if (it != tableCols.constEnd() && it->isKey)
            keyField_ = i;
    }

    rows_ = std::make_unique<RowStore>(static_cast<int>(fields_.size()));
    const std::vector<int> columnOf(columnOfField_.begin(), columnOfField_.end());
    try {
        while (st.step())
            rows_->appendFromStatement(st.get(), columnOf);
    } catch (const DbError& e) {
        rows_ = std::make_unique<RowStore>();
        fields_.clear();
        columnOfField_.clear();
        fail(e.text());
    }
    for (int i = 0; i < fields_.size(); ++i)
        if (untyped[std::size_t(columnOfField_[i])])
            fields_[i].type = detail::fieldTypeOfValues(*rows_, i);

    state_ = State::Browse;
    modified_ = false;
    current_ = rows_->rowCount() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = rows_->rowCount() == 0;
    emit opened();
    emit stateChanged(state_);
    emit currentChanged(current_);
}

void Dataset::close()
{
    if (!active())
        return;
    postPending();
    buffer_.clear();
    writeStatements_->clear();
    rows_ = std::make_unique<RowStore>();
    fields_.clear();
    columnOfField_.clear();
    keyField_ = -1;
    current_ = -1;
    bof_ = eof_ = true;
    modified_ = false;
    state_ = State::Inactive;
    emit closed();
    emit stateChanged(state_);
    emit currentChanged(current_);
}

int Dataset::execSql()
{
    liveHandle();
    try {
        return connection_->execute(sqlText());
    } catch (const DbError& e) {
        fail(e.text());
    }
}

void Dataset::refresh()
{
    requireActive();
    postPending();
    QVariant key;
    const int oldRow = current_;
    if (keyField_ >= 0 && current_ >= 0)
        key = rows_->value(current_, keyField_);
    // Re-run quietly: bound widgets see one new result set.
    QSignalBlocker blocker(this);
    state_ = State::Inactive;
    try {
        open();
    } catch (...) {
        rows_ = std::make_unique<RowStore>();
        blocker.unblock();
        emit closed();
        emit stateChanged(state_);
        throw;
    }
    int row = -1;
    if (key.isValid())
        for (int r = 0; r < rows_->rowCount() && row < 0; ++r)
            if (rows_->value(r, keyField_) == key)
                row = r;
    if (row < 0 && rows_->rowCount() > 0)
        row = std::clamp(oldRow, 0, rows_->rowCount() - 1);
    current_ = row;
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
    blocker.unblock();
    emit opened();
    emit stateChanged(state_);
    emit currentChanged(current_);
}

// ---------------------------------------------------------------- fields and values

int Dataset::fieldIndex(const QString& name) const
{
    for (int i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int Dataset::requireField(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        fail(QStringLiteral("Field '%1' not found").arg(name));
    return i;
}

const FieldDef& Dataset::field(const QString& name) const
{
    return fields_[requireField(name)];
}

int Dataset::recordCount() const
{
    return rows_->rowCount();
}

QVariant Dataset::valueAt(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= fields_.size() || row < 0 || row >= rows_->rowCount())
        return {};
    if ((state_ == State::Edit || state_ == State::Insert) && row == current_)
        return buffer_.value(fieldIndex);
    const FieldType type = fields_[fieldIndex].type;
    // Numbers stored as numbers, the usual case, go straight into the field's type.
    switch (rows_->kind(row, fieldIndex)) {
    case RowStore::Kind::Integer:
        if (type == FieldType::Integer || type == FieldType::AutoInc)
            return static_cast<int>(rows_->integer(row, fieldIndex));
        if (type == FieldType::Float)
            return rows_->real(row, fieldIndex);
        break;
    case RowStore::Kind::Real:
        if (type == FieldType::Float)
            return rows_->real(row, fieldIndex);
        break;
    default:
        break;
    }
    return typed(fields_[fieldIndex], rows_->value(row, fieldIndex));
}

QString Dataset::displayTextAt(int row, int fieldIndex) const
{
    if (fieldIndex < 0 || fieldIndex >= fields_.size())
        return {};
    return formatDisplay(fields_[fieldIndex], valueAt(row, fieldIndex));
}

QVariant Dataset::value(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    return valueAt(current_, i);
}

bool Dataset::isNull(const QString& name) const
{
    const QVariant v = value(name);
    return !v.isValid() || v.isNull();
}

QString Dataset::asString(const QString& name) const
{
    const int i = requireField(name);
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        fail(QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    if (fields_[i].type == FieldType::Float || fields_[i].type == FieldType::DateTime)
        return formatDisplay(fields_[i], v);
    return v.toString();
}

int Dataset::asInteger(const QString& name) const
{
    const int i = requireField(name);
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        fail(QStringLiteral("Could not convert variant of type (Null) into type (Integer)"));
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
            fail(QStringLiteral("Could not convert variant of type (%1) into type (Integer)")
                     .arg(QLatin1String(variantTypeName(fields_[i]))));
        return n;
    }
    }
}

double Dataset::asFloat(const QString& name) const
{
    const int i = requireField(name);
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        fail(QStringLiteral("Could not convert variant of type (Null) into type (Double)"));
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Double:
        return v.toDouble();
    default: {
        const auto d = platform::parseDecimal(v.toString());
        if (!d)
            fail(QStringLiteral("Could not convert variant of type (%1) into type (Double)")
                     .arg(QLatin1String(variantTypeName(fields_[i]))));
        return *d;
    }
    }
}

QString Dataset::displayText(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    return displayTextAt(current_, i);
}

QString Dataset::formatDisplay(const FieldDef& f, const QVariant& v) const
{
    if (!v.isValid() || v.isNull())
        return {};
    switch (f.type) {
    case FieldType::Float:
        return v.typeId() == QMetaType::Double ? platform::formatGeneral(v.toDouble()) : v.toString();
    case FieldType::DateTime: {
        if (v.typeId() != QMetaType::QDateTime)
            return v.toString();
        const QDateTime dt = v.toDateTime();
        const QLocale locale = QLocale::system();
        QString text = locale.toString(dt.date(), QLocale::ShortFormat);
        if (dt.time() != QTime(0, 0))
            text += QLatin1Char(' ') + locale.toString(dt.time(), QStringLiteral("HH:mm:ss"));
        return text;
    }
    case FieldType::Blob:
        return fieldTypeWord(f.type, false);
    default:
        return v.toString();
    }
}

QVariant Dataset::convertText(const FieldDef& f, const QString& text) const
{
    if (text.isEmpty() && f.type != FieldType::Text && f.type != FieldType::Memo)
        return {};
    if (text.isEmpty())
        return {};
    const QString t = text.trimmed();
    switch (f.type) {
    case FieldType::Integer:
    case FieldType::AutoInc: {
        bool ok = false;
        const int n = t.toInt(&ok);
        if (!ok)
            fail(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return n;
    }
    case FieldType::Float: {
        const auto d = platform::parseDecimal(t);
        if (!d)
            fail(QStringLiteral("'%1' is not a valid floating point value").arg(text));
        return *d;
    }
    case FieldType::DateTime: {
        const QLocale locale = QLocale::system();
        QDateTime dt = locale.toDateTime(t, QLocale::ShortFormat);
        if (!dt.isValid()) {
            const QDate d = locale.toDate(t, QLocale::ShortFormat);
            if (d.isValid())
                dt = QDateTime(d, QTime(0, 0));
        }
        if (!dt.isValid())
            dt = detail::dateTimeFromStorage(t);
        if (!dt.isValid()) {
            // The short date with a time, as the grid shows it.
            const qsizetype space = t.indexOf(QLatin1Char(' '));
            if (space > 0) {
                const QDate d = locale.toDate(t.left(space), QLocale::ShortFormat);
                const QTime tm = QTime::fromString(t.mid(space + 1).trimmed(), QStringLiteral("H:mm:ss"));
                if (d.isValid() && tm.isValid())
                    dt = QDateTime(d, tm);
            }
        }
        if (!dt.isValid())
            fail(QStringLiteral("'%1' is not a valid date and time").arg(text));
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

// ---------------------------------------------------------------- moving

void Dataset::throwRefusal()
{
    if (refusal_.isEmpty())
        return;
    const QString message = refusal_;
    refusal_.clear();
    throw DbError(message);
}

void Dataset::checkBrowseMode()
{
    if (state_ == State::Edit || state_ == State::Insert) {
        emit aboutToPost();
        throwRefusal();
        if (modified_)
            post();
        else
            cancel();
    }
}

void Dataset::postPending()
{
    if (!editing())
        return;
    try {
        checkBrowseMode();
    } catch (const std::exception& e) {
        refusal_.clear();
        throw UnsavedEditError(QStringLiteral("%1 的修改未能保存，操作已停止：\n%2")
                                   .arg(name_, QString::fromUtf8(e.what())));
    }
}

void Dataset::moveTo(int row)
{
    requireActive();
    checkBrowseMode();
    if (rows_->rowCount() == 0) {
        current_ = -1;
        return;
    }
    row = std::clamp(row, 0, rows_->rowCount() - 1);
    if (row != current_) {
        current_ = row;
        emit currentChanged(current_);
    }
}

void Dataset::first()
{
    moveTo(0);
    bof_ = true;
    eof_ = rows_->rowCount() == 0;
}

void Dataset::last()
{
    moveTo(rows_->rowCount() - 1);
    eof_ = true;
    bof_ = rows_->rowCount() == 0;
}

void Dataset::next()
{
    requireActive();
    const int before = current_;
    moveTo(current_ + 1);
    eof_ = rows_->rowCount() == 0 || current_ == before;
    if (!eof_)
        bof_ = false;
}

void Dataset::prior()
{
    requireActive();
    const int before = current_;
    moveTo(current_ - 1);
    bof_ = rows_->rowCount() == 0 || current_ == before;
    if (!bof_)
        eof_ = false;
}

void Dataset::moveBy(int distance)
{
    if (distance > 0)
        for (int i = 0; i < distance && !eof_; ++i)
            next();
    else
        for (int i = 0; i < -distance && !bof_; ++i)
            prior();
}

void Dataset::setCurrentRow(int row)
{
    moveTo(row);
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
}

// ---------------------------------------------------------------- editing

void Dataset::requireWritable() const
{
    if (table_.isEmpty() || keyField_ < 0)
        fail(QStringLiteral("Insufficient key column information for updating or refreshing"));
}

void Dataset::setValue(const QString& name, const QVariant& v)
{
    requireActive();
    const int i = requireField(name);
    const FieldDef& f = fields_[i];
    if (f.readOnly)
        fail(QStringLiteral("Field '%1' cannot be modified").arg(f.name));
    requireEditing();
    QVariant stored = v;
    if (v.isValid() && !v.isNull() && v.typeId() == QMetaType::QString && f.type != FieldType::Text
        && f.type != FieldType::Memo)
        stored = convertText(f, v.toString());
    else
        stored = typed(f, v);
    buffer_[i] = stored;
    modified_ = true;
    emit fieldChanged(i);
}

void Dataset::setText(const QString& name, const QString& text)
{
    requireActive();
    const int i = requireField(name);
    if (fields_[i].readOnly)
        fail(QStringLiteral("Field '%1' cannot be modified").arg(fields_[i].name));
    requireEditing();
    buffer_[i] = convertText(fields_[i], text);
    modified_ = true;
    emit fieldChanged(i);
}

void Dataset::beginInsert(bool atEnd)
{
    requireActive();
    checkBrowseMode();
    requireWritable();
    const int at = atEnd || current_ < 0 ? rows_->rowCount() : current_;
    buffer_ = QList<QVariant>(fields_.size());
    rows_->insertRow(at, buffer_);
    current_ = at;
    bof_ = eof_ = false;
    state_ = State::Insert;
    modified_ = false;
    emit rowsChanged();
    emit stateChanged(state_);
    emit currentChanged(current_);
    if (afterInsert)
        afterInsert(*this);
}

void Dataset::insert()
{
    beginInsert(false);
}

void Dataset::append()
{
    beginInsert(true);
}

void Dataset::edit()
{
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (rows_->rowCount() == 0) {
        append();
        return;
    }
    requireWritable();
    buffer_.clear();
    for (int i = 0; i < fields_.size(); ++i)
        buffer_.append(typed(fields_[i], rows_->value(current_, i)));
    state_ = State::Edit;
    modified_ = false;
    emit stateChanged(state_);
}

void Dataset::checkTextSizes() const
{
    for (int i = 0; i < fields_.size(); ++i) {
        const FieldDef& f = fields_[i];
        if (f.type == FieldType::Text && f.size > 0 && buffer_.value(i).toString().size() > f.size)
            fail(QStringLiteral("Field '%1': the field is too small to accept the amount of data you attempted "
                                "to add. Try inserting or pasting less data.")
                     .arg(f.name));
    }
}

void Dataset::post()
{
    requireEditing();
    emit aboutToPost();
    throwRefusal();
    checkTextSizes();
    if (state_ == State::Insert)
        postInsert();
    else if (modified_)
        postUpdate();
    buffer_.clear();
    state_ = State::Browse;
    modified_ = false;
    emit rowsChanged();
    emit stateChanged(state_);
    emit currentChanged(current_);
    if (afterPost)
        afterPost(*this);
}

void Dataset::postInsert()
{
    sqlite3* handle = liveHandle();
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
        bindValue(st, b + 1, fields_[bound[b]], buffer_[bound[b]]);
    try {
        st.run();
    } catch (const DbError& e) {
        fail(e.text());
    }
    const qint64 key = fields_[keyField_].type == FieldType::AutoInc ? sqlite3_last_insert_rowid(handle)
                                                                     : buffer_[keyField_].toLongLong();
    reloadRow(current_, key);
}

void Dataset::postUpdate()
{
    sqlite3* handle = liveHandle();
    QList<int> changed;
    for (int i = 0; i < fields_.size(); ++i) {
        if (fields_[i].readOnly)
            continue;
        if (buffer_[i] != typed(fields_[i], rows_->value(current_, i)))
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
        try {
            Statement st(handle, sql);
            int index = 1;
            for (int i : changed)
                bindValue(st, index++, fields_[i], buffer_[i]);
            st.bind(index++, key);
            for (int i : changed) {
                const QVariant original = rows_->value(current_, i);
                if (!original.isValid())
                    st.bindNull(index++);
                else if (fields_[i].type == FieldType::DateTime)
                    bindValue(st, index++, FieldDef{fields_[i].name, FieldType::Text, 0, false}, original);
                else
                    bindValue(st, index++, fields_[i], typed(fields_[i], original));
            }
            st.run();
        } catch (const DbError& e) {
            fail(e.text());
        }
        if (sqlite3_changes(handle) == 0)
            fail(QStringLiteral("Row cannot be located for updating. Some values may have been changed since it "
                                "was last read."));
    }
    reloadRow(current_, key);
}

void Dataset::reloadRow(int row, qint64 key)
{
    sqlite3* handle = liveHandle();
    QStringList names;
    for (const FieldDef& f : fields_)
        names.append(QLatin1Char('"') + f.name + QLatin1Char('"'));
    const QString sql = QStringLiteral("SELECT %1 FROM \"%2\" WHERE \"%3\" = ?")
                            .arg(names.join(QStringLiteral(", ")), table_, fields_[keyField_].name);
    QList<QVariant> values = buffer_;
    bool found = false;
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
        // Fields that are not table columns: keep what was posted.
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

void Dataset::cancel()
{
    requireActive();
    if (state_ == State::Insert) {
        rows_->removeRow(current_);
        if (current_ >= rows_->rowCount())
            current_ = rows_->rowCount() - 1;
    } else if (state_ != State::Edit) {
        return;
    }
    buffer_.clear();
    state_ = State::Browse;
    modified_ = false;
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
    emit rowsChanged();
    emit stateChanged(state_);
    emit currentChanged(current_);
}

void Dataset::remove()
{
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (rows_->rowCount() == 0)
        fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (state_ == State::Edit)
        cancel();
    requireWritable();
    if (beforeDelete)
        beforeDelete(*this);
    sqlite3* handle = liveHandle();
    try {
        Statement st(handle, QStringLiteral("DELETE FROM \"%1\" WHERE \"%2\" = ?").arg(table_, fields_[keyField_].name));
        st.bind(1, rows_->integer(current_, keyField_));
        st.run();
    } catch (const DbError& e) {
        fail(e.text());
    }
    // A row another program deleted first is simply gone here too.
    rows_->removeRow(current_);
    if (current_ >= rows_->rowCount())
        current_ = rows_->rowCount() - 1;
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
    emit rowsChanged();
    emit currentChanged(current_);
    if (afterDelete)
        afterDelete(*this);
}

} // namespace db
