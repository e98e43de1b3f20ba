// The command-line tools over a catalogue on a PostgreSQL server, run as the owner runs them
// when setting up the shop's server: a file migrated into it, the commands of the file on
// it, its backups restored into an empty database, a quotation prepared from it.
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/server_backup.h"
#include "support/server_database.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code;
    QString out;
    QString err;
};

ToolRun runProgram(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QMX_BINARY_DIR "/bin/") + program, args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

class ServerToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createCatalogue(file(), false);
        db::Connection c;
        c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        c.open();
        for (const char* sql : {"insert into L1 (L1_NM) values ('电脑')", "insert into L2 (L1_ID, L2_NM) values (1, '配件')",
                                "insert into L3 (L2_ID, L3_NM) values (1, '显卡')",
                                "insert into L4 (L3_ID, L4_NM) values (1, 'NVIDIA')",
                                "insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (1, 'RTX 4070 SUPER', '12GB', 4599)",
                                "insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (1, 'Tom''s 显卡 \\ 4060', '8GB', 2399)",
                                "insert into DIY (DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
                                "values ('2026-12-10-1', '游戏主机', 1, 1, 'RTX 4070 SUPER', 1, 4599, 4599, '显卡')",
                                "insert into QUOTE (DIY_ID, DIY_NM, CUST_NM) values ('2026-12-10-1', '游戏主机', '王先生')"})
            c.execute(QString::fromUtf8(sql));
        QDir().mkpath(folder.file("PICS"));
        QFile picture(folder.file("PICS/1.jpg"));
        ASSERT_TRUE(picture.open(QIODevice::WriteOnly));
        picture.write(QByteArray("\xff\xd8 the first picture", 21));
    }

    QString file() const { return folder.file(QLatin1String(db::kDatabaseFileName)); }
    ToolRun catalogue(const QStringList& args) { return runProgram(QStringLiteral("qmxdiy-catalogue"), args); }
    ToolRun onServer(const testing_support::ServerDatabase& on, const QStringList& args)
    {
        return catalogue(QStringList{"--server", on.address(), "--data-dir", folder.path()} + args);
    }
    ToolRun migrate(const testing_support::ServerDatabase& into) { return onServer(into, {"migrate", file()}); }

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    testing_support::TempFolder folder;
    testing_support::ServerDatabase server;
};

} // namespace

TEST_F(ServerToolTest, MigrateCopiesTheFileOnceAndTheFilesCommandsWorkOnTheServer)
{
    const ToolRun migrated = migrate(server);
    ASSERT_EQ(migrated.code, 0) << migrated.err.toStdString();
    EXPECT_TRUE(migrated.out.endsWith(QStringLiteral("：分类 4，产品 2，报价单 1（明细 1 行），兼容规则 0，店铺信息 0，图片 1\n")))
        << migrated.out.toStdString();
    EXPECT_FALSE(migrated.out.contains(QLatin1String("password")));

    // A second copy is refused, and the first stays as it was.
    const ToolRun again = migrate(server);
    EXPECT_EQ(again.code, 1);
    EXPECT_TRUE(again.err.contains(QStringLiteral("目标数据库不是空的"))) << again.err.toStdString();
    EXPECT_TRUE(again.out.isEmpty());

    // Search, export and the quotation commands answer as they do on the file.
    for (const QStringList& command :
         {QStringList{"search", "tom's"}, QStringList{"search", "4070"}, QStringList{"quotations"},
          QStringList{"check", "2026-12-10-1"}}) {
        const ToolRun onFile = catalogue(QStringList{"--db", file()} + command);
        const ToolRun served = onServer(server, command);
        EXPECT_EQ(served.code, onFile.code) << command.join(u' ').toStdString() << served.err.toStdString();
        EXPECT_EQ(served.out, onFile.out) << command.join(u' ').toStdString();
    }
    EXPECT_EQ(catalogue({"--db", file(), "export", folder.file("file.csv")}).code, 0);
    EXPECT_EQ(onServer(server, {"export", folder.file("server.csv")}).code, 0);
    EXPECT_EQ(readFile(folder.file("server.csv")), readFile(folder.file("file.csv")));

    // An import applied on the server changes the server.
    QFile csv(folder.file("prices.csv"));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write(QStringLiteral("一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址\r\n"
                             "电脑,配件,显卡,NVIDIA,RTX 4070 SUPER,12GB,4399,\r\n")
                  .toUtf8());
    csv.close();
    EXPECT_EQ(onServer(server, {"import", "--apply", folder.file("prices.csv")}).code, 0);
    EXPECT_EQ(onServer(server, {"search", "4070"}).out, QStringLiteral("1\t电脑/配件/显卡/NVIDIA\tRTX 4070 SUPER\t4399\n"));
    EXPECT_EQ(catalogue({"--db", file(), "search", "4070"}).out, QStringLiteral("1\t电脑/配件/显卡/NVIDIA\tRTX 4070 SUPER\t4599\n"));
}

TEST_F(ServerToolTest, AServerBackupRestoresIntoAnEmptyDatabaseOnly)
{
    ASSERT_EQ(migrate(server).code, 0);
    const ToolRun made = onServer(server, {"backup"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_TRUE(made.out.contains(QStringLiteral("\t手动\t分类 4\t产品 2\t清单 1\t图片 1\n"))) << made.out.toStdString();
    const QString name = made.out.section(u'\t', 0, 0);
    EXPECT_EQ(onServer(server, {"backups"}).out, made.out);

    const ToolRun refused = onServer(server, {"restore", name});
    EXPECT_EQ(refused.code, 1);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("目标数据库不是空的"))) << refused.err.toStdString();

    // Another database has backups of its own: the backup is named by its path there.
    testing_support::ServerDatabase empty;
    EXPECT_EQ(onServer(empty, {"backups"}).out, QString());
    const QString path = QDir(db::serverBackupFolder(folder.file("备份"), server.address())).filePath(name + ".qmxbak");
    ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
    const ToolRun restored = onServer(empty, {"restore", path});
    ASSERT_EQ(restored.code, 0) << restored.err.toStdString();
    EXPECT_TRUE(restored.out.startsWith(QStringLiteral("已恢复\t") + name)) << restored.out.toStdString();
    EXPECT_EQ(onServer(empty, {"search", "显卡"}).out, QStringLiteral("2\t电脑/配件/显卡/NVIDIA\tTom's 显卡 \\ 4060\t2399\n"));
    // The server's backup is a file backup too: it restores over a catalogue file.
    testing_support::TempFolder other;
    const ToolRun intoFile = catalogue({"--data-dir", other.path(), "restore", path});
    ASSERT_EQ(intoFile.code, 0) << intoFile.err.toStdString();
    EXPECT_EQ(readFile(other.file("PICS/1.jpg")), QByteArray("\xff\xd8 the first picture", 21));
}

TEST_F(ServerToolTest, BadServerOptionsAreUsageErrors)
{
    EXPECT_EQ(catalogue({"--server", "/tmp/qmxpcdiy.dat", "search", "x"}).code, 2);
    EXPECT_EQ(catalogue({"--db", file(), "migrate", file()}).code, 2);
    EXPECT_EQ(catalogue({"--server", server.address(), "--db", file(), "search", "x"}).code, 2);
    EXPECT_EQ(catalogue({"--server", server.address(), "migrate", folder.file("missing.dat")}).code, 2);
    const ToolRun prepare = runProgram(QStringLiteral("qmxdiy-report"), {"prepare", "--builtin", "--server", "qmxpcdiy.dat",
                                                                         "--quotation", "1", "-o", folder.file("x.pdf")});
    EXPECT_EQ(prepare.code, 2);
}

TEST_F(ServerToolTest, AQuotationPreparedFromTheServerPrintsAsFromTheFile)
{
    ASSERT_EQ(migrate(server).code, 0);
    const QStringList common{"prepare", "--builtin", "--quotation", "2026-12-10-1"};
    const ToolRun fromFile =
        runProgram(QStringLiteral("qmxdiy-report"), common + QStringList{"--db", file(), "-o", folder.file("file.pdf")});
    const ToolRun fromServer = runProgram(QStringLiteral("qmxdiy-report"),
                                          common + QStringList{"--server", server.address(), "-o", folder.file("server.pdf")});
    ASSERT_EQ(fromServer.code, 0) << fromServer.err.toStdString() << fromServer.out.toStdString();
    EXPECT_EQ(fromServer.out, fromFile.out);
    auto text = [&](const QString& pdf) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput());
    };
    const QString printed = text(folder.file("server.pdf"));
    EXPECT_TRUE(printed.contains(QLatin1String("RTX 4070 SUPER"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("王先生"))) << printed.toStdString();
    // The print time is the only thing allowed to differ (the two runs may fall either side
    // of a minute).
    auto withoutTimes = [](QString sheet) {
        static const QRegularExpression time(QStringLiteral("\\d{1,2}:\\d{2}(:\\d{2})?"));
        return sheet.replace(time, QStringLiteral("hh:mm"));
    };
    EXPECT_EQ(withoutTimes(printed), withoutTimes(text(folder.file("file.pdf"))));
}
