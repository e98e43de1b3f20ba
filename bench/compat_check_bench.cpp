// Checking a 30-line quotation against the shipped rules (the goal is at most 5 ms a check),
// and compiling the rules, which happens once per change of the table.
#include "best_rate.h"
#include "compat/build_check.h"
#include "figure_line.h"

#include <QCoreApplication>

using namespace compat;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QList<Rule> rules = defaultRules();
    const QList<Line> kinds{
        {QStringLiteral("电脑配件 > 处理器 > AMD"), QStringLiteral("AMD 锐龙7 7800X3D 盒装"),
         QStringLiteral("Zen 4架构；8核16线程；最大加速频率5.0GHz；三级缓存96MB；默认TDP 120W；接口AM5；内置Radeon核显（2CU）；3D V-Cache；盒装原包，三年质保"), 1},
        {QStringLiteral("电脑配件 > 主板 > AMD平台主板 > B650主板"), QStringLiteral("微星 MAG B650M MORTAR WIFI 迫击炮"),
         QStringLiteral("芯片组AMD B650；AM5接口；M-ATX板型；DDR5内存插槽×4，最高256GB；M.2接口×2；2.5G网口，WiFi 6E；12+2+1相供电；支持锐龙9000"), 1},
        {QStringLiteral("电脑配件 > 内存 > DDR5台式机内存"), QStringLiteral("金士顿 FURY Beast DDR5 6000 32GB(16G×2)套条"),
         QStringLiteral("DDR5台式机内存；频率6000MT/s；时序CL36；容量32GB(16GB×2)；电压1.35V；支持Intel XMP 3.0/AMD EXPO；黑色散热马甲；终身质保"), 1},
        {QStringLiteral("电脑配件 > 显卡 > NVIDIA显卡"), QStringLiteral("七彩虹 战斧 GeForce RTX 5070 豪华版 12GB"),
         QStringLiteral("GPU：GeForce RTX 5070（6144 CUDA）；显存12GB GDDR7，位宽192bit；三风扇；输出HDMI 2.1b×1+DP 2.1b×3；整卡功耗约250W；建议电源650W，供电接口16-pin 12V-2x6；长度约300mm"), 1},
        {QStringLiteral("电脑配件 > 电源 > ATX电源 > 金牌电源"), QStringLiteral("海韵 FOCUS GX-850"),
         QStringLiteral("额定功率850W；80PLUS金牌认证；全模组；ATX 3.1规范，支持PCIe 5.1；13.5cm FDB风扇，智能启停；原生12V-2x6×1；质保10年"), 1},
        {QStringLiteral("电脑配件 > 机箱 > ATX机箱 > 海景房"), QStringLiteral("联力 包豪斯O11 Vision"),
         QStringLiteral("中塔海景房；支持E-ATX/ATX/M-ATX/ITX主板；显卡限长426mm；支持顶/侧/底360水冷；最多10把风扇位，标配无风扇；前置接口USB 3.0×2+USB-C 10Gbps"), 1},
        {QStringLiteral("电脑配件 > 固态硬盘 > M.2 NVMe固态"), QStringLiteral("三星 990 PRO 2TB"),
         QStringLiteral("M.2 2280；PCIe 4.0×4 NVMe；容量2TB；顺序读取7450MB/s；顺序写入6900MB/s；三星V-NAND TLC；写入寿命1200TBW；质保5年"), 1},
        {QStringLiteral("电脑配件 > 散热器 > 水冷散热器 > 360水冷"), QStringLiteral("利民 FROZEN WARFRAME 360"),
         QStringLiteral("360mm一体式水冷；第七代水泵；三12cm ARGB风扇；兼容LGA1851/1700/AM5/AM4；冷头2.8英寸IPS屏，可自定义显示，质保6年"), 1},
        {QStringLiteral("外设设备 > 显示器 > 电竞显示器"), QStringLiteral("27英寸 2K 180Hz"),
         QStringLiteral("27英寸 Fast IPS面板；分辨率2560×1440；刷新率180Hz；响应时间1ms(GtG)；色域110% sRGB"), 1},
        {QStringLiteral("外设设备 > 键鼠"), QStringLiteral("罗技 G502 鼠标"), QStringLiteral("有线；25600DPI"), 1},
    };
    QList<Line> quotation;
    for (int i = 0; i < 30; ++i)
        quotation << kinds[i % kinds.size()];

    const double compiles = bestRate(5, 50, [&](qint64 n) {
        for (qint64 i = 0; i < n; ++i)
            RuleSet compiled(rules);
    });
    printFigure("rule table compiled (ms)", 1000.0 / compiles, "ms");

    const RuleSet compiled(rules);
    const double checks = bestRate(5, 200, [&](qint64 n) {
        for (qint64 i = 0; i < n; ++i)
            compiled.check(quotation);
    });
    printFigure("30-line quotation checked (goal <= 5 ms)", 1000.0 / checks, "ms");

    // A rule a shop might paste that takes exponential time where it fails: the bound on
    // each match keeps the check short.
    QList<Rule> hostile = rules;
    hostile.prepend({kPartCpu, QStringLiteral("处理器"), Fact::Socket, QStringLiteral("(.+)+\\d{9}$"), {}});
    const RuleSet withHostile(hostile);
    const double hostileChecks = bestRate(3, 5, [&](qint64 n) {
        for (qint64 i = 0; i < n; ++i)
            withHostile.check(quotation);
    });
    printFigure("the same with a catastrophic pattern in the table", 1000.0 / hostileChecks, "ms");
    return 0;
}
