// Which backups rotation keeps: over two simulated months of daily backups and backups made
// before steps, with the standard numbers and with the owner's; and on real files.
#include "db_fixture.h"
#include "db/backup.h"
#include "db/backup_rotation.h"
#include "db/backup_snapshot.h"
#include "platform/file_operations.h"
#include <QDir>
#include <QFile>
#include <QSet>

namespace {

db::BackupInfo fake(const QDateTime& time, db::BackupCause cause)
{
    db::BackupInfo b;
    b.time = time;
    b.cause = cause;
    b.path = db::backupFileName(time, cause);
    return b;
}

// Two months of a shop: a backup at every morning's start, one before an import every
// third day; rotation runs after each backup, as the program runs it.
QList<db::BackupInfo> simulate(const QDate& first, int days, const db::BackupSettings& settings)
{
    QList<db::BackupInfo> folder;
    auto add = [&](const db::BackupInfo& b) {
        folder << b;
        const QStringList expired = db::expiredBackups(folder, b.time, settings);
        folder.removeIf([&](const db::BackupInfo& x) { return expired.contains(x.path); });
    };
    for (int day = 0; day < days; ++day) {
        add(fake(QDateTime(first.addDays(day), QTime(9, 0)), db::BackupCause::Start));
        if (day % 3 == 0)
            add(fake(QDateTime(first.addDays(day), QTime(15, 0)), db::BackupCause::Import));
    }
    return folder;
}

QSet<QDate> daysOf(const QList<db::BackupInfo>& backups)
{
    QSet<QDate> days;
    for (const db::BackupInfo& b : backups)
        days.insert(b.time.date());
    return days;
}

TEST(BackupRotation, KeepsDailyWeeklyAndBeforeStepBackupsOverSimulatedMonths)
{
    const QDate first(2026, 10, 1);
    const int days = 60;
    const QDate last = first.addDays(days - 1);
    const QList<db::BackupInfo> kept = simulate(first, days, db::BackupSettings{});

    // The last 14 days each still have a backup.
    for (int back = 0; back < 14; ++back)
        EXPECT_TRUE(daysOf(kept).contains(last.addDays(-back))) << back;
    // Each of the last 8 weeks has one.
    const QDate thisMonday = last.addDays(1 - last.dayOfWeek());
    for (int week = 0; week < 8; ++week) {
        const QDate monday = thisMonday.addDays(-7 * week);
        bool found = false;
        for (const QDate& d : daysOf(kept))
            found = found || (d >= monday && d < monday.addDays(7));
        EXPECT_TRUE(found) << monday.toString(Qt::ISODate).toStdString();
    }
    const QDateTime end(last, QTime(15, 0));
    for (const db::BackupInfo& b : kept) {
        // Nothing older than the weekly span.
        EXPECT_GE(b.time.date(), thisMonday.addDays(-7 * 7)) << b.path.toStdString();
        const bool recentDay = b.time.date() > last.addDays(-14);
        const bool recentStep = db::madeBeforeStep(b.cause) && b.time >= end.addDays(-30);
        if (recentDay || recentStep)
            continue;
        // Older than both: only the week's newest survives.
        for (const db::BackupInfo& other : kept)
            if (other.path != b.path && other.time > b.time && other.time.date().addDays(1 - other.time.date().dayOfWeek())
                                                                  == b.time.date().addDays(1 - b.time.date().dayOfWeek()))
                ADD_FAILURE() << b.path.toStdString() << " kept beside the newer " << other.path.toStdString();
    }
    // Every backup made before a step in the last 30 days is there.
    for (int day = 0; day < days; day += 3) {
        const QDateTime time(first.addDays(day), QTime(15, 0));
        const bool expected = time >= end.addDays(-30);
        const bool present = std::any_of(kept.begin(), kept.end(), [&](const db::BackupInfo& b) {
            return b.time == time;
        });
        if (expected) {
            EXPECT_TRUE(present) << day;
        }
    }
    EXPECT_LE(kept.size(), 14 + 14 + 8);
}

TEST(BackupRotation, OwnersNumbersApplyAndTheNewestBackupAlwaysStays)
{
    db::BackupSettings few;
    few.dailyBackups = 3;
    few.weeklyWeeks = 0;
    few.beforeStepDays = 0;
    const QList<db::BackupInfo> kept = simulate(QDate(2026, 10, 1), 30, few);
    EXPECT_EQ(daysOf(kept), QSet<QDate>({QDate(2026, 10, 28), QDate(2026, 10, 29), QDate(2026, 10, 30)}));

    db::BackupSettings none = few;
    none.dailyBackups = 0;
    const QList<db::BackupInfo> one = simulate(QDate(2026, 10, 1), 10, none);
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0].time, QDateTime(QDate(2026, 10, 10), QTime(15, 0)));
}

class RotationFilesTest : public CatalogueTest {};

TEST_F(RotationFilesTest, RemovesExpiredFilesAndOldLeftoversOnly)
{
    connection.close();
    db::BackupSettings settings;
    settings.dailyBackups = 2;
    settings.weeklyWeeks = 0;
    settings.beforeStepDays = 30;
    settings.folder = folder.file("elsewhere");
    settings.save(folder.path());
    EXPECT_EQ(db::BackupSettings::load(folder.path()), settings);
    const QString backups = settings.folderFor(folder.path());

    const QDateTime now(QDate(2026, 12, 10), QTime(12, 0));
    for (int day = 4; day >= 1; --day)
        db::makeBackup(path, backups, db::BackupCause::Start, now.addDays(-day));
    db::makeBackup(path, backups, db::BackupCause::CategoryDelete, now.addDays(-20));
    db::makeBackup(path, backups, db::BackupCause::QuotationDelete, now.addDays(-40));
    // What a crash left: an old temporary and one that may still be being written.
    const QString stale = QDir(backups).filePath("20261101-090000-start.qmxbak.x1.tmp");
    const QString fresh = QDir(backups).filePath(".snapshot-x2.tmp");
    platform::writeFileAtomically(stale, "half");
    platform::writeFileAtomically(fresh, "half");
    QFile staleFile(stale);
    ASSERT_TRUE(staleFile.open(QIODevice::ReadWrite));
    staleFile.setFileTime(now.addDays(-2), QFileDevice::FileModificationTime);
    staleFile.close();
    QFile freshFile(fresh);
    ASSERT_TRUE(freshFile.open(QIODevice::ReadWrite));
    freshFile.setFileTime(now.addSecs(-600), QFileDevice::FileModificationTime);
    freshFile.close();

    const QStringList removed = db::rotateBackups(backups, settings, now);
    EXPECT_EQ(QSet<QString>(removed.begin(), removed.end()),
              QSet<QString>({"20261206-120000-start.qmxbak", "20261207-120000-start.qmxbak",
                             "20261031-120000-quotation-delete.qmxbak"}));
    EXPECT_EQ(QDir(backups).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({".snapshot-x2.tmp", "20261120-120000-category-delete.qmxbak", "20261208-120000-start.qmxbak",
                           "20261209-120000-start.qmxbak"}));
    EXPECT_TRUE(db::hasBackupOn(backups, QDate(2026, 12, 9)));
    EXPECT_FALSE(db::hasBackupOn(backups, QDate(2026, 12, 10)));
}

} // namespace
