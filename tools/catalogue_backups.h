#pragma once
#include <QStringList>

// The backup commands of qmxdiy-catalogue: backup [--to DIR], backups, restore NAME, on the
// catalogue file `databasePath` (its pictures in PICS beside it). Answer the exit status.
int backupCommand(const QString& databasePath, QStringList args);
int backupsCommand(const QString& databasePath, const QStringList& args);
int restoreCommand(const QString& databasePath, const QStringList& args);
