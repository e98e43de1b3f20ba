#include "report/frx_resources.h"

#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QStringList>
#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable failure messages for texts.
static void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QString q(const char* utf8) { return QString::fromUtf8(utf8); }

// Puts a table entry back as it was when the test ends.
class RestoreText {
public:
    explicit RestoreText(QString key) : key_(std::move(key)), saved_(frxGet(key_)) {}
    ~RestoreText() { TfrxResources::instance().Add(key_, saved_); }

private:
    QString key_;
    QString saved_;
};

struct Entry {
    QString key;
    QString value;
    int line;
};

// The "key=value" lines of the built-in text, as the program reads it.
std::vector<Entry> builtInEntries(QStringList* problems)
{
    QFile file(QStringLiteral(":/report/frx_resources.txt"));
    if (!file.open(QIODevice::ReadOnly)) {
        problems->append(QStringLiteral("built-in text is not compiled in"));
        return {};
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        problems->append(QStringLiteral("built-in text is not valid UTF-8"));

    std::vector<Entry> entries;
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(u';'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || line.left(eq).trimmed().isEmpty()) {
            problems->append(QStringLiteral("line %1 has no key and \"=\": %2").arg(i + 1).arg(line));
            continue;
        }
        entries.push_back({line.left(eq), line.mid(eq + 1), i + 1});
    }
    return entries;
}

TEST(FrxResources, TextsOfEveryWindowAreThoseOfTheProgram)
{
    const std::vector<std::pair<QString, QString>> expected = {
        // dialog buttons
        {"1", q("确定")},
        {"2", q("取消")},
        // preview window
        {"100", q("预览")},
        {"101", q("打印")},
        {"119", q("显示比例")},
        {"129", "Report outline"},
        {"142", q("页数")},
        {"150", "Full Screen"},
        {"601", "Collapse all"},
        {"clClose", q("关闭(&X)")},
        {"clFirstPass", q("第一次处理过程: 页")},
        {"clNoPrinters", q("在你的系统没有安装打印机")},
        {"clFP3files", q("报表文件")},
        {"clLoading", q("载入文件...")},
        // print dialog and printers
        {"200", q("打印")},
        {"5", q("页:")},
        {"9", q("输入页数/文件范围，并以逗号分隔(例如:1,3,5-12)")},
        {"204", q("自动分页(&T)")},
        {"212", "Name:"},
        {"214", "Print on sheet"},
        {"ppOdd", q("奇数页")},
        {"poReverse", "Reverse (9-1)"},
        {"pmJoin", "Join small pages"},
        {"prDefault", q("预设")},
        {"prCustom", q("自定")},
        {"prVirtual", q("虚拟")},
        // find and page-settings dialogs
        {"300", q("寻找文本")},
        {"301", q("寻找目标:")},
        {"305", q("区分大小写")},
        {"400", q("页面设置")},
        {"410", q("纵向")},
        {"414", q("套用全部页面")},
        {"uCm", "cm"},
        {"uInch", "in"},
        // progress window
        {"prRunningFirst", "第一遍：正在准备第 %d 页"},
        {"prPrinting", "正在打印第 %d 页"},
        // engine messages
        {"mbError", q("错误")},
        {"clErrors", q("发生下列的错误:")},
        {"enUnconnGFooter", q("没有群组表尾er for")},
        {"enBandPos", q("Band的位置错误:")},
        {"clUnknownVar", q("未知的变量或数据库字段:")},
        {"SIdUndeclared", q("标识符未宣告:")},
        {"dbFldNotFound", q("字段不存在:")},
        {"xrCantFindClass", q("不明的类别")},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(TfrxResources::instance().Get(key), value) << key.toStdString();
}

TEST(FrxResources, MessageTextsCarryTheirPlaceholders)
{
    EXPECT_EQ(QString::asprintf(frxGet("clPageOf").toUtf8().constData(), 2, 3), q("页 2 / 3"));
    EXPECT_EQ(QString::asprintf(frxGet("prRunning").toUtf8().constData(), 7), "正在准备第 7 页");
    EXPECT_EQ(QString::asprintf(frxGet("clDSNotExist").toUtf8().constData(), "frxDBDataset1"),
              q("数据库 \"frxDBDataset1\" 不存在"));
    EXPECT_EQ(QString::asprintf(frxGet("dbNotConn").toUtf8().constData(), "frxDBDataset1"),
              q("数据库 frxDBDataset1 未连接至数据库"));
    EXPECT_EQ(QString::asprintf(frxGet("clScrError").toUtf8().constData(), "3:5", "oops"),
              q("Script 错误在 3:5: oops"));
}

TEST(FrxResources, NamedKeysIgnoreLetterCase)
{
    TfrxResources& table = TfrxResources::instance();
    const QString pageOf = table.Get("clPageOf");
    ASSERT_NE(pageOf, "clPageOf");
    EXPECT_EQ(table.Get("CLPAGEOF"), pageOf);
    EXPECT_EQ(table.Get("clpageof"), pageOf);
    EXPECT_EQ(table.Get("ClPaGeOf"), pageOf);
    EXPECT_EQ(table.Get("sidundeclared"), table.Get("SIdUndeclared"));

    table.Add("QmxCaseProbe", "one");
    EXPECT_EQ(table.Get("qmxcaseprobe"), "one");
    table.Add("QMXCASEPROBE", "two");
    EXPECT_EQ(table.Get("QmxCaseProbe"), "two");
}

TEST(FrxResources, MissingKeysReturnThemselves)
{
    TfrxResources& table = TfrxResources::instance();
    EXPECT_EQ(table.Get("noSuchKey"), "noSuchKey");
    EXPECT_EQ(table.Get("NoSuchKEY"), "NoSuchKEY");
    EXPECT_EQ(table.Get(""), "");
    EXPECT_EQ(table.Get(99999), "99999");
    EXPECT_EQ(table.Get(-1), "-1");
    // the password dialog has its own caption and prompt, so it never shows a bare number
    EXPECT_EQ(table.Get(5000), "报表密码");
    EXPECT_EQ(table.Get(5001), "请输入密码:");
}

TEST(FrxResources, LeadingBangIsDropped)
{
    TfrxResources& table = TfrxResources::instance();
    table.Add("qmxBangProbe", "!  two leading blanks");
    EXPECT_EQ(table.Get("qmxBangProbe"), "  two leading blanks");
    table.Add("qmxBangProbe", "!!twice");
    EXPECT_EQ(table.Get("qmxBangProbe"), "!twice");
    table.Add("qmxBangProbe", "not!first");
    EXPECT_EQ(table.Get("qmxBangProbe"), "not!first");
    table.AddStrings("qmxBangLine=!=starts with equals");
    EXPECT_EQ(table.Get("qmxBangLine"), "=starts with equals");
}

TEST(FrxResources, AddReplacesExistingTexts)
{
    TfrxResources& table = TfrxResources::instance();
    table.Add("qmxReplaceProbe", "first");
    table.Add("qmxReplaceProbe", "second");
    EXPECT_EQ(table.Get("qmxReplaceProbe"), "second");

    RestoreText restore("clClose");
    table.Add("CLCLOSE", q("关闭"));
    EXPECT_EQ(table.Get("clClose"), q("关闭"));
    EXPECT_EQ(frxGet("clclose"), q("关闭"));
}

TEST(FrxResources, NumericKeysAreTheirDecimalText)
{
    TfrxResources& table = TfrxResources::instance();
    EXPECT_EQ(table.Get(1), q("确定"));
    EXPECT_EQ(table.Get(101), table.Get("101"));
    EXPECT_EQ(table.Get(414), table.Get("414"));
    table.Add("7001", "seven thousand and one");
    EXPECT_EQ(table.Get(7001), "seven thousand and one");
    EXPECT_EQ(frxGet(7001), "seven thousand and one");
    EXPECT_EQ(frxGet(200), frxGet("200"));
    EXPECT_EQ(&TfrxResources::instance(), &table);
}

TEST(FrxResources, AddStringsReadsKeyValueLines)
{
    TfrxResources& table = TfrxResources::instance();
    table.AddStrings(
        "; a comment=not a key\r\n"
        "\r\n"
        "qmxLineA=plain\r\n"
        "qmxLineB=a=b=c\n"
        "  qmxLineC  =kept as written \n"
        "qmxLineD=\n"
        "no equals sign here\n"
        "=no key\n"
        "qmxLineE=last line without break");
    EXPECT_EQ(table.Get("qmxLineA"), "plain");
    EXPECT_EQ(table.Get("qmxLineB"), "a=b=c");
    EXPECT_EQ(table.Get("qmxLineC"), "kept as written ");
    EXPECT_EQ(table.Get("qmxLineD"), "");
    EXPECT_EQ(table.Get("qmxLineE"), "last line without break");
    EXPECT_EQ(table.Get("; a comment"), "; a comment");
    EXPECT_EQ(table.Get("no equals sign here"), "no equals sign here");
    EXPECT_EQ(table.Get(""), "");
}

TEST(FrxResources, EveryLineOfTheBuiltInTextIsAnEntry)
{
    QStringList problems;
    const std::vector<Entry> entries = builtInEntries(&problems);
    EXPECT_GT(entries.size(), 100u);

    QSet<QString> seen;
    for (const Entry& e : entries) {
        const QString where = QStringLiteral("line %1 (%2)").arg(e.line).arg(e.key);
        if (e.key != e.key.trimmed() || e.value != e.value.trimmed())
            problems.append(where + QStringLiteral(": blanks around key or text"));
        if (e.value.isEmpty())
            problems.append(where + QStringLiteral(": empty text"));
        if (seen.contains(e.key.toLower()))
            problems.append(where + QStringLiteral(": key given twice"));
        seen.insert(e.key.toLower());
        const QString served = e.value.startsWith(u'!') ? e.value.mid(1) : e.value;
        if (frxGet(e.key) != served)
            problems.append(where + QStringLiteral(": table answers ") + frxGet(e.key));
    }
    EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
}

} // namespace
