// A catalogue file copied whole into another catalogue (a server's in the server build of
// these tests, another file otherwise) and back into a file: every row with its key, the
// pictures, awkward texts; a target that holds a catalogue is refused and left alone.
#include "catalogue_dump.h"
#include "db/catalogue_migration.h"
#include "db_fixture.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace {

class CatalogueMigrationTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        source = openNewFile(sourceFolder);
    }

    static std::unique_ptr<db::Connection> openNewFile(const testing_support::TempFolder& in)
    {
        db::createCatalogue(in.file(QLatin1String(db::kDatabaseFileName)), false);
        auto c = std::make_unique<db::Connection>(QStringLiteral("copy"));
        c->setConnectionString(db::ConnectionString::build(in.path() + QLatin1Char('/')));
        c->open();
        return c;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // A catalogue with gaps in every numbering (rows deleted), texts that quoting gets wrong,
    // nulls beside empty texts, blobs, and two pictures beside a file that is not one.
    void fillSource()
    {
        using db::statements::textLiteral;
        db::Connection& s = *source;
        s.execute("insert into L1 (L1_NM) values ('电脑')");
        s.execute("insert into L1 (L1_NM) values ('删掉的')");
        s.execute(QStringLiteral("insert into L1 (L1_NM) values (%1)").arg(textLiteral(awkward)));
        s.execute("delete from L1 where L1_ID = 2");
        s.execute("insert into L2 (L1_ID, L2_NM) values (3, '配件')");
        s.execute("insert into L3 (L2_ID, L3_NM) values (1, '显卡')");
        s.execute("insert into L4 (L3_ID, L4_NM) values (1, 'NVIDIA')");
        s.execute(QStringLiteral("insert into HW (L4_ID, HW_MC, HW_DW, HW_NF, HW_RQ, HW_CS, HW_JG, HW_TP, HW_URL) values "
                                 "(1, %1, NULL, 2026, '2026-12-10 08:30:00', %2, 4599.5, X'00FF10', '')")
                      .arg(textLiteral(awkward), textLiteral(QStringLiteral("12GB GDDR6X\n功耗 220W\t%_"))));
        s.execute("insert into HW (L4_ID, HW_MC, HW_JG) values (1, '删掉的产品', 1)");
        s.execute("insert into HW (L4_ID, HW_MC, HW_JG, HW_TP_URL) values (1, 'RTX 4060', 2399, '.\\PICS\\3.jpg')");
        s.execute("delete from HW where HW_ID = 2");
        s.execute("insert into QUOTE (DIY_ID, DIY_NM, CUST_NM, DIY_RQ) values ('Q-002', '游戏机', '张三', '2026-12-09 10:00:00')");
        s.execute("insert into QUOTE (DIY_ID, DIY_NM, CUST_NM) values ('q-001', '办公机', NULL)");
        s.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) values "
                  "('Q-002', '游戏机', 1, 1, 'RTX', 1, 4599.5, 4599.5, '显卡')");
        s.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, DIY_SL) values ('Q-002', '游戏机', 3, 2)");
        s.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, DIY_SL) values ('q-001', '办公机', 3, 1)");
        s.execute("delete from DIY where DIY_SYS_ID = 2");
        s.execute("insert into SHOP (SHOP_ID, SHOP_NM, SHOP_TEL, SHOP_LOGO) values (1, '青木电脑', '0571-1234', X'89504E47')");
        s.execute("insert into COMPAT_RULES (RULE_PART, RULE_CATEGORIES, RULE_FACT, RULE_PATTERN, RULE_VALUE) values "
                  "('主板', '主板', 'socket', 'LGA\\d+', '')");
        writeFile(sourceFolder.file("PICS/1.jpg"), QByteArray("\xff\xd8 picture one \x00\x01", 18));
        writeFile(sourceFolder.file("PICS/3.jpg"), QByteArray("\xff\xd8 picture three"));
        writeFile(sourceFolder.file("PICS/说明.txt"), "not a picture");
    }

    qint64 single(db::Connection& c, const char* sql)
    {
        db::detail::Statement s(c.handle(), sql);
        return s.step() ? s.integer(0) : -1;
    }

    const QString awkward = QStringLiteral("O'Brien \\ 反斜杠 \\' ''引号'' ?");
    testing_support::TempFolder sourceFolder;
    std::unique_ptr<db::Connection> source;
};

} // namespace

TEST_F(CatalogueMigrationTest, EveryRowKeepsItsKeyAndTheCopyComesBackToAFileUnchanged)
{
    fillSource();
    QStringList parts;
    const db::MigrationCounts counts =
        db::migrateCatalogue(*source, connection, [&](const QString& part, qint64, qint64) { parts << part; });
    const db::MigrationCounts expected{.categories = 5, .items = 2, .quotations = 2, .quotationLines = 2,
                                       .rules = 1, .shopDetails = 1, .pictures = 2};
    EXPECT_EQ(counts, expected) << db::migrationSummary(counts).toStdString();
    EXPECT_TRUE(parts.contains(QStringLiteral("产品")) && parts.contains(QStringLiteral("图片")));

    // The target holds the same rows under the same keys.
    EXPECT_EQ(dumpCatalogue(connection), dumpCatalogue(*source));
    {
        db::detail::Statement s(connection.handle(), "SELECT HW_MC, HW_CS, HW_DW, HW_URL FROM HW WHERE HW_ID = 1");
        ASSERT_TRUE(s.step());
        EXPECT_EQ(s.text(0), awkward);
        EXPECT_EQ(s.text(1), QStringLiteral("12GB GDDR6X\n功耗 220W\t%_"));
        EXPECT_TRUE(s.text(2).isNull());
        EXPECT_TRUE(!s.text(3).isNull() && s.text(3).isEmpty());
    }
    // Pictures by item, the file that is not one left behind.
    const QMap<qint64, QByteArray> pictures = cataloguePictures(connection);
    EXPECT_EQ(pictures.keys(), (QList<qint64>{1, 3}));
    EXPECT_EQ(pictures, cataloguePictures(*source));
    // Numbering goes on after the largest key copied.
    connection.execute("insert into L1 (L1_NM) values ('新')");
    connection.execute("insert into HW (L4_ID, HW_MC) values (1, '新产品')");
    connection.execute("insert into DIY (DIY_ID, HW_ID) values ('q-001', 4)");
    EXPECT_EQ(single(connection, "SELECT max(L1_ID) FROM L1"), 4);
    EXPECT_EQ(single(connection, "SELECT max(HW_ID) FROM HW"), 4);
    EXPECT_EQ(single(connection, "SELECT max(DIY_SYS_ID) FROM DIY"), 4);
    connection.execute("delete from L1 where L1_ID = 4");
    connection.execute("delete from HW where HW_ID = 4");
    connection.execute("delete from DIY where DIY_SYS_ID = 4");

    // And back into a file: equal in every table and picture to where it started.
    testing_support::TempFolder backFolder;
    auto back = openNewFile(backFolder);
    EXPECT_EQ(db::migrateCatalogue(connection, *back), expected);
    EXPECT_EQ(dumpCatalogue(*back), dumpCatalogue(*source));
    EXPECT_EQ(cataloguePictures(*back), cataloguePictures(*source));
}

TEST_F(CatalogueMigrationTest, ANumberDeletedBeforeTheCopyIsNeverHandedOutAgain)
{
    // The newest item is deleted before the copy; old quotation lines may still name it.
    source->execute("insert into HW (L4_ID, HW_MC) values (1, '留下的')");
    source->execute("insert into HW (L4_ID, HW_MC) values (1, '删掉的最新产品')");
    source->execute("delete from HW where HW_ID = 2");
    db::migrateCatalogue(*source, connection);
    connection.execute("insert into HW (L4_ID, HW_MC) values (1, '复制后的新产品')");
    auto made = query(QStringLiteral("q"), QStringLiteral("select HW_ID from HW where HW_MC = '复制后的新产品'"));
    EXPECT_EQ(made->asInteger(QStringLiteral("HW_ID")), 3);
}

TEST_F(CatalogueMigrationTest, ATargetHoldingACatalogueIsRefusedAndLeftAsItWas)
{
    fillSource();
    db::migrateCatalogue(*source, connection);
    const QStringList before = dumpCatalogue(connection);
    source->execute("insert into HW (L4_ID, HW_MC) values (1, '第二次')");
    try {
        db::migrateCatalogue(*source, connection);
        ADD_FAILURE() << "a second copy into the same catalogue was not refused";
    } catch (const db::TargetNotEmpty& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("目标数据库不是空的"))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(QStringLiteral("5 个分类、2 个产品、2 张报价单、2 行报价明细"))) << e.text().toStdString();
    }
    EXPECT_EQ(dumpCatalogue(connection), before);
    EXPECT_EQ(cataloguePictures(connection).size(), 2);

    // A quotation without lines is a catalogue in use too.
    testing_support::TempFolder otherFolder;
    auto other = openNewFile(otherFolder);
    other->execute("insert into QUOTE (DIY_ID, DIY_NM) values ('Q-9', '空的报价单')");
    EXPECT_THROW(db::migrateCatalogue(*source, *other), db::TargetNotEmpty);
    EXPECT_EQ(single(*other, "SELECT count(*) FROM HW"), 0);
}

TEST_F(CatalogueMigrationTest, ShopDetailsAndRulesAlreadyThereAreReplacedByTheCopied)
{
    fillSource();
    connection.execute("insert into SHOP (SHOP_ID, SHOP_NM) values (1, '旧店名')");
    connection.execute("insert into COMPAT_RULES (RULE_PART) values ('旧规则')");
    db::migrateCatalogue(*source, connection);
    EXPECT_EQ(dumpCatalogue(connection), dumpCatalogue(*source));
}

#ifdef QMX_TEST_ON_SERVER

TEST_F(CatalogueMigrationTest, ARowTheServerRefusesUndoesTheWholeCopy)
{
    fillSource();
    // The file keeps a word in a number column; the server does not.
    source->execute("insert into HW (L4_ID, HW_MC, HW_NF) values (1, '坏年份', 'abc')");
    EXPECT_THROW(db::migrateCatalogue(*source, connection), db::DbError);
    EXPECT_TRUE(dumpCatalogue(connection).isEmpty());
    EXPECT_TRUE(cataloguePictures(connection).isEmpty());
    // Its row triggers are on again: a write is announced to the other workstations.
    auto other = openAnother();
    const qint64 seen = other->dataVersion();
    connection.execute("insert into L1 (L1_NM) values ('之后')");
    QElapsedTimer waited;
    waited.start();
    while (other->dataVersion() == seen && waited.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_NE(other->dataVersion(), seen);
}

TEST_F(CatalogueMigrationTest, OtherWorkstationsHearOfTheCopy)
{
    fillSource();
    auto other = openAnother();
    const qint64 seen = other->dataVersion();
    db::migrateCatalogue(*source, connection);
    QElapsedTimer waited;
    waited.start();
    while (other->dataVersion() == seen && waited.elapsed() < 5000)
        QThread::msleep(10);
    EXPECT_NE(other->dataVersion(), seen);
    // Later writes are announced and recorded with their writer as before.
    connection.execute("update HW set HW_JG = 1 where HW_ID = 3");
    EXPECT_FALSE(connection.handle()->lastWriter(QStringLiteral("HW"), 3).isEmpty());
}

#else

TEST_F(CatalogueMigrationTest, PicturesThatCannotBeWrittenUndoTheWholeCopy)
{
    fillSource();
    // Where the pictures folder should be there is a file.
    writeFile(folder.file("PICS"), "in the way");
    EXPECT_THROW(db::migrateCatalogue(*source, connection), db::DbError);
    EXPECT_TRUE(dumpCatalogue(connection).isEmpty());
}

#endif
