#include "catalogue_backups.h"
#include "db/backup.h"
#include "db/backup_restore.h"
#include "db/backup_rotation.h"
#include "db/backup_snapshot.h"
#include <QFileInfo>
#include <cstdio>

namespace {

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

int usage(const QString& message)
{
    print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n").arg(message));
    return 2;
}

QString dataFolderOf(const QString& databasePath)
{
    return QFileInfo(databasePath).absolutePath();
}

QString line(const db::BackupInfo& backup)
{
    const db::CatalogueCounts& c = backup.counts;
    return QStringLiteral("%1\t%2\t%3\t分类 %4\t产品 %5\t清单 %6\t图片 %7\n")
        .arg(backup.name, backup.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), db::causeText(backup.cause))
        .arg(c.categories)
        .arg(c.items)
        .arg(c.quotations)
        .arg(c.pictures);
}

} // namespace

int backupCommand(const QString& databasePath, QStringList args)
{
    const db::BackupSettings settings = db::BackupSettings::load(dataFolderOf(databasePath));
    QString folder = settings.folderFor(dataFolderOf(databasePath));
    const bool elsewhere = args.size() == 2 && args[0] == QLatin1String("--to");
    if (elsewhere)
        folder = QFileInfo(args[1]).absoluteFilePath();
    else if (!args.isEmpty())
        return usage(QStringLiteral("backup takes [--to DIR]"));
    const db::BackupInfo made = db::makeBackup(databasePath, folder, db::BackupCause::Manual);
    print(stdout, line(made));
    // Rotation keeps the backup folder in bounds; a folder given once is the owner's to keep.
    if (!elsewhere)
        db::rotateBackups(folder, settings);
    return 0;
}

int backupsCommand(const QString& databasePath, const QStringList& args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("backups takes no arguments"));
    const QString folder = db::BackupSettings::load(dataFolderOf(databasePath)).folderFor(dataFolderOf(databasePath));
    for (const db::BackupInfo& backup : db::listBackups(folder))
        print(stdout, line(backup));
    return 0;
}

int restoreCommand(const QString& databasePath, const QStringList& args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("restore takes the name of a backup"));
    const QString folder = db::BackupSettings::load(dataFolderOf(databasePath)).folderFor(dataFolderOf(databasePath));
    const QString backup = db::findBackup(folder, args[0]);
    QString safety;
    db::restoreBackup(backup, databasePath, [&] { safety = db::backUpBeforeRestore(databasePath, folder); });
    db::removeReplacedPictures(databasePath);
    if (!safety.isEmpty())
        print(stdout, QStringLiteral("恢复前的数据已备份为 %1\n").arg(QFileInfo(safety).fileName()));
    print(stdout, line(db::readBackupInfo(backup)).prepend(QStringLiteral("已恢复\t")));
    return 0;
}
