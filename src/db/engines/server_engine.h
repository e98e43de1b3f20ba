#pragma once
#include "db/engine.h"
#include <memory>

namespace db {

// Connects to the PostgreSQL database a connection URI names ("postgresql://shop@host/qmx"),
// with a password from the URI or from ~/.pgpass. Throws DbError, prefixed with `who`, when
// the server cannot be reached or refuses.
std::unique_ptr<Engine> connectToServer(const QString& uri, const QString& who);

// The server's address as the operator may see it: the URI without its password.
QString serverLocation(const QString& uri);

// A statement in the file's dialect, as the server reads it: ?-marks (also ?1, ?2) become
// $1, $2, quoted names lose their case as unquoted ones do, and "IS ?" compares as the file
// does, null to null included. Text in quotes is left alone.
QByteArray serverDialect(const QByteArray& sql, int* markCount = nullptr);

// Schema statements in the file's dialect (CREATE TABLE, CREATE INDEX, INSERT) in the
// server's: its column types, each column's declared type kept as its comment, and a trigger
// per new table that tells the other workstations about every row written.
QByteArray serverSchema(const QByteArray& fileDialectSql);

} // namespace db
