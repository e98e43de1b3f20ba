#pragma once
#include <QStringList>

// Where the tool's catalogue is: a file (its pictures in PICS beside it, its backups in its
// data folder's backup folder), or a database on a server (its backups in a folder of that
// server's own inside the backup folder of this computer's data folder).
struct CatalogueLocation {
    QString file;       // empty for a server
    QString server;     // the server's address; empty for a file
    QString dataFolder; // the folder whose backup settings say where backups go
    bool isServer() const { return !server.isEmpty(); }
};

// The backup commands of qmxdiy-catalogue: backup [--to DIR], backups, restore NAME|PATH. A
// server's catalogue is restored only into an empty database. Answer the exit status.
int backupCommand(const CatalogueLocation& where, QStringList args);
int backupsCommand(const CatalogueLocation& where, const QStringList& args);
int restoreCommand(const CatalogueLocation& where, const QStringList& args);
