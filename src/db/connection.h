#pragma once
#include <QString>
#include <memory>

namespace db {

class Engine;
class FileEngine;

// Database password of the catalogue file; compaction uses the same key.
inline constexpr const char* kDatabasePassword = "vtnka19950314";
inline constexpr const char* kDatabaseFileName = "qmxpcdiy.dat";

// The parts of a connection string that matter here.
struct ConnectionString {
    QString dataSource;
    QString password;

    // "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<folder>qmxpcdiy.dat;Persist Security
    // Info=False;Jet OLEDB:Database Password=<password>", the folder with its trailing slash.
    static QString build(const QString& folderWithSlash, const QString& password = kDatabasePassword);
    // Reads "key=value;" pairs (keys case-insensitive, values may be double-quoted).
    static ConnectionString parse(const QString& text);
};

// A connection string naming a PostgreSQL server instead of a file: a libpq connection URI,
// "postgresql://shop@192.168.1.10/qmx".
bool isServerAddress(const QString& connectionString);

// One connection to the catalogue: an encrypted file, or a database on a PostgreSQL server
// when the connection string is a server address. Used from one thread.
class Connection {
public:
    explicit Connection(QString name = QStringLiteral("ADOConnection1"));
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& name() const { return name_; }
    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }

    // Opens the file named by the connection string with its password, or connects to the
    // server it names. Fails (DbError) when the file is missing, the password is wrong or the
    // file is not a catalogue database, or when the server cannot be reached; never creates a
    // file. A server database that holds no catalogue yet gets the catalogue's tables. A file of an older program gets the tables added since (see
    // schema_upgrade.h); when that fails the file stays as it was and open fails.
    void open();
    void close();
    bool connected() const { return engine_ != nullptr; }
    bool isServer() const;
    // The file's path, or for a server the address without its password.
    QString fileName() const;

    // Runs a statement that returns no rows; answers the number of rows it changed.
    // The Jet spelling "delete * from" is accepted.
    int execute(const QString& sql);

    // A number that changes whenever another connection (another copy of the program, a
    // tool) has committed a change to the file; -1 while closed.
    qint64 dataVersion() const;

    // The engine for the data layer; null while closed.
    Engine* handle() const { return engine_.get(); }

    // Milliseconds one connection waits for another that holds the file.
    static constexpr int kBusyTimeoutMs = 10000;

    // Turns statements written in the Jet dialect into the engine's dialect.
    static QString adaptStatement(const QString& sql);

private:
    QString name_;
    QString connectionString_;
    QString fileName_;
    std::unique_ptr<Engine> engine_;
};

// Opens an existing encrypted file with the given key, checks the key with a first read, and
// configures it (busy timeout, journal). Throws DbError with `who` as prefix.
std::unique_ptr<FileEngine> openEncrypted(const QString& path, const QString& password, const QString& who);

} // namespace db
