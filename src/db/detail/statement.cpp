#include "db/detail/statement.h"
#include "db/db_error.h"
#include "db/engine.h"
#include <utility>

namespace db::detail {

namespace {

Engine* requireOpen(Engine* handle)
{
    if (!handle)
        throw DbError(QStringLiteral("数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
    return handle;
}

} // namespace

void exec(Engine* handle, const char* sql)
{
    requireOpen(handle)->exec(QByteArray(sql));
}

void exec(Engine* handle, const QString& sql)
{
    requireOpen(handle)->exec(sql.toUtf8());
}

Statement::Statement(Engine* handle, const QByteArray& sql)
    : handle_(handle), cursor_(requireOpen(handle)->prepare(sql))
{
}

Statement::~Statement() = default;
Statement::Statement(Statement&& other) noexcept = default;
Statement& Statement::operator=(Statement&& other) noexcept = default;

Statement& Statement::bindNull(int index)
{
    cursor_->bindNull(index);
    return *this;
}

Statement& Statement::bind(int index, const QString& text)
{
    if (text.isNull())
        return bindNull(index);
    cursor_->bindText(index, text.toUtf8());
    return *this;
}

Statement& Statement::bind(int index, qint64 value)
{
    cursor_->bindInteger(index, value);
    return *this;
}

Statement& Statement::bind(int index, double value)
{
    cursor_->bindReal(index, value);
    return *this;
}

Statement& Statement::bind(int index, std::optional<double> value)
{
    return value ? bind(index, *value) : bindNull(index);
}

Statement& Statement::bindBlob(int index, const QByteArray& bytes)
{
    cursor_->bindBlob(index, bytes);
    return *this;
}

bool Statement::step()
{
    return cursor_->step();
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

qint64 Statement::insert()
{
    run();
    return handle_->lastInsertKey();
}

void Statement::reset()
{
    cursor_->reset();
}

int Statement::columnCount() const
{
    return cursor_->columnCount();
}

bool Statement::isNull(int column) const
{
    return cursor_->cell(column).kind == CellView::Kind::Null;
}

qint64 Statement::integer(int column) const
{
    const CellView v = cursor_->cell(column);
    switch (v.kind) {
    case CellView::Kind::Integer:
        return v.integer;
    case CellView::Kind::Real:
        return qint64(v.real);
    case CellView::Kind::Text:
        return QByteArray(v.data, v.length).toLongLong();
    default:
        return 0;
    }
}

double Statement::real(int column) const
{
    const CellView v = cursor_->cell(column);
    switch (v.kind) {
    case CellView::Kind::Integer:
        return double(v.integer);
    case CellView::Kind::Real:
        return v.real;
    case CellView::Kind::Text:
        return QByteArray(v.data, v.length).toDouble();
    default:
        return 0;
    }
}

std::optional<double> Statement::optionalReal(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return real(column);
}

QByteArray Statement::blob(int column) const
{
    const CellView v = cursor_->cell(column);
    if (v.kind == CellView::Kind::Null)
        return {};
    if (v.kind == CellView::Kind::Text || v.kind == CellView::Kind::Blob)
        return v.data ? QByteArray(v.data, v.length) : QByteArray();
    return text(column).toUtf8();
}

QString Statement::text(int column) const
{
    const CellView v = cursor_->cell(column);
    switch (v.kind) {
    case CellView::Kind::Null:
        return {};
    case CellView::Kind::Integer:
        return QString::number(v.integer);
    case CellView::Kind::Real: {
        // As the file engine writes a real as text: 15 digits, and "12.0" rather than "12".
        QString written = QString::number(v.real, 'g', 15);
        if (!written.contains(QLatin1Char('.')) && !written.contains(QLatin1Char('e')) && !written.contains(QLatin1Char('n')))
            written += QLatin1String(".0");
        return written;
    }
    default:
        return v.length == 0 ? QString(QLatin1String("")) : QString::fromUtf8(v.data, v.length);
    }
}

} // namespace db::detail
