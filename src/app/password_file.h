#pragma once
#include <QString>

namespace db { struct ServerFields; }

namespace app {

// The password file of PostgreSQL's own tools, where libpq looks for a server's password:
// $PGPASSFILE, else ~/.pgpass. The program's settings never hold a password.
QString passwordFilePath();

// Keeps the password for the server, database and user: the file's line of the same host,
// port, database and user is replaced (or one added), other lines stay as they were. The
// file is written whole through a temporary and readable by its owner only (libpq ignores a
// file others can read). Fails with a message for the operator.
void storePassword(const db::ServerFields& server, const QString& password);

} // namespace app
