#include "catalogue_backups.h"
#include "db/backup.h"
#include "db/backup_restore.h"
#include "db/backup_rotation.h"
#include "db/backup_snapshot.h"
#include "db/connection.h"
#include "db/server_backup.h"
#include <QFileInfo>
#include <cstdio>
#include <memory>

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

QString backupFolderOf(const CatalogueLocation& where)
{
    const QString folder = db::BackupSettings::load(where.dataFolder).folderFor(where.dataFolder);
    return where.isServer() ? db::serverBackupFolder(folder, where.server) : folder;
}

std::unique_ptr<db::Connection> openServer(const CatalogueLocation& where)
{
    auto server = std::make_unique<db::Connection>(QStringLiteral("qmxdiy-catalogue"));
    server->setConnectionString(where.server);
    server->open();
    return server;
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

int backupCommand(const CatalogueLocation& where, QStringList args)
{
    const db::BackupSettings settings = db::BackupSettings::load(where.dataFolder);
    QString folder = backupFolderOf(where);
    const bool elsewhere = args.size() == 2 && args[0] == QLatin1String("--to");
    if (elsewhere)
        folder = QFileInfo(args[1]).absoluteFilePath();
    else if (!args.isEmpty())
        return usage(QStringLiteral("backup takes [--to DIR]"));
    const db::BackupInfo made = where.isServer()
        ? db::makeServerBackup(*openServer(where), folder, db::BackupCause::Manual)
        : db::makeBackup(where.file, folder, db::BackupCause::Manual);
    print(stdout, line(made));
    // Rotation keeps the backup folder in bounds; a folder given once is the owner's to keep.
    if (!elsewhere)
        db::rotateBackups(folder, settings);
    return 0;
}

int backupsCommand(const CatalogueLocation& where, const QStringList& args)
{
    if (!args.isEmpty())
        return usage(QStringLiteral("backups takes no arguments"));
    for (const db::BackupInfo& backup : db::listBackups(backupFolderOf(where)))
        print(stdout, line(backup));
    return 0;
}

int restoreCommand(const CatalogueLocation& where, const QStringList& args)
{
    if (args.size() != 1)
        return usage(QStringLiteral("restore takes the name of a backup"));
    const QString folder = backupFolderOf(where);
    const QString backup = db::findBackup(folder, args[0]);
    if (where.isServer()) {
        // Into an empty database only: there is nothing on the server to back up first.
        try {
            db::restoreServerBackup(backup, *openServer(where));
        } catch (const db::TargetNotEmpty& e) {
            print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n").arg(e.text()));
            return 1;
        }
    } else {
        QString safety;
        db::restoreBackup(backup, where.file, [&] { safety = db::backUpBeforeRestore(where.file, folder); });
        db::removeReplacedPictures(where.file);
        if (!safety.isEmpty())
            print(stdout, QStringLiteral("恢复前的数据已备份为 %1\n").arg(QFileInfo(safety).fileName()));
    }
    print(stdout, line(db::readBackupInfo(backup)).prepend(QStringLiteral("已恢复\t")));
    return 0;
}
