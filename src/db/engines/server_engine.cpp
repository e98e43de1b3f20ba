// A catalogue on a PostgreSQL server, through libpq. Values are always bound as parameters;
// results come back as text and are typed by the column's type. Writers take one lock for
// the length of their transaction, as writers of the file do, so what the program does
// between BEGIN and COMMIT means the same on both engines. Every row written is announced on
// a channel the other workstations listen to.
#include "db/engines/server_engine.h"
#include "db/db_error.h"
#include <QHash>
#include <QRegularExpression>
#include <QSysInfo>
#include <QUrl>
#include <QUrlQuery>
#include <charconv>
#include <cmath>
#include <cstring>
#include "db/engines/libpq_loader.h"

namespace db {

namespace {

constexpr const char* kChannel = "qmx_row_written";
// The lock every writing transaction holds (an arbitrary number of this program's own).
constexpr const char* kWriterLock = "SELECT pg_advisory_xact_lock(731950314)";

// Type numbers of the server's built-in types.
enum : Oid { kBool = 16, kBytea = 17, kInt8 = 20, kInt2 = 21, kInt4 = 23, kOid = 26, kFloat4 = 700,
             kFloat8 = 701, kNumeric = 1700 };

QString trimmedMessage(const char* text)
{
    return QString::fromUtf8(text).trimmed();
}

struct ResultDeleter {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class ServerEngine;

class ServerCursor final : public Cursor {
public:
    ServerCursor(ServerEngine& engine, const QByteArray& sql);

    void bindNull(int index) override { bind(index, QByteArray(), 0, 0, true); }
    void bindText(int index, const QByteArray& utf8) override { bind(index, utf8, 0, 0, false); }
    void bindInteger(int index, qint64 value) override { bind(index, QByteArray::number(value), kInt8, 0, false); }
    void bindReal(int index, double value) override
    {
        QByteArray text = std::isnan(value) ? QByteArray("NaN")
            : std::isinf(value)             ? QByteArray(value > 0 ? "Infinity" : "-Infinity")
                                            : QByteArray::number(value, 'g', 17);
        bind(index, text, kFloat8, 0, false);
    }
    void bindBlob(int index, const QByteArray& bytes) override { bind(index, bytes, kBytea, 1, false); }

    bool step() override;
    void reset() override
    {
        result_.reset();
        row_ = -1;
        for (Param& p : params_)
            p = Param{};
    }
    int columnCount() override { return PQnfields(described()); }
    QString columnName(int column) override { return QString::fromUtf8(PQfname(described(), column)).toUpper(); }
    // The server declares types for expressions too; like the file, only table columns
    // (looked up by name above the engine) count as declared.
    QString columnDeclaredType(int) override { return {}; }
    CellView cell(int column) const override;

private:
    struct Param {
        QByteArray value;
        Oid type = 0;
        int format = 0;
        bool null = true;
        bool bound = false;
    };
    void bind(int index, const QByteArray& value, Oid type, int format, bool null)
    {
        if (index < 1)
            return;
        if (params_.size() < index)
            params_.resize(index);
        params_[index - 1] = Param{value, type, format, null, true};
    }
    void execute();
    PGresult* described();

    ServerEngine& engine_;
    QByteArray sql_;
    QList<Param> params_;
    Result result_;
    Result description_;
    int row_ = -1;
    mutable QByteArray bytes_; // a bytea value decoded from its text form
    QList<bool> unused_;
};

class ServerEngine final : public Engine {
public:
    ServerEngine(PGconn* connection, QString location) : connection_(connection), location_(std::move(location))
    {
        setUpSession();
    }
    ~ServerEngine() override { PQfinish(connection_); }

    EngineKind kind() const override { return EngineKind::Server; }
    QString location() const override { return location_; }

    std::unique_ptr<Cursor> prepare(const QByteArray& sql) override
    {
        ensureConnected();
        return std::make_unique<ServerCursor>(*this, sql);
    }
    void exec(const QByteArray& sql) override { run(serverDialect(sql)); }
    // Rows written inside a transaction are announced only at its commit; until then the
    // observer hears that the statement's table changed.
    void noteWrite(const QByteArray& sql)
    {
        if (changes_ <= 0 || !inTransaction())
            return;
        static const QRegularExpression target(QStringLiteral("^\\s*(?:INSERT\\s+INTO|UPDATE|DELETE\\s+FROM)\\s+\"?(\\w+)"),
                                               QRegularExpression::CaseInsensitiveOption);
        if (const auto m = target.match(QString::fromUtf8(sql)); m.hasMatch())
            rowWritten(m.captured(1).toUpper(), -1);
    }
    int changes() const override { return changes_; }
    qint64 lastInsertKey() override
    {
        Result r(checked(PQexec(connection_, "SELECT lastval()")));
        return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
    }
    qint64 totalChanges() const override { return totalChanges_; }

    void beginWrite() override
    {
        run("BEGIN");
        try {
            run(kWriterLock);
        } catch (...) {
            rollback();
            throw;
        }
    }
    void commit() override
    {
        // The server ends a transaction in which a statement failed with a rollback, even when
        // asked to commit: that must not pass for a commit.
        if (PQtransactionStatus(connection_) == PQTRANS_INERROR) {
            rollback();
            throw DbError(QStringLiteral("事务中有一条语句失败，这次的修改已全部撤销。"));
        }
        run("COMMIT");
    }
    void rollback() noexcept override
    {
        if (inTransaction())
            PQclear(PQexec(connection_, "ROLLBACK"));
    }
    bool inTransaction() const override
    {
        const PGTransactionStatusType status = PQtransactionStatus(connection_);
        return status == PQTRANS_INTRANS || status == PQTRANS_INERROR || status == PQTRANS_ACTIVE;
    }

    qint64 dataVersion() override
    {
        // An empty command: the server hands over every announcement committed before it
        // before it answers, so a commit another workstation has finished is seen now.
        if (PQstatus(connection_) == CONNECTION_OK && !broken_) {
            PGresult* r = PQexec(connection_, "");
            if (!r || PQresultStatus(r) == PGRES_FATAL_ERROR)
                broken_ = true;
            PQclear(r);
        }
        takeNotifications();
        return othersVersion_;
    }

    int schemaVersion() override
    {
        if (!tableExists(QStringLiteral("qmx_schema")))
            return 0;
        Result r(checked(PQexec(connection_, "SELECT max(version) FROM qmx_schema")));
        return PQgetisnull(r.get(), 0, 0) ? 0 : QByteArray(PQgetvalue(r.get(), 0, 0)).toInt();
    }
    void setSchemaVersion(int version) override
    {
        run("CREATE TABLE IF NOT EXISTS qmx_schema (version INTEGER NOT NULL)");
        run("DELETE FROM qmx_schema");
        run("INSERT INTO qmx_schema (version) VALUES (" + QByteArray::number(version) + ")");
    }
    void execSchema(const QByteArray& fileDialectSql) override
    {
        prepareSchemaSupport();
        run(serverSchema(fileDialectSql));
        tableColumns_.clear();
    }
    QList<DeclaredColumn> tableColumns(const QString& table) override;
    qint64 keyCounter(const QString& table) override
    {
        // The sequence behind the table's identity column: its last value once one was taken.
        const QByteArray t = table.toLower().toUtf8();
        const char* values[] = {t.constData()};
        Result r(checked(PQexecParams(connection_,
                                      "SELECT coalesce(max(s.last_value), 0) FROM pg_sequences s"
                                      " JOIN pg_depend d ON d.objid = to_regclass(s.schemaname || '.' || s.sequencename)"
                                      " WHERE d.refobjid = to_regclass($1) AND d.deptype IN ('a', 'i')",
                                      1, nullptr, values, nullptr, nullptr, 0)));
        return QByteArray(PQgetvalue(r.get(), 0, 0)).toLongLong();
    }
    void keysGiven(const QString& table, const QString& keyColumn, qint64 counter) override
    {
        const QByteArray t = table.toLower().toUtf8(), k = keyColumn.toLower().toUtf8();
        run("SELECT setval(pg_get_serial_sequence('" + t + "', '" + k + "'), greatest(coalesce(max(" + k + "), 0), "
            + QByteArray::number(counter) + ") + 1, false) FROM " + t);
    }
    QString lastWriter(const QString& table, qint64 key) override
    {
        if (!tableExists(QStringLiteral("qmx_row_writer")))
            return {};
        const QByteArray t = table.toUpper().toUtf8(), k = QByteArray::number(key);
        const char* values[] = {t.constData(), k.constData()};
        Result r(checked(PQexecParams(connection_,
                                      "SELECT who, to_char(at, 'YYYY-MM-DD HH24:MI:SS') FROM qmx_row_writer"
                                      " WHERE tbl = $1 AND row_key = $2",
                                      2, nullptr, values, nullptr, nullptr, 0)));
        if (PQntuples(r.get()) == 0)
            return {};
        return QStringLiteral("%1（%2）").arg(QString::fromUtf8(PQgetvalue(r.get(), 0, 0)), QString::fromUtf8(PQgetvalue(r.get(), 0, 1)));
    }

    // Runs a command, keeping its count of changed rows; throws DbError on failure.
    Result run(const QByteArray& sql)
    {
        ensureConnected();
        Result result = checked(PQexec(connection_, sql.constData()));
        noteWrite(sql);
        return result;
    }
    Result checked(PGresult* result)
    {
        Result owned(result);
        const ExecStatusType status = owned ? PQresultStatus(owned.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            takeNotifications();
            throw DbError(failureText(owned.get()));
        }
        if (status == PGRES_COMMAND_OK) {
            changes_ = QByteArray(PQcmdTuples(owned.get())).toInt();
            totalChanges_ += changes_;
        }
        takeNotifications();
        return owned;
    }
    PGconn* connection() const { return connection_; }

    // Brings a connection the server dropped back before the next command; a command cut off
    // by the loss has failed already and said why.
    void ensureConnected()
    {
        if (PQstatus(connection_) == CONNECTION_OK && !broken_)
            return;
        PQreset(connection_);
        if (PQstatus(connection_) != CONNECTION_OK)
            throw DbError(QStringLiteral("无法连接数据库服务器 %1：%2").arg(location_, trimmedMessage(PQerrorMessage(connection_))));
        broken_ = false;
        setUpSession();
        // What the others wrote while this one was away was never announced to it.
        ++othersVersion_;
    }

private:
    // Whether a failure was the connection's rather than the statement's: no state from the
    // server at all, a connection class state, or the server shutting down.
    bool connectionLost(PGresult* result) const
    {
        if (PQstatus(connection_) != CONNECTION_OK || !result)
            return true;
        const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
        return !state || std::strncmp(state, "08", 2) == 0 || std::strncmp(state, "57P", 3) == 0;
    }
    QString failureText(PGresult* result)
    {
        if (connectionLost(result)) {
            broken_ = true;
            return QStringLiteral("与数据库服务器 %1 的连接已断开，这项操作没有完成；恢复连接后请再试一次。（%2）")
                .arg(location_, trimmedMessage(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_)));
        }
        return trimmedMessage(result ? PQresultErrorMessage(result) : PQerrorMessage(connection_));
    }
    void setUpSession()
    {
        PQsetClientEncoding(connection_, "UTF8");
        PQclear(PQexec(connection_, "SET DateStyle = ISO"));
        PQclear(PQexec(connection_, "SET extra_float_digits = 3"));
        PQclear(PQexec(connection_, "SET client_min_messages = warning"));
        PQclear(PQexec(connection_, (QByteArray("LISTEN ") + kChannel).constData()));
    }
    bool tableExists(const QString& table)
    {
        const QByteArray name = table.toLower().toUtf8();
        const char* values[] = {name.constData()};
        Result r(checked(PQexecParams(connection_, "SELECT to_regclass($1) IS NOT NULL", 1, nullptr, values, nullptr,
                                      nullptr, 0)));
        return PQgetvalue(r.get(), 0, 0)[0] == 't';
    }
    void prepareSchemaSupport()
    {
        run("CREATE EXTENSION IF NOT EXISTS citext");
        // Who last wrote each row, so a workstation whose change comes too late is told who
        // was first.
        run("CREATE TABLE IF NOT EXISTS qmx_row_writer (tbl TEXT NOT NULL, row_key TEXT NOT NULL, who TEXT,"
            " at TIMESTAMP, PRIMARY KEY (tbl, row_key))");
        // Every row written is announced with its table and key, after the commit.
        run(QByteArray("CREATE OR REPLACE FUNCTION qmx_row_written() RETURNS trigger LANGUAGE plpgsql AS $f$\n"
                       "DECLARE\n"
                       "  k TEXT := coalesce(to_jsonb(coalesce(NEW, OLD)) ->> TG_ARGV[0], '');\n"
                       "BEGIN\n"
                       "  PERFORM pg_notify('") + kChannel + "', upper(TG_TABLE_NAME) || ' ' || k);\n"
                       "  INSERT INTO qmx_row_writer (tbl, row_key, who, at)\n"
                       "    VALUES (upper(TG_TABLE_NAME), k, current_setting('application_name'), LOCALTIMESTAMP(0))\n"
                       "    ON CONFLICT (tbl, row_key) DO UPDATE SET who = EXCLUDED.who, at = EXCLUDED.at;\n"
                       "  RETURN NULL;\n"
                       "END $f$");
    }
    void takeNotifications()
    {
        const int self = PQbackendPID(connection_);
        while (PGnotify* n = PQnotifies(connection_)) {
            if (n->be_pid != self) {
                ++othersVersion_;
            } else {
                const QByteArray payload(n->extra);
                const qsizetype space = payload.indexOf(' ');
                rowWritten(QString::fromUtf8(payload.left(space)), payload.mid(space + 1).toLongLong());
            }
            PQfreemem(n);
        }
    }

    PGconn* connection_;
    QString location_;
    int changes_ = 0;
    qint64 totalChanges_ = 0;
    qint64 othersVersion_ = 0;
    bool broken_ = false; // a command found the connection gone; the next one connects again
    QHash<QString, QList<DeclaredColumn>> tableColumns_;
};

QList<DeclaredColumn> ServerEngine::tableColumns(const QString& table)
{
    if (table.isEmpty())
        return {};
    const QString key = table.toLower();
    if (const auto found = tableColumns_.constFind(key); found != tableColumns_.constEnd())
        return *found;
    const QByteArray name = key.toUtf8();
    const char* values[] = {name.constData()};
    Result r(checked(PQexecParams(
        connection_,
        "SELECT a.attname, coalesce(col_description(a.attrelid, a.attnum), format_type(a.atttypid, a.atttypmod)),"
        " coalesce((SELECT true FROM pg_index i WHERE i.indrelid = a.attrelid AND i.indisprimary"
        "           AND a.attnum = ANY(i.indkey)), false)"
        " FROM pg_attribute a WHERE a.attrelid = to_regclass($1) AND a.attnum > 0 AND NOT a.attisdropped"
        " ORDER BY a.attnum",
        1, nullptr, values, nullptr, nullptr, 0)));
    QList<DeclaredColumn> columns;
    for (int i = 0; i < PQntuples(r.get()); ++i)
        columns.append({QString::fromUtf8(PQgetvalue(r.get(), i, 0)).toUpper(), QString::fromUtf8(PQgetvalue(r.get(), i, 1)),
                        PQgetvalue(r.get(), i, 2)[0] == 't'});
    // A table made later (by another workstation's newer program) is looked up again.
    if (!columns.isEmpty())
        tableColumns_.insert(key, columns);
    return columns;
}

ServerCursor::ServerCursor(ServerEngine& engine, const QByteArray& sql) : engine_(engine)
{
    int marks = 0;
    sql_ = serverDialect(sql, &marks);
    params_.resize(marks);
    // A mark the statement never uses ("VALUES (?2)" for a parent it does not have) would
    // leave the server guessing its type; it is told text.
    unused_.fill(true, marks);
    static const QRegularExpression used(QStringLiteral("\\$(\\d+)"));
    for (auto it = used.globalMatch(QString::fromUtf8(sql_)); it.hasNext();) {
        const int number = it.next().captured(1).toInt();
        if (number >= 1 && number <= marks)
            unused_[number - 1] = false;
    }
}

void ServerCursor::execute()
{
    const int count = int(params_.size());
    const auto n = static_cast<std::size_t>(count);
    std::vector<Oid> types(n);
    std::vector<const char*> values(n);
    std::vector<int> lengths(n), formats(n);
    for (int i = 0; i < count; ++i) {
        const Param& p = params_[i];
        types[std::size_t(i)] = unused_[i] ? Oid(25) : p.type;
        values[std::size_t(i)] = p.null ? nullptr : p.value.constData();
        lengths[std::size_t(i)] = int(p.value.size());
        formats[std::size_t(i)] = p.format;
    }
    engine_.ensureConnected();
    result_ = engine_.checked(PQexecParams(engine_.connection(), sql_.constData(), count, types.data(), values.data(),
                                           lengths.data(), formats.data(), 0));
    engine_.noteWrite(sql_);
    row_ = -1;
}

bool ServerCursor::step()
{
    if (!result_)
        execute();
    if (row_ + 1 < PQntuples(result_.get())) {
        ++row_;
        return true;
    }
    return false;
}

PGresult* ServerCursor::described()
{
    if (result_)
        return result_.get();
    // Every value bound already (a statement with its values in its text): run it now, and
    // the first step reads the rows this brought.
    bool allBound = true;
    for (const Param& p : params_)
        allBound = allBound && p.bound;
    if (allBound) {
        execute();
        return result_.get();
    }
    if (!description_) {
        engine_.checked(PQprepare(engine_.connection(), "", sql_.constData(), int(params_.size()), nullptr));
        description_ = engine_.checked(PQdescribePrepared(engine_.connection(), ""));
    }
    return description_.get();
}

CellView ServerCursor::cell(int column) const
{
    CellView v;
    if (!result_ || row_ < 0 || PQgetisnull(result_.get(), row_, column))
        return v;
    const char* text = PQgetvalue(result_.get(), row_, column);
    const int length = PQgetlength(result_.get(), row_, column);
    switch (PQftype(result_.get(), column)) {
    case kBool:
        v.kind = CellView::Kind::Integer;
        v.integer = text[0] == 't' ? 1 : 0;
        return v;
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid:
        v.kind = CellView::Kind::Integer;
        std::from_chars(text, text + length, v.integer);
        return v;
    case kNumeric:
        // A sum of whole numbers is whole, as the file answers it.
        if (!std::memchr(text, '.', std::size_t(length)) && !std::memchr(text, 'N', std::size_t(length))) {
            v.kind = CellView::Kind::Integer;
            std::from_chars(text, text + length, v.integer);
            return v;
        }
        [[fallthrough]];
    case kFloat4:
    case kFloat8:
        v.kind = CellView::Kind::Real;
        v.real = std::strtod(text, nullptr); // also "Infinity" and "NaN"
        return v;
    case kBytea:
        v.kind = CellView::Kind::Blob;
        // "\x" and two hex digits a byte.
        bytes_ = QByteArray::fromHex(QByteArray::fromRawData(text + 2, length > 2 ? length - 2 : 0));
        v.data = bytes_.constData();
        v.length = std::uint32_t(bytes_.size());
        return v;
    default:
        v.kind = CellView::Kind::Text;
        v.data = text;
        v.length = std::uint32_t(length);
        return v;
    }
}

QString urlWithout(const QString& uri)
{
    QUrl url(uri);
    url.setPassword(QString());
    QUrlQuery query(url);
    query.removeAllQueryItems(QStringLiteral("password"));
    url.setQuery(query);
    return url.toString();
}

} // namespace

QString serverLocation(const QString& uri)
{
    return urlWithout(uri);
}

std::unique_ptr<Engine> connectToServer(const QString& uri, const QString& who)
{
    const QString prefix = who.isEmpty() ? QString() : who + QStringLiteral(": ");
    // Who writes is told to the other workstations: the user and this computer's name.
    const QByteArray application =
        (qEnvironmentVariable("USER", QStringLiteral("qmxdiy")) + QLatin1Char('@') + QSysInfo::machineHostName()).toUtf8();
    const QByteArray dbname = uri.toUtf8();
    const char* keywords[] = {"dbname", "application_name", "connect_timeout", nullptr};
    const char* values[] = {dbname.constData(), application.constData(), "5", nullptr};
    PGconn* connection = PQconnectdbParams(keywords, values, 1);
    if (!connection)
        throw DbError(prefix + QStringLiteral("无法连接数据库服务器 %1：内存不足").arg(serverLocation(uri)));
    if (PQstatus(connection) != CONNECTION_OK) {
        const QString message = trimmedMessage(PQerrorMessage(connection));
        PQfinish(connection);
        throw DbError(prefix + QStringLiteral("无法连接数据库服务器 %1：%2").arg(serverLocation(uri), message));
    }
    return std::make_unique<ServerEngine>(connection, serverLocation(uri));
}

} // namespace db
