#pragma once
#include "db/backup.h"
#include <QStringList>

namespace db {

// Where a data folder's backups go and how long they are kept; in "backup.ini" in the data
// folder, so that the program and the command-line tool on one folder agree.
struct BackupSettings {
    QString folder;            // empty: the data folder's "备份"
    int dailyBackups = 14;     // the newest backup of each of the last N days that have one
    int weeklyWeeks = 8;       // the newest backup of each of the last N weeks
    int beforeStepDays = 30;   // every backup made before a step, for N days

    static BackupSettings load(const QString& dataFolder);
    // Written through the atomic file writer.
    void save(const QString& dataFolder) const;
    QString folderFor(const QString& dataFolder) const;
    bool operator==(const BackupSettings&) const = default;
};

// The backups rotation removes at `now`. The newest backup is always kept.
QStringList expiredBackups(const QList<BackupInfo>& backups, const QDateTime& now, const BackupSettings& settings);

// Removes the expired backups of a folder, and temporary files of backups that a crash
// left there more than a day ago (younger ones may still be being written). Answers the
// names removed.
QStringList rotateBackups(const QString& folder, const BackupSettings& settings,
                          const QDateTime& now = QDateTime::currentDateTime());

// True when the folder holds a backup made on `day`.
bool hasBackupOn(const QString& folder, const QDate& day);

} // namespace db
