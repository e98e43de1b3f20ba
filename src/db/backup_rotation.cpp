#include "db/backup_rotation.h"
#include "platform/file_operations.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace db {

namespace {

const char* const kSettingsFile = "backup.ini";

// Monday of the week holding `day`.
QDate weekOf(const QDate& day)
{
    return day.addDays(1 - day.dayOfWeek());
}

// Keeps the newest backup of each of the first `count` distinct periods (newest first).
template<typename PeriodOf>
void keepNewestPerPeriod(const QList<BackupInfo>& newestFirst, int count, PeriodOf periodOf, QSet<QString>& kept)
{
    QSet<QDate> seen;
    for (const BackupInfo& backup : newestFirst) {
        const QDate period = periodOf(backup.time.date());
        if (seen.contains(period))
            continue;
        if (seen.size() >= count)
            break;
        seen.insert(period);
        kept.insert(backup.path);
    }
}

} // namespace

BackupSettings BackupSettings::load(const QString& dataFolder)
{
    BackupSettings settings;
    QFile file(QDir(dataFolder).filePath(QLatin1String(kSettingsFile)));
    if (!file.open(QIODevice::ReadOnly))
        return settings;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        bool ok = false;
        const int number = value.toInt(&ok);
        if (key == QLatin1String("folder"))
            settings.folder = value;
        else if (ok && number >= 0 && key == QLatin1String("daily"))
            settings.dailyBackups = number;
        else if (ok && number >= 0 && key == QLatin1String("weekly"))
            settings.weeklyWeeks = number;
        else if (ok && number >= 0 && key == QLatin1String("beforeStepDays"))
            settings.beforeStepDays = number;
    }
    return settings;
}

void BackupSettings::save(const QString& dataFolder) const
{
    const QString text = QStringLiteral("folder=%1\ndaily=%2\nweekly=%3\nbeforeStepDays=%4\n")
                             .arg(folder)
                             .arg(dailyBackups)
                             .arg(weeklyWeeks)
                             .arg(beforeStepDays);
    platform::writeFileAtomically(QDir(dataFolder).filePath(QLatin1String(kSettingsFile)), text.toUtf8());
}

QString BackupSettings::folderFor(const QString& dataFolder) const
{
    return folder.isEmpty() ? QDir(dataFolder).filePath(QString::fromUtf8(kBackupFolderName)) : folder;
}

QStringList expiredBackups(const QList<BackupInfo>& backups, const QDateTime& now, const BackupSettings& settings)
{
    QList<BackupInfo> newestFirst = backups;
    std::sort(newestFirst.begin(), newestFirst.end(),
              [](const BackupInfo& a, const BackupInfo& b) { return a.time > b.time; });
    QSet<QString> kept;
    if (!newestFirst.isEmpty())
        kept.insert(newestFirst.first().path);
    keepNewestPerPeriod(newestFirst, settings.dailyBackups, [](const QDate& d) { return d; }, kept);
    // Weeks counted back from this one, whether they have a backup or not.
    const QDate oldestWeek = weekOf(now.date()).addDays(-7 * (settings.weeklyWeeks - 1));
    QList<BackupInfo> recentWeeks;
    for (const BackupInfo& backup : newestFirst)
        if (settings.weeklyWeeks > 0 && backup.time.date() >= oldestWeek)
            recentWeeks << backup;
    keepNewestPerPeriod(recentWeeks, settings.weeklyWeeks, weekOf, kept);
    const QDateTime stepLimit = now.addDays(-settings.beforeStepDays);
    QStringList expired;
    for (const BackupInfo& backup : newestFirst) {
        if (madeBeforeStep(backup.cause) && backup.time >= stepLimit)
            continue;
        if (!kept.contains(backup.path))
            expired << backup.path;
    }
    return expired;
}

QStringList rotateBackups(const QString& folder, const BackupSettings& settings, const QDateTime& now)
{
    QStringList removed;
    for (const QString& path : expiredBackups(listBackups(folder), now, settings))
        if (QFile::remove(path))
            removed << QFileInfo(path).fileName();
    const QDir dir(folder);
    for (const QFileInfo& leftover : dir.entryInfoList({QStringLiteral("*.tmp"), QStringLiteral("*.tmp-journal")},
                                                       QDir::Files | QDir::Hidden)) {
        if (leftover.lastModified().secsTo(now) > 24 * 3600)
            QFile::remove(leftover.absoluteFilePath());
    }
    return removed;
}

bool hasBackupOn(const QString& folder, const QDate& day)
{
    for (const BackupInfo& backup : listBackups(folder))
        if (backup.time.date() == day)
            return true;
    return false;
}

} // namespace db
