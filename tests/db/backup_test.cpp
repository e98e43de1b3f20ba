// Backups and restores on real encrypted catalogues and picture files: round trips of every
// table and picture, the snapshot a backup is written from, hostile backup files, restores
// that fail half-way, and the check that finds a damaged catalogue.
#include "db_fixture.h"
#include "db/backup.h"
#include "db/backup_restore.h"
#include "db/backup_snapshot.h"
#include "db/catalogue_check.h"
#include "db/db_error.h"
#include "platform/file_operations.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QtEndian>

namespace {

class BackupTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        const int l4 = addChain("电脑", "配件", "存储", "硬盘");
        addChain("电脑", "外设", "输入", "键盘");
        connection.execute("BEGIN");
        for (int k = 0; k < 40; ++k)
            connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_JG, HW_TP) values (%1, '硬盘 %2', %2, "
                                              "randomblob(3000))")
                                   .arg(l4)
                                   .arg(k));
        connection.execute("COMMIT");
        addLine("Q1", "配置单", 12.5);
        addLine("Q1", "配置单", 7);
        addLine("Q2", "王先生", 3);
        // Tables and a schema version the program may add later travel with the catalogue.
        connection.execute("CREATE TABLE SUPPLIER (NAME TEXT, PHONE TEXT)");
        connection.execute("INSERT INTO SUPPLIER VALUES ('小马电脑', '0571-1234')");
        connection.execute("PRAGMA user_version = 9");
        pictures = folder.file("PICS");
        QDir().mkpath(pictures);
        QRandomGenerator random(11);
        for (int k = 1; k <= 5; ++k) {
            QByteArray bytes(1000 * k + 17, Qt::Uninitialized);
            for (char& c : bytes)
                c = char(random.bounded(256));
            platform::writeFileAtomically(pictureFile(k), bytes);
        }
        backups = folder.file(QStringLiteral("备份"));
    }

    QString pictureFile(int id) const { return QDir(pictures).filePath(QStringLiteral("%1.jpg").arg(id)); }

    // Every row of every table (blobs as hex), the schema and the schema version.
    QStringList dump()
    {
        db::Connection c(QStringLiteral("dump"));
        c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        c.open();
        db::Dataset rows(QStringLiteral("dump"), &c);
        QStringList lines;
        db::openStatement(rows, "select name, sql from sqlite_master order by name");
        QStringList tables;
        for (rows.first(); !rows.eof(); rows.next()) {
            lines << rows.value("name").toString() + ": " + rows.value("sql").toString();
            if (rows.value("sql").toString().startsWith("CREATE TABLE"))
                tables << rows.value("name").toString();
        }
        for (const QString& table : tables) {
            db::openStatement(rows, "select * from " + table + " order by rowid");
            for (rows.first(); !rows.eof(); rows.next()) {
                QStringList values;
                for (int f = 0; f < rows.fields().size(); ++f) {
                    const QVariant v = rows.valueAt(rows.currentRow(), f);
                    values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex()) : v.toString());
                }
                lines << table + ": " + values.join('|');
            }
        }
        db::openStatement(rows, "PRAGMA user_version");
        lines << "user_version " + rows.valueAt(0, 0).toString();
        return lines;
    }

    // Each picture's name with its bytes.
    QMap<QString, QByteArray> pictureBytes() const
    {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(pictures).entryList(QDir::Files))
            files[name] = platform::readWholeFile(QDir(pictures).filePath(name));
        return files;
    }

    QStringList folderEntries() const
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    db::BackupInfo backUp(const QDateTime& time = QDateTime::currentDateTime())
    {
        return db::makeBackup(path, backups, db::BackupCause::Manual, time);
    }

    // Changes enough of everything that a restore has something to undo.
    void changeEverything()
    {
        connection.execute("delete from HW where HW_ID % 2 = 0");
        connection.execute("update SUPPLIER set NAME = '别家'");
        connection.execute("delete from DIY where DIY_ID = 'Q2'");
        connection.execute("PRAGMA user_version = 10");
        platform::writeFileAtomically(pictureFile(2), "changed");
        platform::writeFileAtomically(pictureFile(9), "new");
        platform::deleteFile(pictureFile(4));
    }

    QString pictures;
    QString backups;
};

TEST_F(BackupTest, RoundTripRestoresEveryTableAndEveryPictureByteForByte)
{
    const QStringList before = dump();
    const QMap<QString, QByteArray> picturesBefore = pictureBytes();
    const db::BackupInfo made = backUp(QDateTime(QDate(2026, 12, 1), QTime(8, 30, 15)));
    EXPECT_EQ(made.name, "20261201-083015-manual");
    EXPECT_EQ(made.counts, (db::CatalogueCounts{8, 40, 2, 5}));
    EXPECT_EQ(made.size, QFileInfo(made.path).size());
    // The catalogue inside is encrypted: no text of it shows in the file.
    EXPECT_FALSE(platform::readWholeFile(made.path).contains(QString("小马电脑").toUtf8()));

    changeEverything();
    connection.close();
    ASSERT_NE(dump(), before);
    db::restoreBackup(made.path, path);

    EXPECT_EQ(dump(), before);
    EXPECT_EQ(pictureBytes(), picturesBefore);
    // The replaced pictures wait beside PICS until they are removed; nothing else is left.
    EXPECT_EQ(QDir(folder.file(".PICS-replaced.tmp")).entryList(QDir::Files), QStringList({"1.jpg", "2.jpg", "3.jpg", "5.jpg", "9.jpg"}));
    db::removeReplacedPictures(path);
    EXPECT_EQ(folderEntries(), QStringList({"PICS", "qmxpcdiy.dat", "备份"}));
    // The restored catalogue takes new rows under new keys, as the original would.
    connection.open();
    connection.execute("insert into HW (L4_ID, HW_MC) values (1, 'new')");
    EXPECT_EQ(dump().filter("HW: 41|").size(), 1);
}

TEST_F(BackupTest, BackupHoldsTheCatalogueAsItWasWhenTheSnapshotWasTaken)
{
    const QStringList before = dump();
    db::CatalogueSnapshot snapshot(path, backups);
    // The operator goes on while the file is written.
    connection.execute("delete from HW");
    connection.execute("insert into L1 (L1_NM) values ('新类')");
    const db::BackupInfo made = snapshot.write(db::BackupCause::Import, QDateTime::currentDateTime());
    EXPECT_EQ(made.counts.items, 40);
    EXPECT_EQ(made.cause, db::BackupCause::Import);

    connection.close();
    db::restoreBackup(made.path, path);
    EXPECT_EQ(dump(), before);
    // The snapshot's temporary copy went with it.
    EXPECT_EQ(QDir(backups).entryList(QDir::Files | QDir::Hidden), QStringList({made.name + ".qmxbak"}));
}

TEST_F(BackupTest, ListShowsWholeBackupsNewestFirstAndFindsThemByName)
{
    const db::BackupInfo older = backUp(QDateTime(QDate(2026, 11, 30), QTime(9, 0)));
    const db::BackupInfo newer = backUp(QDateTime(QDate(2026, 12, 2), QTime(9, 0)));
    // A second one in the same second gets a number instead of replacing the first.
    const db::BackupInfo same = backUp(QDateTime(QDate(2026, 12, 2), QTime(9, 0)));
    EXPECT_EQ(same.name, "20261202-090000-manual-2");
    platform::writeFileAtomically(QDir(backups).filePath("20261203-090000-manual.qmxbak"),
                                  platform::readWholeFile(newer.path).left(5000));
    platform::writeFileAtomically(QDir(backups).filePath("notes.txt"), "x");

    QStringList names;
    for (const db::BackupInfo& b : db::listBackups(backups))
        names << b.name;
    EXPECT_EQ(names, QStringList({same.name, newer.name, older.name}));
    EXPECT_EQ(db::findBackup(backups, older.name), older.path);
    EXPECT_EQ(db::findBackup(backups, older.name + ".qmxbak"), older.path);
    EXPECT_THROW(db::findBackup(backups, "20200101-000000-manual"), db::DbError);
}

TEST_F(BackupTest, HostileBackupFilesAreRefusedAndChangeNothing)
{
    const db::BackupInfo made = backUp();
    const QByteArray whole = platform::readWholeFile(made.path);
    const QStringList before = dump();
    connection.close();
    const QMap<QString, QByteArray> picturesBefore = pictureBytes();

    // A file whose checksums alone fail looks whole to the list; it is refused when restored.
    auto refusal = [&](const QByteArray& bytes, bool looksWhole = false) {
        const QString file = folder.file("hostile.qmxbak");
        platform::writeFileAtomically(file, bytes);
        QString message;
        try {
            db::restoreBackup(file, path);
        } catch (const db::DbError& e) {
            message = e.text();
        }
        EXPECT_EQ(dump(), before);
        EXPECT_EQ(pictureBytes(), picturesBefore);
        EXPECT_EQ(db::listBackups(folder.path()).isEmpty(), !looksWhole);
        return message;
    };
    const QString cut = "备份文件“hostile.qmxbak”不完整（可能在制作时中断或被截断），不能使用。";
    for (qsizetype length : {qsizetype(10), qsizetype(16), whole.size() / 2, whole.size() - 1})
        EXPECT_EQ(refusal(whole.left(length)), cut) << length;
    EXPECT_EQ(refusal(platform::readWholeFile(pictureFile(3))), "“hostile.qmxbak”不是本程序的备份文件，不能使用。");
    EXPECT_EQ(refusal(QByteArray()), "“hostile.qmxbak”不是本程序的备份文件，不能使用。");

    QByteArray newer = whole;
    newer[8] = 2;
    EXPECT_EQ(refusal(newer), "备份文件“hostile.qmxbak”是更新版本的程序制作的（格式 2），本程序只能读取格式 1 "
                              "及以前的备份。请用新版本的程序恢复它。");
    // A byte changed inside the catalogue, or inside the last picture.
    const QString damaged = "备份文件“hostile.qmxbak”已损坏，不能使用。";
    QByteArray flipped = whole;
    flipped[40] = char(flipped[40] ^ 0x55);
    EXPECT_EQ(refusal(flipped, true), damaged);
    flipped = whole;
    const qsizetype indexStart = qsizetype(qFromLittleEndian<quint64>(whole.constData() + whole.size() - 24));
    flipped[indexStart - 3] = char(flipped[indexStart - 3] ^ 0x55);
    EXPECT_EQ(refusal(flipped, true), damaged);
    // An index that would write a picture outside PICS.
    QByteArray escaping = whole;
    const qsizetype at = escaping.indexOf("\"name\":\"1.jpg\"");
    ASSERT_GT(at, 0);
    escaping.replace(at, 14, "\"name\":\"../x\"");
    escaping.insert(at + 13, ' '); // same length, so the offsets still hold
    EXPECT_EQ(refusal(escaping), damaged);
    EXPECT_FALSE(QFileInfo::exists(folder.file("x")));
}

TEST_F(BackupTest, RestoreThatFailsHalfWayLeavesCatalogueAndPicturesAsTheyWere)
{
    const db::BackupInfo made = backUp();
    changeEverything();
    const QStringList changed = dump();
    const QMap<QString, QByteArray> changedPictures = pictureBytes();

    // Held open by another connection: its log would be applied to the restored file.
    EXPECT_THROW(db::restoreBackup(made.path, path), db::DbError);
    connection.close();
    EXPECT_EQ(dump(), changed);

    for (const char* failingStep : {"unpacked", "pictures"}) {
        EXPECT_THROW(db::restoreBackup(made.path, path, {},
                                       [&](const char* step) {
                                           if (QByteArray(step) == failingStep)
                                               throw db::DbError("disk failure");
                                       }),
                     db::DbError)
            << failingStep;
        EXPECT_EQ(dump(), changed) << failingStep;
        EXPECT_EQ(pictureBytes(), changedPictures) << failingStep;
        EXPECT_EQ(folderEntries(), QStringList({"PICS", "qmxpcdiy.dat", "备份"})) << failingStep;
    }
    // The backup of the current state failing stops the restore too.
    EXPECT_THROW(db::restoreBackup(made.path, path, [] { throw db::DbError("backup folder full"); }), db::DbError);
    EXPECT_EQ(dump(), changed);
    // Without a PICS folder, one failing after the pictures moved in leaves none.
    QDir(pictures).removeRecursively();
    EXPECT_THROW(db::restoreBackup(made.path, path, {}, [](const char* step) {
                     if (QByteArray(step) == "pictures")
                         throw db::DbError("disk failure");
                 }),
                 db::DbError);
    EXPECT_FALSE(QFileInfo::exists(pictures));
    EXPECT_EQ(dump(), changed);
}

TEST_F(BackupTest, BackupBeforeRestoreKeepsTheCurrentStateOrTheDamagedFile)
{
    const db::BackupInfo made = backUp(QDateTime::currentDateTime().addSecs(-60));
    changeEverything();
    connection.close();
    const QStringList changed = dump();
    QString safety;
    db::restoreBackup(made.path, path, [&] { safety = db::backUpBeforeRestore(path, backups); });
    EXPECT_EQ(db::readBackupInfo(safety).cause, db::BackupCause::Restore);
    db::restoreBackup(safety, path);
    EXPECT_EQ(dump(), changed);

    // A damaged catalogue cannot be exported; its file is kept as it is.
    QByteArray bytes = platform::readWholeFile(path);
    bytes.truncate(bytes.size() / 2);
    platform::writeFileAtomically(path, bytes);
    const QString kept = db::backUpBeforeRestore(path, backups);
    EXPECT_TRUE(kept.endsWith("-damaged.dat"));
    EXPECT_EQ(platform::readWholeFile(kept), bytes);
    db::restoreBackup(made.path, path);
    EXPECT_TRUE(db::catalogueFileProblem(path).isEmpty());
}

TEST_F(BackupTest, CatalogueCheckFindsDamageAndPassesSoundFiles)
{
    EXPECT_EQ(db::catalogueProblem(connection), QString());
    const db::BackupInfo made = backUp();
    connection.close();
    EXPECT_EQ(db::backupProblem(made.path, folder.path()), QString());
    const QByteArray sound = platform::readWholeFile(path);
    EXPECT_EQ(db::catalogueFileProblem(path), QString());

    platform::writeFileAtomically(path, sound.left(sound.size() - 1024));
    EXPECT_FALSE(db::catalogueFileProblem(path).isEmpty());
    // Garbage over the first page: the key no longer opens it.
    QByteArray overwritten = sound;
    for (int i = 0; i < 512; ++i)
        overwritten[i] = char(i * 7);
    platform::writeFileAtomically(path, overwritten);
    EXPECT_FALSE(db::catalogueFileProblem(path).isEmpty());
    // A page in the middle of the items: the engine's page check fails when the sample reads it.
    QByteArray page = sound;
    for (qsizetype i = sound.size() / 2; i < sound.size() / 2 + 40; ++i)
        page[i] = char(page[i] ^ 0xff);
    platform::writeFileAtomically(path, page);
    EXPECT_FALSE(db::catalogueFileProblem(path).isEmpty());

    platform::writeFileAtomically(path, sound);
    connection.open();
    connection.execute("DROP TABLE DIY");
    EXPECT_EQ(db::catalogueProblem(connection), "缺少数据表 DIY");
    connection.close();
    // A backup is checked the same way before it is offered.
    QByteArray bytes = platform::readWholeFile(made.path);
    bytes[100] = char(bytes[100] ^ 1);
    platform::writeFileAtomically(made.path, bytes);
    EXPECT_EQ(db::backupProblem(made.path, folder.path()), "备份文件“" + made.name + ".qmxbak”已损坏，不能使用。");
}

} // namespace
