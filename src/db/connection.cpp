#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/engines/file_engine.h"
#include "db/engines/server_engine.h"
#include "db/schema_upgrade.h"
#include "db/statements.h"
#include <sqlcipher/sqlite3.h>
#include <QFileInfo>
#include <QRegularExpression>

namespace db {

bool isServerAddress(const QString& connectionString)
{
    const QString text = connectionString.trimmed();
    return text.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

QString ConnectionString::build(const QString& folderWithSlash, const QString& password)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + folderWithSlash
        + QLatin1String(kDatabaseFileName)
        + QStringLiteral(";Persist Security Info=False;Jet OLEDB:Database Password=") + password;
}

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString result;
    // Values may be double-quoted so that a path or password can hold a semicolon.
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), pos);
        if (eq < 0)
            break;
        const QString key = text.mid(pos, eq - pos).trimmed();
        qsizetype valueStart = eq + 1;
        QString value;
        if (valueStart < text.size() && text[valueStart] == QLatin1Char('"')) {
            qsizetype close = text.indexOf(QLatin1Char('"'), valueStart + 1);
            if (close < 0)
                close = text.size();
            value = text.mid(valueStart + 1, close - valueStart - 1);
            pos = text.indexOf(QLatin1Char(';'), close);
        } else {
            qsizetype semi = text.indexOf(QLatin1Char(';'), valueStart);
            value = text.mid(valueStart, (semi < 0 ? text.size() : semi) - valueStart);
            pos = semi;
        }
        if (key.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            result.dataSource = value;
        else if (key.compare(QLatin1String("Jet OLEDB:Database Password"), Qt::CaseInsensitive) == 0
                 || key.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0)
            result.password = value;
        if (pos < 0)
            break;
        ++pos;
    }
    return result;
}

std::unique_ptr<FileEngine> openEncrypted(const QString& path, const QString& password, const QString& who)
{
    const QString prefix = who.isEmpty() ? QString() : who + QStringLiteral(": ");
    if (!QFileInfo(path).isFile())
        throw DbError(prefix + QStringLiteral("找不到文件“%1”。").arg(path));

    sqlite3* raw = nullptr;
    const QByteArray utf8Path = path.toUtf8();
    const int opened = sqlite3_open_v2(utf8Path.constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    // The engine owns the handle from here, also a failed one, and closes it on every path.
    auto engine = std::make_unique<FileEngine>(raw, path);
    if (opened != SQLITE_OK)
        throw DbError(prefix + QStringLiteral("无法打开“%1”：%2")
                                   .arg(path, raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory")));
    auto run = [&](const QString& sql, QString* firstValue = nullptr) {
        detail::Statement statement(engine.get(), sql);
        const bool row = statement.step();
        if (row && firstValue)
            *firstValue = statement.text(0);
        return row;
    };
    try {
        sqlite3_busy_timeout(raw, Connection::kBusyTimeoutMs);
        run(QStringLiteral("PRAGMA key = ") + statements::textLiteral(password));
        // A build linked against plain SQLite would silently write an unencrypted file.
        QString version;
        if (!run(QStringLiteral("PRAGMA cipher_version"), &version) || version.isEmpty())
            throw DbError(QStringLiteral("the database engine does not encrypt (cipher_version is empty)"));
        // The key is only checked by the first read.
        try {
            run(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        } catch (const DbError& e) {
            throw DbError(QStringLiteral("无法打开“%1”：密码不对，或者它不是本程序的目录文件（%2）")
                              .arg(path, e.text()));
        }
        // WAL lets a second copy of the program read while this one writes, and a backup
        // read a fixed snapshot while the operator goes on. FULL syncs the log at every
        // commit, so a power cut loses no committed line (NORMAL would keep the file sound
        // but could lose the last commits); the log's append-only writes keep that cheap.
        run(QStringLiteral("PRAGMA journal_mode = WAL"));
        run(QStringLiteral("PRAGMA synchronous = FULL"));
    } catch (const DbError& e) {
        throw DbError(prefix + e.text());
    }
    return engine;
}

Connection::Connection(QString name) : name_(std::move(name)) {}

Connection::~Connection()
{
    close();
}

void Connection::open()
{
    if (engine_)
        return;
    std::unique_ptr<Engine> engine;
    if (isServerAddress(connectionString_)) {
        engine = connectToServer(connectionString_.trimmed(), name_);
    } else {
        const ConnectionString cs = ConnectionString::parse(connectionString_);
        if (cs.dataSource.isEmpty())
            throw DbError(name_ + QStringLiteral(": the connection string names no data source"));
        engine = openEncrypted(cs.dataSource, cs.password, name_);
    }
    try {
        upgradeSchema(engine.get());
    } catch (const DbError& e) {
        throw DbError(name_ + QStringLiteral(": ") + e.text());
    }
    engine_ = std::move(engine);
    fileName_ = engine_->location();
}

void Connection::close()
{
    engine_.reset();
}

bool Connection::isServer() const
{
    return engine_ ? engine_->kind() == EngineKind::Server : isServerAddress(connectionString_);
}

QString Connection::fileName() const
{
    if (engine_)
        return fileName_;
    if (isServerAddress(connectionString_))
        return serverLocation(connectionString_.trimmed());
    return ConnectionString::parse(connectionString_).dataSource;
}

QString Connection::adaptStatement(const QString& sql)
{
    static const QRegularExpression jetDelete(QStringLiteral("^\\s*delete\\s+\\*\\s+from\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString adapted = sql;
    adapted.replace(jetDelete, QStringLiteral("delete from"));
    return adapted;
}

int Connection::execute(const QString& sql)
{
    if (!engine_)
        throw DbError(name_ + QStringLiteral(": 数据库没有打开，无法进行这项操作。请关闭程序后重新打开。"));
    engine_->exec(adaptStatement(sql).toUtf8());
    return engine_->changes();
}

qint64 Connection::dataVersion() const
{
    return engine_ ? engine_->dataVersion() : -1;
}

} // namespace db
