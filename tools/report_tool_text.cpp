// qmxdiy-report layout / draw-text: one text object laid out or drawn from the command line.

#include "report_tool_text.h"

#include "platform/atomic_file.h"
#include "platform/error.h"
#include "platform/file_failure.h"
#include "platform/headless_gui.h"
#include "platform/operator_text.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"
#include "report/render/memo_render.h"
#include "report/text/text_context.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace report;

const char* const kTextCommandsHelp =
    "\nText commands:\n"
    "  layout [--font NAME] [--size POINTS] [--width MM] [--html] [--wordbreak]\n"
    "         [--gap-x UNITS] TEXT\n"
    "                    lay TEXT out as a text object with these settings; print the\n"
    "                    output lines, then \"height: H\" and \"width: W\" in report units;\n"
    "                    without --width the object's width follows the text\n"
    "  draw-text [the options of layout] --png FILE [--scale F] TEXT\n"
    "                    draw that object, as high as its text needs, into a PNG at\n"
    "                    96 dpi x F (default 1)\n";

namespace {

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

struct TextCommand {
    QString font = QStringLiteral("Arial");
    int size = 10;
    double widthMm = 0; // 0: the width follows the text
    bool html = false;
    bool wordBreak = false;
    double gapX = -1; // below 0: the object's default
    QString png;
    double scale = 1;
    QString text;
};

bool number(const QString& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// Reads the options after the command; the message on stderr when they do not make sense.
bool parse(const QStringList& args, bool drawing, TextCommand& c)
{
    bool haveText = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        double v = 0;
        if (a == QLatin1StringView("--html")) {
            c.html = true;
        } else if (a == QLatin1StringView("--wordbreak")) {
            c.wordBreak = true;
        } else if (a == QLatin1StringView("--font") && hasValue) {
            c.font = args[++i];
        } else if (a == QLatin1StringView("--size") && hasValue && number(args[++i], &v) && v >= 1 && v <= 1000) {
            c.size = int(std::lround(v));
        } else if (a == QLatin1StringView("--width") && hasValue && number(args[++i], &v) && v > 0 && v <= 10000) {
            c.widthMm = v;
        } else if (a == QLatin1StringView("--gap-x") && hasValue && number(args[++i], &v) && v >= 0 && v <= 1000) {
            c.gapX = v;
        } else if (drawing && a == QLatin1StringView("--png") && hasValue) {
            c.png = args[++i];
        } else if (drawing && a == QLatin1StringView("--scale") && hasValue && number(args[++i], &v) && v > 0
                   && v <= 20) {
            c.scale = v;
        } else if (!a.startsWith(QLatin1StringView("--")) && !haveText) {
            c.text = a;
            haveText = true;
        } else {
            print(stderr, QStringLiteral("%1: unknown option or bad value: %2\n").arg(args[0], a));
            return false;
        }
    }
    if (!haveText) {
        print(stderr, QStringLiteral("%1: no text given\n").arg(args[0]));
        return false;
    }
    if (drawing && c.png.isEmpty()) {
        print(stderr, QStringLiteral("%1: --png FILE is required\n").arg(args[0]));
        return false;
    }
    return true;
}

// A text object as the template designer creates one, with the command's settings.
void setUp(TfrxMemoView& memo, const TextCommand& c)
{
    TfrxFont font = memo.Font();
    font.SetName(c.font);
    font.SetSize(c.size);
    memo.SetFont(font);
    memo.AllowHTMLTags = c.html;
    memo.WordBreak = c.wordBreak;
    if (c.gapX >= 0)
        memo.GapX = c.gapX;
    memo.AutoWidth = c.widthMm <= 0;
    memo.SetText(c.text);
    memo.SetWidth(memo.AutoWidth ? calcItemWidth(memo) : c.widthMm * fr01cm);
    memo.SetHeight(calcItemHeight(memo));
}

int layout(const TextCommand& c)
{
    TfrxMemoView memo;
    setUp(memo, c);
    for (const QString& line : memoOutputLines(memo))
        print(stdout, line + u'\n');
    print(stdout, QStringLiteral("height: %1\nwidth: %2\n")
                      .arg(platform::formatGeneral(calcItemHeight(memo), u"."),
                           platform::formatGeneral(calcItemWidth(memo), u".")));
    return 0;
}

int drawText(const TextCommand& c)
{
    TfrxMemoView memo;
    setUp(memo, c);
    return drawItemPicture(memo, c.scale, c.png);
}

} // namespace

int drawItemPicture(report::TfrxView& view, double scale, const QString& png)
{
    // A PNG holds at most a million rows (the writer refuses more), and the picture is made
    // in memory first: a long text at a large scale would take gigabytes only to fail.
    constexpr double kMaxSide = 1'000'000;
    constexpr double kMaxPixels = 256.0 * 1024 * 1024; // 1 GiB of 32-bit pixels
    const double width = std::max(1.0, std::ceil(view.Width() * scale));
    const double height = std::max(1.0, std::ceil(view.Height() * scale));
    if (!(width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels)) {
        print(stderr, QStringLiteral("%1: a picture of %2 × %3 pixels is too large to write; draw it at a smaller "
                                     "--scale\n")
                          .arg(png, platform::formatGeneral(width, u"."), platform::formatGeneral(height, u".")));
        return 2;
    }
    QImage image(QSize(int(width), int(height)), QImage::Format_RGB32);
    image.setDotsPerMeterX(int(std::lround(96 * scale / 0.0254)));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    image.fill(Qt::white);
    QPainter painter(&image);
    paintItem(view, {painter, scale, scale, 0, 0, TfrxTextContext::of(view)});
    painter.end();
    try {
        platform::streamFileAtomically(png, [&](QIODevice& out) {
            if (!image.save(&out, "PNG"))
                throw platform::Error(platform::writeFailureText(png, QStringLiteral("无法生成PNG图片")));
        });
    } catch (const platform::Error& e) {
        print(stderr, e.message() + u'\n'); // an earlier picture of that name stays as it was
        return 2;
    }
    return 0;
}

bool isTextCommand(const char* command)
{
    return std::strcmp(command, "layout") == 0 || std::strcmp(command, "draw-text") == 0;
}

int runTextCommand(int argc, char** argv)
{
    // The tool never shows a window; fonts need a GUI application object all the same.
    platform::prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool drawing = args[0] == QLatin1StringView("draw-text");
    TextCommand command;
    if (!parse(args, drawing, command))
        return 2;
    return drawing ? drawText(command) : layout(command);
}
