// The compaction routine and its copy steps on real encrypted files, and write transactions.
#include "db_fixture.h"
#include "db/compaction.h"
#include "db/db_error.h"
#include "platform/error.h"
#include "db/transaction.h"
#include "platform/file_operations.h"
#include <QDir>
#include <QFileInfo>

namespace {

const QString kPassword = QString::fromLatin1(db::kDatabasePassword);

class CompactionRoutineTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        const int l4 = addChain("电脑", "配件", "存储", "硬盘");
        connection.execute("BEGIN");
        for (int k = 0; k < 60; ++k)
            connection.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_JG, HW_TP) values (%1, 'disk %2', %2, "
                                              "randomblob(6000))")
                                   .arg(l4)
                                   .arg(k));
        connection.execute("COMMIT");
        connection.execute("delete from HW where HW_ID % 3 != 0");
        addLine("Q1", "配置单", 12.5);
        connection.close();
        copy = folder.file("qmxpcdiy2.dat");
        temp = folder.file("tmpDB.mdb");
        platform::copyFile(path, copy);
        bytes = platform::readWholeFile(copy);
    }

    QStringList rows(const QString& file)
    {
        db::Connection c(QStringLiteral("check"));
        c.setConnectionString("Data Source=" + file + ";Jet OLEDB:Database Password=" + kPassword);
        c.open();
        db::Dataset d(QStringLiteral("check"), &c);
        QStringList all;
        for (const char* table : {"L1", "L2", "L3", "L4", "HW", "DIY", "sqlite_sequence"}) {
            db::openStatement(d, QStringLiteral("select * from ") + table);
            for (int r = 0; r < d.recordCount(); ++r)
                for (int f = 0; f < d.fields().size(); ++f)
                    all << d.valueAt(r, f).toString();
        }
        return all;
    }

    QString copy, temp;
    QByteArray bytes;
};

} // namespace

TEST_F(CompactionRoutineTest, WritesASmallerEquallyEncryptedFileWithTheSameRows)
{
    const QStringList before = rows(copy);
    int pauses = 0;
    db::compactInPlace(copy, kPassword, [&] { ++pauses; });
    EXPECT_EQ(pauses, 4);
    EXPECT_LT(QFileInfo(copy).size(), bytes.size() / 2);
    EXPECT_EQ(rows(copy), before);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_FALSE(QFileInfo::exists(copy + "-wal"));
    // Same password: a wrong one is refused, as for the original.
    db::Connection wrong(QStringLiteral("wrong"));
    wrong.setConnectionString("Data Source=" + copy + ";Jet OLEDB:Database Password=vtnka19950315");
    EXPECT_THROW(wrong.open(), db::DbError);
    // New rows continue the key counter instead of reusing deleted keys.
    db::Connection c(QStringLiteral("c"));
    c.setConnectionString("Data Source=" + copy + ";Jet OLEDB:Database Password=" + kPassword);
    c.open();
    c.execute("insert into HW (HW_MC) values ('new')");
    auto d = std::make_unique<db::Dataset>("d", &c);
    db::openStatement(*d, "select max(HW_ID) as m from HW");
    EXPECT_EQ(d->asInteger("m"), 61);
}

TEST_F(CompactionRoutineTest, AFailureAtAnyStepLeavesTheFileAsItWasAndNoTemporaryFile)
{
    for (int failAt = 1; failAt <= 4; ++failAt) {
        SCOPED_TRACE(failAt);
        int pauses = 0;
        EXPECT_THROW(db::compactInPlace(copy, kPassword,
                                        [&] {
                                            if (++pauses == failAt)
                                                throw db::DbError("interrupted");
                                        }),
                     db::DbError);
        EXPECT_EQ(platform::readWholeFile(copy), bytes);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files, QDir::Name),
                  (QStringList{"qmxpcdiy.dat", "qmxpcdiy2.dat"}));
    }
}

TEST_F(CompactionRoutineTest, WrongPasswordOrAFileThatIsNoDatabaseFailsAndChangesNothing)
{
    EXPECT_THROW(db::compactInPlace(copy, "not the password"), db::DbError);
    EXPECT_EQ(platform::readWholeFile(copy), bytes);
    EXPECT_FALSE(QFileInfo::exists(temp));

    platform::writeFileAtomically(copy, QByteArray(4096, '\x5a'));
    EXPECT_THROW(db::compactInPlace(copy, kPassword), db::DbError);
    EXPECT_EQ(platform::readWholeFile(copy), QByteArray(4096, '\x5a'));
    EXPECT_FALSE(QFileInfo::exists(temp));

    try {
        db::compactInPlace(folder.file("missing.dat"), kPassword);
        ADD_FAILURE() << "no error";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.text(), "找不到文件“" + folder.file("missing.dat") + "”。");
    }
    EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST_F(CompactionRoutineTest, ATemporaryFileLeftOverIsReplacedAndAFolderInItsWayStopsTheRoutine)
{
    platform::writeFileAtomically(temp, "left over");
    db::compactInPlace(copy, kPassword);
    EXPECT_FALSE(QFileInfo::exists(temp));

    const QByteArray compacted = platform::readWholeFile(copy);
    ASSERT_TRUE(QDir(folder.path()).mkdir("tmpDB.mdb"));
    EXPECT_THROW(db::compactInPlace(copy, kPassword), platform::Error);
    EXPECT_EQ(platform::readWholeFile(copy), compacted);
    EXPECT_TRUE(QFileInfo(temp).isDir());
}

TEST_F(CompactionRoutineTest, TheCopyIsTakenOnlyOfAClosedFileAndPutBackOnlyOverTheFileItWasTakenOf)
{
    // Closed everywhere: copied, stale logs of an earlier copy removed.
    platform::writeFileAtomically(copy + "-wal", "stale log");
    const db::FileStamp stamp = db::copyClosedDatabase(path, copy);
    EXPECT_TRUE(stamp.exists);
    EXPECT_EQ(platform::readWholeFile(copy), platform::readWholeFile(path));
    EXPECT_FALSE(QFileInfo::exists(copy + "-wal"));

    // Open in another connection: its log may hold what the file lacks.
    connection.open();
    EXPECT_TRUE(db::hasWriteAheadLog(path));
    platform::deleteFile(copy);
    EXPECT_THROW(db::copyClosedDatabase(path, copy), db::DbError);
    EXPECT_FALSE(QFileInfo::exists(copy));
    platform::copyFile(path, copy);
    db::compactInPlace(copy, kPassword);
    EXPECT_THROW(db::restoreCompacted(copy, path, stamp), db::DbError);
    connection.execute("insert into L1 (L1_NM) values ('新')");
    connection.close();

    // Changed since the copy: not put back.
    const QByteArray changed = platform::readWholeFile(path);
    EXPECT_NE(db::stampOf(path), stamp);
    EXPECT_THROW(db::restoreCompacted(copy, path, stamp), db::DbError);
    EXPECT_EQ(platform::readWholeFile(path), changed);

    // Unchanged: put back, byte for byte the compacted copy.
    const db::FileStamp now = db::copyClosedDatabase(path, copy);
    db::compactInPlace(copy, kPassword);
    db::restoreCompacted(copy, path, now);
    EXPECT_EQ(platform::readWholeFile(path), platform::readWholeFile(copy));
    EXPECT_TRUE(rows(path).contains("新"));

    // Nothing to copy: nothing is created.
    platform::deleteFile(copy);
    EXPECT_THROW(db::copyClosedDatabase(folder.file("none.dat"), copy), db::DbError);
    EXPECT_FALSE(QFileInfo::exists(copy));
}

TEST_F(CatalogueTest, ATransactionCommitsAllWritesOrUndoesThemAll)
{
    addLine("T", "甲", 1);
    {
        db::Transaction t(connection);
        connection.execute("update DIY set DIY_CASH = 5");
        connection.execute("insert into L1 (L1_NM) values ('x')");
    } // not committed
    auto d = query("d", "select sum(DIY_CASH) as s, (select count(*) from L1) as n from DIY");
    EXPECT_EQ(d->asFloat("s"), 1);
    EXPECT_EQ(d->asInteger("n"), 0);

    {
        db::Transaction t(connection);
        connection.execute("update DIY set DIY_CASH = 5");
        t.commit();
        t.rollback(); // nothing left to undo
    }
    d = query("d", "select sum(DIY_CASH) as s from DIY");
    EXPECT_EQ(d->asFloat("s"), 5);

    // A dataset's posts inside the transaction go with it.
    auto lines = query("ADOQueryDIY", "select * from DIY");
    {
        db::Transaction t(connection);
        lines->edit();
        lines->setValue("DIY_CASH", 9);
        lines->post();
    }
    d = query("d", "select sum(DIY_CASH) as s from DIY");
    EXPECT_EQ(d->asFloat("s"), 5);
}
