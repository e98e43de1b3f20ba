#include "db_fixture.h"
#include "db/db_error.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <thread>

TEST(ConnectionString, BuildsAndParsesTheCatalogueString)
{
    const QString text = db::ConnectionString::build(QStringLiteral("/srv/shop data/"));
    EXPECT_EQ(text, QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/srv/shop data/qmxpcdiy.dat;"
                                   "Persist Security Info=False;Jet OLEDB:Database Password=vtnka19950314"));
    const auto parsed = db::ConnectionString::parse(text);
    EXPECT_EQ(parsed.dataSource, QStringLiteral("/srv/shop data/qmxpcdiy.dat"));
    EXPECT_EQ(parsed.password, QStringLiteral("vtnka19950314"));

    const auto quoted = db::ConnectionString::parse(QStringLiteral("data source=\"/a;b/x.dat\";PASSWORD=p=q"));
    EXPECT_EQ(quoted.dataSource, QStringLiteral("/a;b/x.dat"));
    EXPECT_EQ(quoted.password, QStringLiteral("p=q"));
}

TEST(ConnectionString, JetDeleteSpellingIsAdapted)
{
    EXPECT_EQ(db::Connection::adaptStatement(QStringLiteral("delete * from DIY where DIY_ID='1'")),
              QStringLiteral("delete from DIY where DIY_ID='1'"));
    EXPECT_EQ(db::Connection::adaptStatement(QStringLiteral("select * from DIY")), QStringLiteral("select * from DIY"));
}

TEST_F(CatalogueTest, OpensClosesAndTellsWhetherOpen)
{
    EXPECT_TRUE(connection.connected());
    connection.close();
    EXPECT_FALSE(connection.connected());
    connection.open();
    EXPECT_TRUE(connection.connected());
}

TEST_F(CatalogueTest, FileIsEncryptedAndReadableOnlyWithTheKey)
{
    addChain(QStringLiteral("电脑配件"), QStringLiteral("处理器"), QStringLiteral("英特尔"), QStringLiteral("PlainMarker"));
    connection.close();
    QFile raw(path);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    EXPECT_FALSE(bytes.startsWith("SQLite format 3"));
    EXPECT_FALSE(bytes.contains("PlainMarker"));
    EXPECT_FALSE(bytes.contains("CREATE TABLE"));

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlcipher"));
    if (tool.isEmpty())
        GTEST_SKIP() << "the sqlcipher tool is not installed";
    QProcess noKey;
    noKey.start(tool, {path, QStringLiteral("select L4_NM from L4;")});
    noKey.waitForFinished();
    EXPECT_FALSE(noKey.readAllStandardOutput().contains("PlainMarker"));

    QProcess withKey;
    withKey.start(tool, {path});
    withKey.write("PRAGMA key = 'vtnka19950314';\nselect L4_NM from L4;\n");
    withKey.closeWriteChannel();
    withKey.waitForFinished();
    EXPECT_TRUE(withKey.readAllStandardOutput().contains("PlainMarker"));
}

TEST_F(CatalogueTest, MissingFileWrongPasswordAndGarbageFailToOpen)
{
    db::Connection missing(QStringLiteral("ADOConnection1"));
    missing.setConnectionString(db::ConnectionString::build(folder.path() + QStringLiteral("/nowhere/")));
    EXPECT_THROW(missing.open(), db::DbError);
    EXPECT_FALSE(missing.connected());
    EXPECT_FALSE(QFile::exists(folder.path() + QStringLiteral("/nowhere/qmxpcdiy.dat")));

    db::Connection wrong;
    wrong.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/'), QStringLiteral("guess")));
    try {
        wrong.open();
        FAIL() << "a wrong password opened the file";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("ADOConnection1: 无法打开"))) << e.what();
        EXPECT_TRUE(e.text().contains(QStringLiteral("密码不对"))) << e.what();
    }
    EXPECT_FALSE(wrong.connected());

    const QString junk = folder.file(QStringLiteral("junk.dat"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    db::Connection garbage;
    garbage.setConnectionString(QStringLiteral("Data Source=") + junk + QStringLiteral(";Jet OLEDB:Database Password=vtnka19950314"));
    EXPECT_THROW(garbage.open(), db::DbError);
    // The damaged file is left exactly as it was.
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray(8192, 'x'));
}

TEST_F(CatalogueTest, CreatingRefusesAnExistingFile)
{
    EXPECT_THROW(db::createCatalogue(path, true), db::DbError);
    // The existing catalogue still opens with its tables.
    auto ds = query(QStringLiteral("ADOQueryL1"), db::statements::allL1());
    EXPECT_TRUE(ds->isEmpty());
}

TEST(CatalogueFile, SampleCatalogueIsLoadedWholeIntoAllFourLevels)
{
    testing_support::TempFolder folder;
    const QString path = folder.file(QStringLiteral("qmxpcdiy.dat"));
    db::createCatalogue(path, true);
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
    c.open();
    db::Dataset counts(QStringLiteral("q"), &c);
    db::openStatement(counts, QStringLiteral("select (select count(*) from L1) as N1, (select count(*) from L4) as N4, "
                                             "(select count(*) from HW) as NH, (select count(*) from HW where L4_ID not in "
                                             "(select L4_ID from L4)) as ORPHANS, (select count(*) from HW where HW_RQ is null) as NODATE"));
    EXPECT_GE(counts.asInteger(QStringLiteral("N1")), 2);
    EXPECT_GE(counts.asInteger(QStringLiteral("N4")), 20);
    EXPECT_GE(counts.asInteger(QStringLiteral("NH")), 300);
    EXPECT_EQ(counts.asInteger(QStringLiteral("ORPHANS")), 0);
    EXPECT_EQ(counts.asInteger(QStringLiteral("NODATE")), 0);
}

TEST(CatalogueFile, MalformedCatalogueDataLeavesNoFileBehind)
{
    testing_support::TempFolder folder;
    const QString path = folder.file(QStringLiteral("qmxpcdiy.dat"));
    EXPECT_THROW(db::createCatalogueFromJson(path, QByteArray("{\"categories\": [ {\"name\": ")), db::DbError);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_THROW(db::createCatalogueFromJson(path, QByteArray("{\"categories\": [ {\"children\": []} ]}")), db::DbError);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(CatalogueTest, TwoConnectionsShareTheFileAndWaitForEachOther)
{
    db::Connection second(QStringLiteral("second"));
    second.setConnectionString(connection.connectionString());
    second.open();
    connection.execute(QStringLiteral("insert into L1 (L1_NM) values ('甲')"));

    // The second copy holds a write transaction for a moment; the first one waits for it
    // instead of failing with "database is locked".
    second.execute(QStringLiteral("BEGIN IMMEDIATE"));
    second.execute(QStringLiteral("insert into L1 (L1_NM) values ('乙')"));
    std::thread releaser([&second] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        second.execute(QStringLiteral("COMMIT"));
    });
    auto l1 = query(QStringLiteral("ADOQueryL1_L4"), db::statements::allL1());
    l1->append();
    l1->setValue(QStringLiteral("L1_NM"), QStringLiteral("丙"));
    EXPECT_NO_THROW(l1->post());
    releaser.join();

    auto check = std::make_unique<db::Dataset>(QStringLiteral("check"), &second);
    db::openStatement(*check, db::statements::allL1());
    EXPECT_EQ(check->recordCount(), 3);
}
