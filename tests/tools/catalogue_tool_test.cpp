// qmxdiy-catalogue run as the operator runs it: export, import preview and --apply, search,
// and its exit status for refused rows, nothing found, bad usage and unreadable files.
#include "db/catalogue_file.h"
#include "db/connection.h"
#include "db/statements.h"
#include "support/test_paths.h"
#include <QFile>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code;
    QString out;
    QString err;
};

class CatalogueToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db::createCatalogue(file(db::kDatabaseFileName), false);
        db::Connection c;
        c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        c.open();
        c.execute("insert into L1 (L1_NM) values ('电脑')");
        c.execute("insert into L2 (L1_ID, L2_NM) values (1, '配件')");
        c.execute("insert into L3 (L2_ID, L3_NM) values (1, '显卡')");
        c.execute("insert into L4 (L3_ID, L4_NM) values (1, 'NVIDIA')");
        c.execute("insert into L3 (L2_ID, L3_NM) values (1, '内存')");
        c.execute("insert into L4 (L3_ID, L4_NM) values (2, 'DDR5')");
        c.execute("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (1, 'RTX 4070 SUPER', '12GB', 4599)");
        c.execute("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (2, 'Tom''s 内存 32GB', 'DDR5 6000', 899)");
    }

    QString file(const QString& name) const { return folder.file(name); }

    ToolRun run(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(QMX_BINARY_DIR "/bin/qmxdiy-catalogue"), args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }
    QStringList withData(const QStringList& args) { return QStringList{"--data-dir", folder.path()} + args; }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    testing_support::TempFolder folder;
};

} // namespace

TEST_F(CatalogueToolTest, SearchPrintsOneHitALineAndExitsOneWhenNothingIsFound)
{
    const ToolRun hits = run(withData({"search", "ＲＴＸ", "4070"}));
    EXPECT_EQ(hits.code, 0) << hits.err.toStdString();
    EXPECT_EQ(hits.out, "1\t电脑/配件/显卡/NVIDIA\tRTX 4070 SUPER\t4599\n");
    const ToolRun byFile = run({"--db", file(db::kDatabaseFileName), "search", "tom's"});
    EXPECT_EQ(byFile.out, "2\t电脑/配件/内存/DDR5\tTom's 内存 32GB\t899\n");
    const ToolRun none = run(withData({"search", "没有"}));
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
}

TEST_F(CatalogueToolTest, ExportThenImportPreviewAndApply)
{
    const ToolRun exported = run(withData({"export", "--category", "电脑/配件/显卡", file("cards.csv")}));
    EXPECT_EQ(exported.code, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, QStringLiteral("exported 1 items to %1\n").arg(file("cards.csv")));
    QFile cards(file("cards.csv"));
    ASSERT_TRUE(cards.open(QIODevice::ReadOnly));
    EXPECT_EQ(cards.readAll(), QStringLiteral("\uFEFF一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址\r\n"
                                              "电脑,配件,显卡,NVIDIA,RTX 4070 SUPER,12GB,4599,\r\n").toUtf8());

    write("in.csv", QStringLiteral("一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址\r\n"
                                   "电脑,配件,显卡,NVIDIA,RTX 4070 SUPER,,4399,\r\n"
                                   "电脑,配件,显卡,NVIDIA,坏行,,很贵,\r\n").toUtf8());
    const ToolRun preview = run(withData({"import", file("in.csv")}));
    EXPECT_EQ(preview.code, 1); // a row was refused
    EXPECT_TRUE(preview.out.contains(QStringLiteral("价格变动 1 项，新产品 0 项，新分类 0 个，未变 0 项，拒绝 1 行\n")))
        << preview.out.toStdString();
    EXPECT_TRUE(preview.out.contains(QStringLiteral("第2行 价格 电脑/配件/显卡/NVIDIA/RTX 4070 SUPER: 4599 → 4399\n")));
    EXPECT_TRUE(preview.out.contains(QStringLiteral("第3行 拒绝: 价格不是数字：“很贵”\n")));
    EXPECT_EQ(run(withData({"search", "4070"})).out, "1\t电脑/配件/显卡/NVIDIA\tRTX 4070 SUPER\t4599\n");

    const ToolRun applied = run(withData({"import", "--apply", file("in.csv")}));
    EXPECT_EQ(applied.code, 1);
    EXPECT_TRUE(applied.out.endsWith(QStringLiteral("已导入\n")));
    EXPECT_EQ(run(withData({"search", "4070"})).out, "1\t电脑/配件/显卡/NVIDIA\tRTX 4070 SUPER\t4399\n");
    const ToolRun again = run(withData({"import", "--apply", file("cards.csv")}));
    EXPECT_EQ(again.code, 0);
    EXPECT_TRUE(again.out.contains(QStringLiteral("价格变动 1 项")));
}

TEST_F(CatalogueToolTest, BadUsageAndUnreadableFilesExitTwo)
{
    EXPECT_EQ(run({}).code, 2);
    EXPECT_EQ(run(withData({"frobnicate"})).code, 2);
    EXPECT_EQ(run(withData({"export"})).code, 2);
    EXPECT_EQ(run({"--db"}).code, 2);
    const ToolRun missing = run(withData({"import", file("missing.csv")}));
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("无法读取文件"))) << missing.err.toStdString();
    const ToolRun noDb = run({"--db", file("none.dat"), "search", "x"});
    EXPECT_EQ(noDb.code, 2);
    EXPECT_TRUE(noDb.err.contains("找不到文件")) << noDb.err.toStdString();
    write("notes.csv", "a,b\n1,2\n");
    EXPECT_EQ(run(withData({"import", file("notes.csv")})).code, 2);
    EXPECT_EQ(run(withData({"export", "--category", "没有", file("x.csv")})).code, 1);
    EXPECT_EQ(run({"--help"}).code, 0);
}

TEST_F(CatalogueToolTest, ShopSetsTheDetailsAndPrintsThemOnePerLine)
{
    const QString empty = QStringLiteral("名称: \n地址: \n电话: \n备注: \n标志: 无\n");
    EXPECT_EQ(run(withData({"shop"})).out, empty);
    QImage logo(40, 20, QImage::Format_RGB32);
    logo.fill(Qt::red);
    ASSERT_TRUE(logo.save(file("logo.png")));
    const ToolRun set = run(withData({"shop", "--name", "小明电脑城", "--phone", "010-1234", "--note", "七天有效\n保修一年",
                                      "--logo", file("logo.png")}));
    ASSERT_EQ(set.code, 0) << set.err.toStdString();
    EXPECT_TRUE(set.out.startsWith(QStringLiteral("名称: 小明电脑城\n地址: \n电话: 010-1234\n备注: 七天有效 保修一年\n标志: 有 (")))
        << set.out.toStdString();
    // Options not given keep their values; --no-logo takes the picture away.
    const ToolRun later = run(withData({"shop", "--address", "中关村大街1号", "--no-logo"}));
    EXPECT_EQ(later.out, QStringLiteral("名称: 小明电脑城\n地址: 中关村大街1号\n电话: 010-1234\n备注: 七天有效 保修一年\n标志: 无\n"));

    // A file that is no picture changes nothing.
    write("notes.txt", "just text");
    const ToolRun refused = run(withData({"shop", "--name", "别的店", "--logo", file("notes.txt")}));
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("不是可以读取的图片"))) << refused.err.toStdString();
    EXPECT_TRUE(run(withData({"shop"})).out.startsWith(QStringLiteral("名称: 小明电脑城\n")));
    EXPECT_EQ(run(withData({"shop", "--logo"})).code, 2);
    EXPECT_EQ(run(withData({"shop", "--colour", "red"})).code, 2);
}

TEST_F(CatalogueToolTest, QuotationSetsTheCustomerAndQuotationsListsAndSearches)
{
    {
        db::Connection c;
        c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
        c.open();
        c.execute("insert into DIY (DIY_ID, DIY_NM, DIY_SL, DIY_JG, DIY_CASH) values ('A-1', '游戏主机', 2, 1000.25, 2000.5)");
        c.execute("insert into DIY (DIY_ID, DIY_NM, DIY_SL, DIY_JG, DIY_CASH) values ('A-1', '游戏主机', 1, 99, 99)");
        c.execute("insert into DIY (DIY_ID, DIY_NM, DIY_SL, DIY_JG, DIY_CASH) values ('B-2', '办公', 1, 3000, 3000)");
    }
    const ToolRun set = run(withData({"quotation", "A-1", "--customer", "张三", "--phone", "13800138000"}));
    ASSERT_EQ(set.code, 0) << set.err.toStdString();
    EXPECT_EQ(set.out, QStringLiteral("编号: A-1\n名称: 游戏主机\n客户: 张三\n电话: 13800138000\n备注: \n日期: \n行数: 2\n金额: 2099.5\n"));
    EXPECT_EQ(run(withData({"quotation", "A-1", "--note", "周六\t取机"})).out.section(u'\n', 4, 4), QStringLiteral("备注: 周六 取机"));
    const ToolRun missing = run(withData({"quotation", "C-3", "--customer", "x"}));
    EXPECT_EQ(missing.code, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("没有单据编号为“C-3”的装机单"))) << missing.err.toStdString();

    const ToolRun all = run(withData({"quotations"}));
    ASSERT_EQ(all.code, 0);
    QStringList lines = all.out.split(u'\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("A-1\t游戏主机\t张三\t13800138000\t\t2\t2099.5"),
                                  QStringLiteral("B-2\t办公\t\t\t\t1\t3000")}));
    EXPECT_EQ(run(withData({"quotations", "--search", "１３８"})).out,
              QStringLiteral("A-1\t游戏主机\t张三\t13800138000\t\t2\t2099.5\n"));
    const ToolRun none = run(withData({"quotations", "--search", "nobody"}));
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.isEmpty());
}

TEST_F(CatalogueToolTest, CheckPrintsTheEstimateThenOneWarningALine)
{
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
    c.open();
    c.execute("insert into L3 (L2_ID, L3_NM) values (1, '处理器')");
    c.execute("insert into L4 (L3_ID, L4_NM) values (3, 'AMD')");
    c.execute("insert into L3 (L2_ID, L3_NM) values (1, '主板')");
    c.execute("insert into L4 (L3_ID, L4_NM) values (4, 'B760')");
    c.execute("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (3, '锐龙7 7700', '默认TDP 65W；接口AM5', 1299)");
    c.execute("insert into HW (L4_ID, HW_MC, HW_CS, HW_JG) values (4, 'B760M D4', 'LGA1700接口；DDR4内存插槽', 799)");
    // Lines of 'Q1': the CPU, the board, two DDR5 sticks, and a card whose item was deleted
    // since (its line keeps its own description and category).
    c.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values ('Q1', '测试', 3, 'x', 1, '配件')");
    c.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values ('Q1', '测试', 4, 'x', 1, '配件')");
    c.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values ('Q1', '测试', 2, 'x', 2, '配件')");
    c.execute("insert into DIY (DIY_ID, DIY_NM, HW_ID, HW_MS, DIY_SL, L2_NM) values "
              "('Q1', '测试', 99, 'RTX 5070 整卡功耗约250W', 1, '显卡')");

    const ToolRun check = run(withData({"check", "Q1"}));
    EXPECT_EQ(check.code, 0) << check.err.toStdString();
    // 65 + 50 (the board) + 2 × 5 + 250 = 375 W.
    EXPECT_EQ(check.out, QStringLiteral("预计功耗: 375W\n"
                                        "CPU 插槽 AM5 与主板 LGA1700 不一致\n"
                                        "内存 DDR5 与主板 DDR4 不一致\n"));

    const ToolRun missing = run(withData({"check", "Q9"}));
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Q9")));
    EXPECT_EQ(run(withData({"check"})).code, 2);
}
