// The checks as a shop meets them: facts read from texts written the way makers and shops
// write them, the warnings of a build that does not fit together, the power estimate
// against sums worked out by hand, and rules that are edited or hostile.
#include "compat/build_check.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace compat;

namespace {

const RuleSet& defaults()
{
    static const RuleSet rules(defaultRules());
    return rules;
}

Line cpu(const QString& parameters, const QString& name = QStringLiteral("处理器"))
{
    return {QStringLiteral("电脑配件 > 处理器 > 英特尔"), name, parameters, 1};
}
Line board(const QString& parameters)
{
    return {QStringLiteral("电脑配件 > 主板 > B760主板"), QStringLiteral("主板"), parameters, 1};
}
Line memory(const QString& parameters, int quantity = 1)
{
    return {QStringLiteral("电脑配件 > 内存 > 台式机内存"), QStringLiteral("内存条"), parameters, quantity};
}
Line graphics(const QString& parameters)
{
    return {QStringLiteral("电脑配件 > 显卡 > NVIDIA显卡"), QStringLiteral("显卡"), parameters, 1};
}
Line supply(const QString& parameters)
{
    return {QStringLiteral("电脑配件 > 电源 > ATX电源"), QStringLiteral("电源"), parameters, 1};
}
Line chassis(const QString& parameters)
{
    return {QStringLiteral("电脑配件 > 机箱"), QStringLiteral("机箱"), parameters, 1};
}

// Every item of the sample catalogue with its category path, by name.
QHash<QString, Line> sampleItems()
{
    QFile file(QStringLiteral(QMX_SOURCE_DIR "/resources/sample_catalogue.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QHash<QString, Line> items;
    const std::function<void(const QJsonArray&, const QString&)> walk = [&](const QJsonArray& nodes,
                                                                            const QString& path) {
        for (const QJsonValue& v : nodes) {
            const QJsonObject node = v.toObject();
            const QString here = path.isEmpty() ? node[u"name"].toString() : path + QStringLiteral(" > ") + node[u"name"].toString();
            for (const QJsonValue& i : node[u"items"].toArray()) {
                const QJsonObject item = i.toObject();
                items.insert(item[u"name"].toString(),
                             Line{here, item[u"name"].toString(), item[u"specs"].toString(), 1});
            }
            walk(node[u"children"].toArray(), here);
        }
    };
    walk(QJsonDocument::fromJson(file.readAll())[u"categories"].toArray(), {});
    return items;
}

} // namespace

TEST(BuildFacts, EveryPartOfTheSampleCatalogueIsRead)
{
    const QHash<QString, Line> items = sampleItems();
    ASSERT_GT(items.size(), 100);
    int cpus = 0, boards = 0, sticks = 0, cards = 0, supplies = 0, cases = 0;
    for (const Line& line : items) {
        const Facts f = defaults().factsOf(line);
        const QString what = line.categoryPath + u' ' + line.name;
        if (f.part == kPartCpu) {
            ++cpus;
            EXPECT_FALSE(f.socket.isEmpty()) << what.toStdString();
            EXPECT_TRUE(f.powerDraw) << what.toStdString();
        } else if (f.part == kPartBoard) {
            ++boards;
            EXPECT_FALSE(f.socket.isEmpty()) << what.toStdString();
            EXPECT_FALSE(f.memoryType.isEmpty()) << what.toStdString();
            EXPECT_FALSE(f.formFactor.isEmpty()) << what.toStdString();
        } else if (f.part == kPartMemory) {
            ++sticks;
            EXPECT_FALSE(f.memoryType.isEmpty()) << what.toStdString();
        } else if (f.part == kPartGraphics) {
            ++cards;
            EXPECT_TRUE(f.powerDraw && f.recommendedPsu) << what.toStdString();
        } else if (f.part == kPartPsu) {
            ++supplies;
            EXPECT_TRUE(f.ratedPower) << what.toStdString();
        } else if (f.part == kPartCase) {
            ++cases;
            EXPECT_FALSE(f.formFactor.isEmpty()) << what.toStdString();
        }
    }
    EXPECT_GT(cpus, 10);
    EXPECT_GT(boards, 10);
    EXPECT_GT(sticks, 10);
    EXPECT_GT(cards, 10);
    EXPECT_GT(supplies, 5);
    EXPECT_GT(cases, 5);

    const Facts ultra = defaults().factsOf(items.value(QStringLiteral("Intel 酷睿 Ultra 9 285K 盒装")));
    EXPECT_EQ(ultra.socket, QStringLiteral("LGA1851"));
    EXPECT_EQ(ultra.powerDraw, 125);
    const Facts ryzen = defaults().factsOf(items.value(QStringLiteral("AMD 锐龙9 9950X3D 盒装")));
    EXPECT_EQ(ryzen.socket, QStringLiteral("AM5"));
    EXPECT_EQ(ryzen.powerDraw, 170);
    const Facts h610 = defaults().factsOf(items.value(QStringLiteral("华硕 PRIME H610M-K D4")));
    EXPECT_EQ(h610.socket, QStringLiteral("LGA1700"));
    EXPECT_EQ(h610.memoryType, QStringLiteral("DDR4"));
    EXPECT_EQ(h610.formFactor, QStringLiteral("M-ATX"));
    // A cooler lists the sockets it fits; it is a cooler, not a CPU.
    for (const Line& line : items) {
        if (line.categoryPath.contains(QStringLiteral("散热器")))
            EXPECT_EQ(defaults().factsOf(line).part, QStringLiteral("散热器")) << line.name.toStdString();
    }
}

TEST(BuildFacts, TextsAsShopsAndMakersWriteThem)
{
    struct Case {
        Line line;
        QString socket, memoryType, formFactor;
        std::optional<int> rated, draw, advice;
    };
    const QList<Case> cases{
        {cpu(QStringLiteral("接口：ＬＧＡ１７００；ＴＤＰ：６５Ｗ")), QStringLiteral("LGA1700"), {}, {}, {}, 65, {}},
        {cpu(QStringLiteral("Socket: LGA 1700, Processor Base Power 65 W")), QStringLiteral("LGA1700"), {}, {}, {}, 65, {}},
        {cpu(QStringLiteral("AM5插槽，默认TDP 120W")), QStringLiteral("AM5"), {}, {}, {}, 120, {}},
        {cpu(QStringLiteral("lga-1851 PBP 125W")), QStringLiteral("LGA1851"), {}, {}, {}, 125, {}},
        {cpu(QStringLiteral("接口LGA17000（笔误）")), {}, {}, {}, {}, {}, {}},
        {board(QStringLiteral("Socket AM4, 4x DDR4 DIMM, Form Factor: Micro-ATX")), QStringLiteral("AM4"),
         QStringLiteral("DDR4"), QStringLiteral("M-ATX"), {}, 50, {}},
        {board(QStringLiteral("Mini-ITX 主板，LGA1851，DDR5")), QStringLiteral("LGA1851"), QStringLiteral("DDR5"),
         QStringLiteral("ITX"), {}, 50, {}},
        {board(QStringLiteral("芯片组AMD B650，ATX 24pin供电；E-ATX板型")), QStringLiteral(""), {}, QStringLiteral("E-ATX"), {}, 50, {}},
        {memory(QStringLiteral("ddr5 6000 32GB")), {}, QStringLiteral("DDR5"), {}, {}, 5, {}},
        {graphics(QStringLiteral("TGP 200W, Recommended PSU: 650 W")), {}, {}, {}, {}, 200, 650},
        {graphics(QStringLiteral("功耗约 285 W，推荐电源 750W")), {}, {}, {}, {}, 285, 750},
        {graphics(QStringLiteral("显存8GB")), {}, {}, {}, {}, {}, {}},
        {supply(QStringLiteral("额定功率：650W，峰值750W")), {}, {}, {}, 650, {}, {}},
        {supply(QStringLiteral("Rated Power 550 W")), {}, {}, {}, 550, {}, {}},
        {supply(QStringLiteral("长城 G6 金牌 750W 全模组")), {}, {}, {}, 750, {}, {}},
        {chassis(QStringLiteral("支持Mini-ITX主板；显卡限长336mm")), {}, {}, QStringLiteral("ITX"), {}, {}, {}},
        {chassis(QStringLiteral("Supports ATX / mATX / Mini-ITX motherboards")), {}, {}, QStringLiteral("ATX"), {}, {}, {}},
        {chassis(QStringLiteral("中塔机箱，支持E-ATX、ATX主板")), {}, {}, QStringLiteral("E-ATX"), {}, {}, {}},
    };
    for (const Case& c : cases) {
        const Facts f = defaults().factsOf(c.line);
        SCOPED_TRACE(c.line.parameters.toStdString());
        EXPECT_EQ(f.socket, c.socket);
        EXPECT_EQ(f.memoryType, c.memoryType);
        EXPECT_EQ(f.formFactor, c.formFactor);
        EXPECT_EQ(f.ratedPower, c.rated);
        EXPECT_EQ(f.powerDraw, c.draw);
        EXPECT_EQ(f.recommendedPsu, c.advice);
    }
    // A line of no part the rules know is not read at all.
    const Facts monitor = defaults().factsOf(
        {QStringLiteral("外设设备 > 显示器"), QStringLiteral("27英寸"), QStringLiteral("功耗 30W LGA1700"), 1});
    EXPECT_TRUE(monitor.part.isEmpty());
    EXPECT_TRUE(monitor.socket.isEmpty());
    EXPECT_FALSE(monitor.powerDraw);
}

TEST(BuildCheck, AMismatchedBuildGetsOneLinePerProblem)
{
    const Check check = defaults().check({
        cpu(QStringLiteral("默认TDP 120W；接口AM5")),
        board(QStringLiteral("LGA1700接口；ATX板型；DDR4内存插槽×4")),
        memory(QStringLiteral("DDR5台式机内存"), 2),
        graphics(QStringLiteral("整卡功耗约250W；建议电源550W")),
        supply(QStringLiteral("额定功率450W")),
        chassis(QStringLiteral("ITX小机箱；支持ITX主板")),
    });
    // 120 + 50 + 2 × 5 + 250 = 430 W; 430 × 1.3 = 559 W, up to the next 50 W: 600 W.
    EXPECT_EQ(check.powerWatts, 430);
    EXPECT_EQ(estimateText(check), QStringLiteral("预计功耗 约 430W"));
    EXPECT_EQ(check.warnings, (QStringList{
                                  QStringLiteral("CPU 插槽 AM5 与主板 LGA1700 不一致"),
                                  QStringLiteral("内存 DDR5 与主板 DDR4 不一致"),
                                  QStringLiteral("主板 ATX 放不进 ITX 机箱"),
                                  QStringLiteral("电源 450W 小于建议的 600W (预计功耗 × 1.3)"),
                              }));
}

TEST(BuildCheck, AMatchingBuildHasNoWarningAndTheEstimateIsTheSumOfItsParts)
{
    const QList<Line> build{
        cpu(QStringLiteral("基础功耗125W；接口LGA1851")),
        board(QStringLiteral("LGA1851接口；M-ATX板型；DDR5内存插槽×4")),
        memory(QStringLiteral("DDR5 6000"), 2),
        graphics(QStringLiteral("整卡功耗约250W；建议电源650W")),
        supply(QStringLiteral("额定功率650W")),
        chassis(QStringLiteral("支持E-ATX/ATX/M-ATX/ITX主板")),
        {QStringLiteral("电脑配件 > 固态硬盘"), QStringLiteral("SSD"), QStringLiteral("2TB"), 2},
        {QStringLiteral("电脑配件 > 散热器 > 水冷"), QStringLiteral("360水冷"), QStringLiteral("兼容LGA1851/1700/AM5/AM4"), 1},
    };
    const Check check = defaults().check(build);
    // 125 + 50 + 2 × 5 + 250 + 2 × 8 + 5 = 456 W; × 1.3 = 593 W → 600 W recommended.
    EXPECT_EQ(check.powerWatts, 456);
    EXPECT_TRUE(check.warnings.isEmpty()) << check.warnings.join(u'\n').toStdString();

    // On a 550 W supply the card's own advice (650 W, above the 600 W of the estimate) is
    // the reason given; with a card that asks for less, the estimate is.
    QList<Line> weak = build;
    weak[4] = supply(QStringLiteral("额定功率550W"));
    EXPECT_EQ(defaults().check(weak).warnings, QStringList{QStringLiteral("电源 550W 小于显卡建议的 650W")});
    weak[3] = graphics(QStringLiteral("整卡功耗约250W；建议电源500W"));
    EXPECT_EQ(defaults().check(weak).warnings,
              QStringList{QStringLiteral("电源 550W 小于建议的 600W (预计功耗 × 1.3)")});

    // Lines the rules cannot read are not checked, and a quotation without any gives no
    // estimate at all.
    const Check unread = defaults().check({cpu(QStringLiteral("盒装")), board(QStringLiteral("全新"))});
    EXPECT_TRUE(unread.warnings.isEmpty());
    EXPECT_EQ(unread.powerWatts, 50); // the board's own allowance
    const Check empty = defaults().check({});
    EXPECT_FALSE(empty.powerWatts);
    EXPECT_TRUE(estimateText(empty).isEmpty());
}

TEST(BuildRules, AnEditedTableTakesEffectAndBadRulesAreLeftOutWithTheirReason)
{
    QList<Rule> rules = defaultRules();
    ASSERT_FALSE(rules.isEmpty());
    // The shop counts memory at 10 W a stick and reads its own socket spelling.
    for (Rule& r : rules)
        if (r.part == kPartMemory && r.fact == Fact::PowerDraw)
            r.value = QStringLiteral("10");
    rules.prepend({kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("针脚\\s*(\\d{4})"), {}});
    const RuleSet edited(rules);
    EXPECT_TRUE(edited.errors().isEmpty()) << edited.errors().join(u'\n').toStdString();
    EXPECT_EQ(edited.check({memory(QStringLiteral("DDR5"), 2)}).powerWatts, 20);
    EXPECT_EQ(edited.factsOf(cpu(QStringLiteral("针脚 1700"))).socket, QStringLiteral("1700"));

    const RuleSet bad({
        {kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("(LGA"), {}},
        {kPartCpu, QStringLiteral(""), Fact::Socket, QStringLiteral("LGA\\d+"), {}},
        {kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("(*LIMIT_MATCH=999999999)(a+)+$"), {}},
        {kPartCpu, QStringLiteral("处理器"), Fact::PowerDraw, {}, {}},
        {kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("(LGA\\d+)"), {}},
    });
    ASSERT_EQ(bad.errors().size(), 4);
    EXPECT_TRUE(bad.errors()[0].startsWith(QStringLiteral("第 1 条规则：模式无效")));
    EXPECT_EQ(bad.errors()[1], QStringLiteral("第 2 条规则：没有分类"));
    EXPECT_EQ(bad.errors()[2], QStringLiteral("第 3 条规则：模式不能含有“(*”"));
    EXPECT_EQ(bad.errors()[3], QStringLiteral("第 4 条规则：没有模式时要写取值"));
    // The good rule of the table still reads.
    EXPECT_EQ(bad.factsOf(cpu(QStringLiteral("LGA1700"))).socket, QStringLiteral("LGA1700"));
}

TEST(BuildRules, APatternThatWouldTakeExponentialTimeIsBounded)
{
    // This pattern tries about 2^40 ways on this text before it fails; each match is cut off
    // after a bounded number of steps, so the line is simply not read.
    const RuleSet hostile({{kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("(a+)+$"), {}}});
    ASSERT_TRUE(hostile.errors().isEmpty());
    const QString text = QString(40, u'a') + u'!';
    QList<Line> lines;
    for (int i = 0; i < 30; ++i)
        lines << cpu(text);
    const Check check = hostile.check(lines);
    EXPECT_TRUE(check.warnings.isEmpty());
    EXPECT_TRUE(hostile.factsOf(cpu(text)).socket.isEmpty());
    // Where the pattern does match, it reads as any other.
    EXPECT_EQ(hostile.factsOf(cpu(QStringLiteral("aaa"))).socket, QStringLiteral("AAA"));
}
