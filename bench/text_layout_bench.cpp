// Laying out 100,000 quotation descriptions of about 60 mixed Chinese and Latin characters in
// a 75 mm cell at 9 points, against a plain QTextLayout wrapping the same texts at the same
// width with the same reference font.
#include "quotation_descriptions.h"
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
    useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    const std::vector<QString> texts = quotationDescriptions(kTexts);
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
