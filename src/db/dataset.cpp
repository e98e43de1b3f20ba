// The dataset's life: the statement opened into a client-side result set, closed, executed
// or re-run, and its fields looked up by name.
#include "db/dataset.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/named_failure.h"
#include "db/detail/result_schema.h"
#include "db/detail/row_store.h"
#include "db/detail/statement.h"
#include "db/detail/statement_analysis.h"
#include "db/detail/statement_cache.h"
#include "db/engine.h"
#include <algorithm>

namespace db {

using detail::RowStore;
using detail::Statement;

Dataset::Dataset(QString name, Connection* connection, QObject* parent)
    : QObject(parent), name_(std::move(name)), connection_(connection), rows_(std::make_unique<RowStore>()),
      writeStatements_(std::make_unique<detail::StatementCache>())
{
}

Dataset::~Dataset() = default;

void Dataset::fail(const QString& message) const
{
    detail::failAs(name_, message);
}

void Dataset::requireActive() const
{
    if (state_ == State::Inactive)
        fail(QStringLiteral("数据没有打开，无法进行这项操作。请先打开它（点击左侧分类，或建立、查询装机单）。"));
}

Engine* Dataset::liveHandle() const
{
    if (!connection_ || !connection_->connected())
        fail(QStringLiteral("数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
    return connection_->handle();
}

// ---------------------------------------------------------------- open, close, execute

void Dataset::open()
{
    if (active())
        return;
    Engine* handle = liveHandle();
    QString sql = Connection::adaptStatement(sqlText());
    if (handle->kind() == EngineKind::Server)
        for (const DeclaredColumn& c : handle->tableColumns(detail::tableOfStatement(sql)))
            if (c.isKey)
                sql = detail::inKeyOrder(sql, c.name);
    Statement st = detail::failingAs(name_, [&] { return Statement(handle, sql); });
    // A server reads the statement only now.
    if (detail::failingAs(name_, [&] { return st.columnCount(); }) == 0)
        fail(QStringLiteral("这条语句不返回数据，无法打开。"));

    table_ = detail::tableOfStatement(sql);
    fields_.clear();
    keyField_ = -1;
    const detail::ResultSchema schema =
        detail::failingAs(name_, [&] { return detail::describeResult(handle, st.get(), table_, fixedFields_); });
    fields_ = schema.fields;
    keyField_ = schema.keyField;
    allTableColumns_ = schema.allTableColumns;

    rows_ = std::make_unique<RowStore>(static_cast<int>(fields_.size()));
    const std::vector<int> columnOf(schema.columnOfField.begin(), schema.columnOfField.end());
    try {
        while (st.step())
            rows_->appendFromStatement(st.get(), columnOf);
    } catch (const DbError& e) {
        rows_ = std::make_unique<RowStore>();
        fields_.clear();
        fail(e.text());
    }
    for (int i = 0; i < fields_.size(); ++i)
        if (schema.untyped[std::size_t(i)])
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
    return detail::failingAs(name_, [&] { return connection_->execute(sqlText()); });
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

// ---------------------------------------------------------------- fields

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
        fail(QStringLiteral("找不到字段“%1”：数据库文件可能不是本程序的目录文件。").arg(name));
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

} // namespace db
