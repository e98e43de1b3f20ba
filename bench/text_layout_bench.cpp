// Laying out 100,000 quotation descriptions of about 60 mixed Chinese and Latin characters in
// a 75 mm cell at 9 points, against a plain QTextLayout wrapping the same texts at the same
// width with the same reference font.
#include "report/layout/draw_text.h"

#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kTexts = 100000;
constexpr int kQtTexts = 20000; // the slower contender gets a share, rated per second
constexpr int kRepeats = 3;
constexpr double kCellUnits = 75 * 3.77953;

std::vector<QString> makeTexts()
{
    const char* const brands[] = {"金士顿", "英特尔", "华硕", "技嘉", "三星", "西部数据", "海盗船", "七彩虹"};
    const char* const kinds[] = {"台式机内存条", "酷睿处理器", "游戏主板", "固态硬盘", "机械硬盘", "独立显卡"};
    const char* const details[] = {"频率6000MHz 时序CL30", "盒装 散热器 三年质保", "PCIe 4.0 读取7000MB/s",
                                   "ATX 大板 双M.2接口", "12GB GDDR6X 三风扇"};
    std::vector<QString> texts;
    texts.reserve(kTexts);
    for (int i = 0; i < kTexts; ++i) {
        QString t = QString::fromUtf8(brands[i % 8]) + QStringLiteral(" FURY DDR5 %1GB ").arg(8 << (i % 4))
                    + QString::fromUtf8(kinds[i % 6]) + QLatin1Char(' ') + QString::fromUtf8(details[i % 5])
                    + QStringLiteral(" 型号QMX-%1 RGB 正品行货").arg(100000 + i);
        texts.push_back(t);
    }
    return texts;
}

double ourRate(const std::vector<QString>& texts, long long& lines)
{
    report::TfrxDrawText drawText;
    report::TfrxDrawTextLock hold(drawText);
    drawText.SetFont(QFont(QStringLiteral("宋体"), 9));
    drawText.SetOptions(true, false, 0, true, true, false, false);
    drawText.SetGaps(0, 0, 2);
    const QRectF cell(0, 0, kCellUnits, 1000);
    drawText.SetDimensions(1, 1, 1, cell, cell);
    drawText.SetText(texts.front()); // fill the width tables before timing
    double best = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        lines = 0;
        QElapsedTimer t;
        t.start();
        for (const QString& text : texts) {
            drawText.SetText(text);
            lines += drawText.LineCount();
        }
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return texts.size() / best;
}

double qtRate(const std::vector<QString>& texts, long long& lines)
{
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(75); // 9 points on the 600 dpi reference device
    font.setHintingPreference(QFont::PreferNoHinting);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const double width = kCellUnits * 6.25;
    double best = 1e300;
    for (int r = 0; r < kRepeats; ++r) {
        lines = 0;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < kQtTexts; ++i) {
            QTextLayout layout(texts[i], font);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                ++lines;
            }
            layout.endLayout();
        }
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return kQtTexts / best;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::vector<QString> texts = makeTexts();
    long long ourLines = 0, qtLines = 0;
    const double ours = ourRate(texts, ourLines);
    const double qt = qtRate(texts, qtLines);
    long long chars = 0;
    for (const QString& t : texts)
        chars += t.size();
    std::printf("texts: %d of %.1f characters on average\n", kTexts, double(chars) / kTexts);
    std::printf("text layout: %.0f layouts/s (%.2f lines each)\n", ours, double(ourLines) / kTexts);
    std::printf("QTextLayout same wrapping: %.0f layouts/s (first %d texts, %.2f lines each)\n", qt, kQtTexts,
                double(qtLines) / kQtTexts);
    std::printf("ratio: %.1f times faster\n", ours / qt);
    return 0;
}
