// Backups of a 100,000-item catalogue with 2,000 pictures: the moment the operator waits
// (the snapshot), the whole backup, the restore, the check at start, and the time of a plain
// file copy of the same bytes as the yardstick of the machine's disk.
#include "big_catalogue.h"
#include "db/backup.h"
#include "db/backup_restore.h"
#include "db/backup_snapshot.h"
#include "db/catalogue_check.h"
#include "db/connection.h"
#include "platform/file_operations.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int kPictures = 2000;
constexpr int kPictureBytes = 24 * 1024; // a product photo of a few hundred pixels

void writePictures(const QString& folder)
{
    QDir().mkpath(folder);
    QRandomGenerator random(7);
    QByteArray bytes(kPictureBytes, Qt::Uninitialized);
    for (int i = 1; i <= kPictures; ++i) {
        random.fillRange(reinterpret_cast<quint32*>(bytes.data()), kPictureBytes / 4);
        QFile file(QDir(folder).filePath(QStringLiteral("%1.jpg").arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }
}

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QString database = folder + QLatin1String(db::kDatabaseFileName);
    bench_support::createBigCatalogue(folder);
    writePictures(folder + QLatin1String(db::kPicturesFolderName));
    const QString backups = folder + QStringLiteral("备份");

    QElapsedTimer t;
    t.start();
    db::Connection connection;
    connection.setConnectionString(db::ConnectionString::build(folder));
    connection.open();
    const double openMs = ms(t);
    t.restart();
    const QString problem = db::catalogueProblem(connection);
    const double checkMs = ms(t);
    connection.close();
    std::printf("open the catalogue: %.1f ms; check at start: %.1f ms (goal: the check <= 100 ms)%s\n", openMs,
                checkMs, problem.isEmpty() ? "" : " FOUND A PROBLEM");

    t.restart();
    db::CatalogueSnapshot snapshot(database, backups);
    const double snapshotMs = ms(t);
    const db::BackupInfo made = snapshot.write(db::BackupCause::Manual, QDateTime::currentDateTime());
    const double backupMs = ms(t);
    std::printf("snapshot (what the operator waits for): %.1f ms\n", snapshotMs);
    std::printf("backup of %lld items and %lld pictures, %.1f MB: %.0f ms (goal <= 3000)\n", made.counts.items,
                made.counts.pictures, made.size / 1e6, backupMs);

    t.restart();
    platform::copyFile(made.path, folder + QStringLiteral("plain-copy.bin"));
    const double copyMs = ms(t);
    std::printf("plain copy of the backup file: %.0f ms; backup / copy: %.1f\n", copyMs, backupMs / copyMs);

    t.restart();
    db::restoreBackup(made.path, database);
    const double restoreMs = ms(t);
    t.restart();
    db::removeReplacedPictures(database);
    std::printf("restore: %.0f ms (goal <= 5000); then removing the replaced pictures (not waited for): %.0f ms\n",
                restoreMs, ms(t));
    t.restart();
    db::restoreBackup(made.path, database, [&] { db::backUpBeforeRestore(database, backups); });
    std::printf("restore with the backup of the current state first: %.0f ms\n", ms(t));
    db::removeReplacedPictures(database);
    return 0;
}
