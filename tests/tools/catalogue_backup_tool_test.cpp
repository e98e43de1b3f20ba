// qmxdiy-catalogue's backup, backups and restore run as the owner runs them, on a real
// catalogue and picture folder; and a backup process killed half-way.
#include "db/backup.h"
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "support/test_paths.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code;
    QString out;
    QString err;
};

class CatalogueBackupToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createCatalogue(folder.file(db::kDatabaseFileName), false);
        execute({"insert into L1 (L1_NM) values ('电脑')", "insert into L2 (L1_ID, L2_NM) values (1, '配件')",
                 "insert into L3 (L2_ID, L3_NM) values (1, '显卡')", "insert into L4 (L3_ID, L4_NM) values (1, 'NVIDIA')",
                 "insert into HW (L4_ID, HW_MC, HW_JG) values (1, 'RTX 4070 SUPER', 4599)",
                 "insert into HW (L4_ID, HW_MC, HW_JG) values (1, 'RTX 4060', 2399)",
                 "insert into DIY (DIY_ID, DIY_NM, HW_ID, DIY_SL) values ('2026-12-10', '配置单', 1, 1)"});
        QDir().mkpath(folder.file("PICS"));
        writeFile(folder.file("PICS/1.jpg"), QByteArray("\xff\xd8 first picture", 16));
    }

    void execute(const QStringList& statements)
    {
        db::Connection c;
        c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        c.open();
        for (const QString& sql : statements)
            c.execute(sql);
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString tool() const { return QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-catalogue"); }
    ToolRun run(const QStringList& args)
    {
        QProcess p;
        p.start(tool(), QStringList{"--data-dir", folder.path()} + args);
        p.waitForFinished(120000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

    testing_support::TempFolder folder;
};

TEST_F(CatalogueBackupToolTest, BackupListAndRestoreBringBackRowsAndPictures)
{
    const ToolRun made = run({"backup"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QStringList fields = made.out.trimmed().split('\t');
    ASSERT_EQ(fields.size(), 7) << made.out.toStdString();
    EXPECT_TRUE(fields[0].endsWith("-manual"));
    EXPECT_EQ(fields.mid(2), QStringList({"手动", "分类 4", "产品 2", "清单 1", "图片 1"}));
    EXPECT_EQ(run({"backups"}).out, made.out);

    execute({"delete from HW", "delete from DIY"});
    writeFile(folder.file("PICS/1.jpg"), "overwritten");
    writeFile(folder.file("PICS/2.jpg"), "added");

    const ToolRun restored = run({"restore", fields[0]});
    ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.startsWith("恢复前的数据已备份为 ")) << restored.out.toStdString();
    EXPECT_TRUE(restored.out.endsWith("已恢复\t" + made.out)) << restored.out.toStdString();
    EXPECT_EQ(run({"search", "4060"}).out, "2\t电脑/配件/显卡/NVIDIA\tRTX 4060\t2399\n");
    EXPECT_EQ(readFile(folder.file("PICS/1.jpg")), QByteArray("\xff\xd8 first picture", 16));
    EXPECT_EQ(QDir(folder.file("PICS")).entryList(QDir::Files), QStringList({"1.jpg"}));

    // The state before the restore is the newest backup, and can be restored in turn.
    const QStringList listed = run({"backups"}).out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0].split('\t').mid(2), QStringList({"恢复备份前", "分类 4", "产品 0", "清单 0", "图片 2"}));
    EXPECT_EQ(listed[1] + '\n', made.out);
}

TEST_F(CatalogueBackupToolTest, BackupToAnotherFolderAndRefusedRestores)
{
    const QString usb = folder.file("usb");
    const ToolRun made = run({"backup", "--to", usb});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(db::listBackups(usb).size(), 1);
    EXPECT_TRUE(run({"backups"}).out.isEmpty());

    // A backup cut short, given by its path: refused with the reason, the catalogue unchanged.
    const QString backup = db::listBackups(usb).first().path;
    const QString cut = folder.file("cut.qmxbak");
    writeFile(cut, readFile(backup).left(300));
    const QByteArray catalogue = readFile(folder.file(db::kDatabaseFileName));
    const ToolRun refused = run({"restore", cut});
    EXPECT_EQ(refused.code, 2);
    EXPECT_EQ(refused.err, "qmxdiy-catalogue: 备份文件“cut.qmxbak”不完整（可能在制作时中断或被截断），不能使用。\n");
    EXPECT_EQ(readFile(folder.file(db::kDatabaseFileName)), catalogue);
    const ToolRun missing = run({"restore", "20200101-000000-manual"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("没有名为“20200101-000000-manual”的备份")) << missing.err.toStdString();
    EXPECT_EQ(run({"backup", "--to"}).code, 2);
}

TEST_F(CatalogueBackupToolTest, ProcessKilledInTheMiddleOfABackupLeavesNoBackupListed)
{
    // Enough pictures that the backup is still being written when it is killed.
    QByteArray picture(1 << 20, 'p');
    for (int k = 1; k <= 150; ++k) {
        picture[0] = char(k);
        writeFile(folder.file(QStringLiteral("PICS/%1.jpg").arg(k)), picture);
    }
    const QString backups = folder.file(QStringLiteral("备份"));
    QProcess p;
    p.start(tool(), {"--data-dir", folder.path(), "backup"});
    ASSERT_TRUE(p.waitForStarted());
    QElapsedTimer waited;
    waited.start();
    bool halfWritten = false;
    while (!halfWritten && !p.waitForFinished(2) && waited.elapsed() < 60000) {
        for (const QFileInfo& f : QDir(backups).entryInfoList({"*.qmxbak.*.tmp"}, QDir::Files))
            halfWritten = halfWritten || f.size() > (8 << 20);
    }
    ASSERT_TRUE(halfWritten) << "the backup ended before it could be killed: "
                             << p.readAllStandardOutput().toStdString() << p.readAllStandardError().toStdString();
    p.kill();
    p.waitForFinished();

    EXPECT_TRUE(db::listBackups(backups).isEmpty());
    EXPECT_TRUE(run({"backups"}).out.isEmpty());
    // The next backup is whole and the only one listed.
    const ToolRun next = run({"backup"});
    ASSERT_EQ(next.code, 0) << next.err.toStdString();
    EXPECT_EQ(run({"backups"}).out, next.out);
    EXPECT_TRUE(next.out.trimmed().endsWith("图片 150"));
}

} // namespace
