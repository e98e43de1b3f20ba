// Rich-text objects measured and drawn: CalcHeight plus drawing of the quotation template's
// thirteen rich-text objects, and of a 600-character justified Chinese paragraph 170 mm
// wide, against the same texts laid out and drawn by QTextDocument at the same widths in
// the same run, by processor time (the machine is shared; the ratio is the figure to compare).
#include "quotation_descriptions.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"
#include "report/rich/rich_view.h"
#include "report/storage/quotation_template.h"
#include "report/text/text_context.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <utility>
#include <vector>

using namespace report;

namespace {

constexpr int kRepeats = 9;

double cpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The best rates of two bodies by the thread's processor time. The machines are shared and
// often loaded many times over, which stretches wall time but not the work done; a busy
// neighbour on the same core still slows a thread for a while, so the two bodies take
// turns and a slow spell falls on both.
template <typename A, typename B>
std::pair<double, double> bestCpuRates(qint64 count, A&& first, B&& second)
{
    double bestFirst = 0, bestSecond = 0;
    for (int r = 0; r < kRepeats; ++r) {
        double start = cpuSeconds();
        first(count);
        bestFirst = std::max(bestFirst, double(count) / (cpuSeconds() - start));
        start = cpuSeconds();
        second(count);
        bestSecond = std::max(bestSecond, double(count) / (cpuSeconds() - start));
    }
    return {bestFirst, bestSecond};
}

// One text as QTextDocument takes it: the plain text with the first run's font and the
// paragraph's alignment.
struct Yardstick {
    QString text;
    QFont font;
    Qt::Alignment align;
    double width; // pixels at 96 dpi
    QPointF at;
};

Yardstick yardstickOf(const TfrxRichView& view)
{
    const rich::RichDocument doc = richContent(view);
    const rich::CharFormat& f = doc.isEmpty() ? doc.endFormat() : doc.formatAt(0);
    QFont font(f.face);
    font.setPixelSize(int(f.halfPoints * 96 / 144.0 + 0.5));
    font.setBold(f.bold);
    const rich::ParaAlign a = doc.paragraph(0).align;
    const Qt::Alignment align = a == rich::ParaAlign::Center  ? Qt::AlignHCenter
                                : a == rich::ParaAlign::Right ? Qt::AlignRight
                                : a == rich::ParaAlign::Justify ? Qt::AlignJustify
                                                                : Qt::AlignLeft;
    return {doc.plainText(), font, align, view.Width() - 2 * view.GapX,
            QPointF(view.AbsLeft() + view.GapX, view.AbsTop() + view.GapY)};
}

void setUp(QTextDocument& doc, const Yardstick& y)
{
    doc.setDefaultFont(y.font);
    QTextOption option(y.align);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    doc.setDefaultTextOption(option);
    doc.setDocumentMargin(0);
    doc.setPlainText(y.text);
    doc.setTextWidth(y.width);
}

double qtHeight(const Yardstick& y)
{
    QTextDocument doc;
    setUp(doc, y);
    return doc.size().height();
}

double qtHeightAndDraw(const Yardstick& y, QPainter& p)
{
    QTextDocument doc;
    setUp(doc, y);
    const double height = doc.size().height();
    p.save();
    p.translate(y.at);
    doc.drawContents(&p);
    p.restore();
    return height;
}

double oursHeightAndDraw(TfrxRichView& view, QPainter& p)
{
    const double height = calcItemHeight(view);
    paintItem(view, {p, 1, 1, 0, 0, TfrxTextContext::of(view)});
    return height;
}

void compare(const char* what, std::vector<TfrxRichView*> views, int perRun)
{
    QImage page(794, 1123, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    std::vector<Yardstick> yardsticks;
    for (TfrxRichView* v : views) {
        yardsticks.push_back(yardstickOf(*v));
        oursHeightAndDraw(*v, p); // fonts and width tables made before timing
        qtHeightAndDraw(yardsticks.back(), p);
    }
    volatile double sink = 0;
    const auto [ours, qt] = bestCpuRates(
        perRun,
        [&](qint64 n) {
            for (qint64 i = 0; i < n; ++i)
                for (TfrxRichView* v : views)
                    sink = sink + oursHeightAndDraw(*v, p);
        },
        [&](qint64 n) {
            for (qint64 i = 0; i < n; ++i)
                for (const Yardstick& y : yardsticks)
                    sink = sink + qtHeightAndDraw(y, p);
        });
    std::printf("%s, CalcHeight + draw (processor time): %.0f times per second (%.3f ms a time); "
                "QTextDocument %.0f times per second; ours %.2f times as fast\n",
                what, ours, 1000 / ours, qt, ours / qt);
    // Measuring alone shows the readers and layouts apart from the drawing.
    const auto [oursHeight, qtMeasure] = bestCpuRates(
        perRun,
        [&](qint64 n) {
            for (qint64 i = 0; i < n; ++i)
                for (TfrxRichView* v : views)
                    sink = sink + calcItemHeight(*v);
        },
        [&](qint64 n) {
            for (qint64 i = 0; i < n; ++i)
                for (const Yardstick& y : yardsticks)
                    sink = sink + qtHeight(y);
        });
    std::printf("%s, CalcHeight alone (processor time): %.3f ms a time; QTextDocument %.3f ms; ours %.2f times as fast\n",
                what, 1000 / oursHeight, 1000 / qtMeasure, oursHeight / qtMeasure);
}

} // namespace

int main(int argc, char** argv)
{
    useOffscreenPlatform();
    QGuiApplication app(argc, argv);

    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    TfrxReport report;
    loadQuotationTemplate(report);
    std::vector<TfrxRichView*> headings;
    for (TfrxComponent* c : report.AllObjects())
        if (auto* rich = dynamic_cast<TfrxRichView*>(c))
            headings.push_back(rich);
    compare("the template's 13 rich-text objects", headings, 200);

    // 600 characters of Chinese in 宋体 10 pt, justified, 170 mm wide.
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                     "\\pard\\qj\\f0\\fs20 ";
    const QString text = QString::fromUtf8("电脑配置单主板处理器内存硬盘显卡机箱电源显示器键盘鼠标散热器光驱声卡网卡，")
                             .repeated(20)
                             .left(600);
    for (const QChar c : text)
        rtf += "\\u" + QByteArray::number(c.unicode() >= 0x8000 ? int(c.unicode()) - 65536 : int(c.unicode())) + '?';
    rtf += "\\par}";
    TfrxRichView paragraph;
    paragraph.SetBounds(0, 0, 170 * fr01cm, 400);
    paragraph.RichText = rtf;
    compare("a 600-character justified Chinese paragraph", {&paragraph}, 200);
    return 0;
}
