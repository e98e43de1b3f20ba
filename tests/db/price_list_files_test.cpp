// Price-list files as spreadsheet programs save them: UTF-8 with and without a byte-order
// mark, GBK, CR LF, quoted fields with separators and line breaks, the three separators, and
// hostile files that must be refused clearly.
#include "platform/csv_text.h"
#include "db/db_error.h"
#include "db/price_list.h"
#include "support/test_paths.h"
#include <QFile>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(text);
}

QString writeFile(const testing_support::TempFolder& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = folder.file(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

const QString kHeader = QStringLiteral("一级分类,二级分类,三级分类,四级分类,名称,详细参数,价格,网址");

QString reasonOf(const db::PriceListFile& file, int line)
{
    for (const auto& r : file.refused)
        if (r.line == line)
            return r.reason;
    return QStringLiteral("(not refused)");
}

} // namespace

TEST(PriceListFiles, Utf8WithByteOrderMarkCrLfAndQuotedFieldsAsASpreadsheetSavesThem)
{
    testing_support::TempFolder folder;
    const QString text = kHeader + QStringLiteral("\r\n")
        + QStringLiteral("电脑,配件,显卡,NVIDIA,\"RTX 4070, 12GB\",\"第一行\r\n第二行 \"\"加强版\"\"\",4599,https://a.cn/x?a=1\r\n")
        + QStringLiteral("电脑,配件,显卡,NVIDIA,Tom's 显卡,,\"1,299.50\",\r\n");
    const auto file = db::readPriceListFile(writeFile(folder, "bom.csv", QByteArray("\xEF\xBB\xBF") + text.toUtf8()));
    EXPECT_EQ(file.encoding, "UTF-8 (BOM)");
    EXPECT_EQ(file.delimiter, QLatin1Char(','));
    ASSERT_EQ(file.rows.size(), 2);
    EXPECT_TRUE(file.refused.isEmpty());
    const auto& card = file.rows[0];
    EXPECT_EQ(card.line, 2);
    EXPECT_EQ(card.path, QStringList({"电脑", "配件", "显卡", "NVIDIA"}));
    EXPECT_EQ(card.name, "RTX 4070, 12GB");
    EXPECT_EQ(card.parameters, "第一行\n第二行 \"加强版\"");
    EXPECT_EQ(card.price, 4599);
    EXPECT_EQ(card.webAddress, "https://a.cn/x?a=1");
    // The quoted line break counts: the next record starts on line 4.
    EXPECT_EQ(file.rows[1].line, 4);
    EXPECT_EQ(file.rows[1].name, "Tom's 显卡");
    EXPECT_EQ(file.rows[1].price, 1299.5);
}

TEST(PriceListFiles, Utf8WithoutMarkGbkSemicolonsTabsAndFieldNameHeaders)
{
    testing_support::TempFolder folder;
    const QString row = QStringLiteral("电脑;配件;内存;DDR5;金士顿 32GB;6000MHz;899,5;\n");
    const auto semicolons = db::readPriceListFile(writeFile(
        folder, "semi.csv", (QStringLiteral("L1_NM;L2_NM;L3_NM;L4_NM;HW_MC;HW_CS;HW_JG;HW_URL\n") + row).toUtf8()));
    EXPECT_EQ(semicolons.encoding, "UTF-8");
    EXPECT_EQ(semicolons.delimiter, QLatin1Char(';'));
    ASSERT_EQ(semicolons.rows.size(), 1);
    EXPECT_EQ(semicolons.rows[0].name, "金士顿 32GB");
    EXPECT_EQ(semicolons.rows[0].price, 899.5); // decimal comma of a semicolon list

    QString tabbed = kHeader + QStringLiteral("\r\n电脑,配件,内存,DDR5,芝奇 16GB,\"CL30\",499,\r\n");
    tabbed.replace(QLatin1Char(','), QLatin1Char('\t'));
    const auto fromGbk = db::readPriceListFile(writeFile(folder, "gbk.txt", gbk(tabbed)));
    EXPECT_EQ(fromGbk.encoding, "GBK");
    EXPECT_EQ(fromGbk.delimiter, QLatin1Char('\t'));
    ASSERT_EQ(fromGbk.rows.size(), 1);
    EXPECT_EQ(fromGbk.rows[0].path, QStringList({"电脑", "配件", "内存", "DDR5"}));
    EXPECT_EQ(fromGbk.rows[0].name, "芝奇 16GB");
    EXPECT_EQ(fromGbk.rows[0].parameters, "CL30");

    // One path column, columns in another order, unknown columns ignored, full-width digits.
    const auto pathColumn = db::readPriceList(
        QStringLiteral("备注,价格,名称,分类\nx,￥１２３,风扇,散热 / 风冷 / 12cm / 静音\n").toUtf8());
    ASSERT_EQ(pathColumn.rows.size(), 1);
    EXPECT_EQ(pathColumn.rows[0].path, QStringList({"散热", "风冷", "12cm", "静音"}));
    EXPECT_EQ(pathColumn.rows[0].price, 123);
}

TEST(PriceListFiles, RowsThatCannotBeUsedAreRefusedWithTheirLineAndReason)
{
    const QString text = kHeader + QStringLiteral("\n")
        + QStringLiteral("电脑,配件,内存,DDR5,好的,,100,\n")              // 2
        + QStringLiteral("电脑,配件,内存,DDR5,坏价格,,一百元,\n")          // 3
        + QStringLiteral("电脑,配件,内存,DDR5,,参数,100,\n")               // 4
        + QStringLiteral("电脑,配件,内存,,三级,,100,\n")                   // 5
        + QStringLiteral("电脑,配件,内存,DDR5,\"控\x01制\",,100,\n")        // 6
        + QStringLiteral("电脑,配件,内存,DDR5,负价,,-5,\n")                // 7
        + QStringLiteral(",,,,,,,\n")                                      // 8: empty, skipped
        + QStringLiteral("电脑,配件,内存,DDR5,无价,,,\n");                 // 9: no price given
    const auto file = db::readPriceList(text.toUtf8());
    ASSERT_EQ(file.rows.size(), 2);
    EXPECT_EQ(file.rows[0].name, "好的");
    EXPECT_EQ(file.rows[1].name, "无价");
    EXPECT_FALSE(file.rows[1].price.has_value());
    ASSERT_EQ(file.refused.size(), 5);
    EXPECT_EQ(reasonOf(file, 3), "价格不是数字：“一百元”");
    EXPECT_EQ(reasonOf(file, 4), "缺少名称");
    EXPECT_EQ(reasonOf(file, 5), "分类不足四级（产品只能放在第四级分类下）");
    EXPECT_EQ(reasonOf(file, 6), "名称含有控制字符");
    EXPECT_EQ(reasonOf(file, 7), "价格不是数字：“-5”");

    const auto deeper = db::readPriceList(
        QStringLiteral("分类,名称,价格\n\"a/b/c/d/e\",x,1\na/b/c/d,y,2\n").toUtf8());
    ASSERT_EQ(deeper.rows.size(), 1);
    EXPECT_EQ(reasonOf(deeper, 2), "分类超过四级");
    const auto fifthColumn = db::readPriceList(
        QStringLiteral("一级分类,二级分类,三级分类,四级分类,五级分类,名称\na,b,c,d,e,x\na,b,c,d,,y\n").toUtf8());
    ASSERT_EQ(fifthColumn.rows.size(), 1);
    EXPECT_EQ(reasonOf(fifthColumn, 2), "分类超过四级");
}

TEST(PriceListFiles, HostileFilesGetClearRefusalsNeverACrashOrHang)
{
    // A line of 10,000 fields is refused by itself; the rows around it are read.
    QByteArray wide = (kHeader + QStringLiteral("\na,b,c,d,前,,1,\n")).toUtf8();
    for (int k = 0; k < 10000; ++k)
        wide += "x,";
    wide += "\na,b,c,d,后,,2,\n";
    const auto wideFile = db::readPriceList(wide);
    ASSERT_EQ(wideFile.rows.size(), 2);
    EXPECT_EQ(wideFile.rows[1].name, "后");
    EXPECT_EQ(reasonOf(wideFile, 3), "字段超过64个");

    // An unbalanced quote swallows the rest of the file; that record is refused.
    const auto open = db::readPriceList((kHeader + QStringLiteral("\na,b,c,d,好,,1,\na,b,c,d,\"坏,,1,\na,b,c,d,之后,,1,\n")).toUtf8());
    ASSERT_EQ(open.rows.size(), 1);
    EXPECT_EQ(reasonOf(open, 3), "引号没有结束（从第3行起的内容都在引号内）");

    // Invalid bytes after a UTF-8 mark: the row is refused, not imported with broken text.
    const auto broken = db::readPriceList(QByteArray("\xEF\xBB\xBF") + kHeader.toUtf8() + "\na,b,c,d,\xC3\x28,,1,\n");
    EXPECT_TRUE(broken.rows.isEmpty());
    EXPECT_EQ(reasonOf(broken, 2), "名称含有无法识别的字符（文件编码有误？）");

    // A field longer than the limit, a NUL byte.
    const auto longField = db::readPriceList(kHeader.toUtf8() + "\na,b,c,d," + QByteArray(70000, 'y') + ",,1,\n");
    EXPECT_EQ(reasonOf(longField, 2), "字段超过65536个字符");
    const auto nul = db::readPriceList(kHeader.toUtf8() + QByteArray("\na,b,c,d,n\0ul,,1,\n", 19));
    EXPECT_EQ(reasonOf(nul, 2), "名称含有控制字符");

    // Files that are no price list at all.
    auto failure = [](const QByteArray& bytes) {
        try {
            db::readPriceList(bytes);
        } catch (const db::DbError& e) {
            return e.text();
        }
        return QStringLiteral("(read)");
    };
    EXPECT_EQ(failure(""), "文件是空的，没有价格表的标题行");
    EXPECT_EQ(failure("a,b,c\n1,2,3\n"), "第1行不是价格表的标题行：找不到“名称”列");
    EXPECT_EQ(failure(QStringLiteral("名称,价格\nx,1\n").toUtf8()),
              "标题行缺少分类列：需要“一级分类”到“四级分类”四列，或一个“分类”列");

    // A 200 MB file is refused by its size before it is read.
    testing_support::TempFolder folder;
    const QString huge = folder.file("huge.csv");
    {
        QFile f(huge);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(200LL * 1024 * 1024));
    }
    try {
        db::readPriceListFile(huge);
        ADD_FAILURE() << "a 200 MB file was read";
    } catch (const db::DbError& e) {
        EXPECT_EQ(e.text(), "文件太大（200 MB），价格表最大 64 MB");
    }
    try {
        db::readPriceListFile(folder.file("missing.csv"));
        ADD_FAILURE() << "a missing file was read";
    } catch (const db::DbError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("无法读取文件“"))) << e.text().toStdString();
    }
}

TEST(PriceListFiles, WrittenFieldsReadBackThroughTheReader)
{
    const QStringList fields = {"plain", "with,comma", "with \"quotes\"", "two\nlines", " padded ", "", "Tom's"};
    QString line;
    for (const QString& f : fields)
        line += (line.isEmpty() ? QString() : QStringLiteral(",")) + platform::csv::quoted(f);
    const QString text = line + QStringLiteral("\r\n");
    platform::csv::Reader reader(text, QLatin1Char(','));
    platform::csv::Record record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record.fields, fields);
    EXPECT_FALSE(reader.next(record));
    EXPECT_EQ(db::formatPrice(0.1 + 0.2), "0.30000000000000004");
    EXPECT_EQ(db::parsePrice(db::formatPrice(0.1 + 0.2)), 0.1 + 0.2);
    EXPECT_EQ(db::parsePrice("1,234,567.25"), 1234567.25);
    EXPECT_FALSE(db::parsePrice("12,34").has_value());
    EXPECT_FALSE(db::parsePrice("nan").has_value());
    EXPECT_FALSE(db::parsePrice("1e999").has_value());
}
