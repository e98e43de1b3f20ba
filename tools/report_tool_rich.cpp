// qmxdiy-report rich-text: an RTF file read, measured and drawn as a rich-text object.

#include "report_tool_rich.h"
#include "report_tool_text.h"

#include "platform/error.h"
#include "platform/headless_gui.h"
#include "platform/operator_text.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"
#include "report/rich/rich_view.h"
#include "report/text/text_context.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>

using namespace report;

const char* const kRichCommandHelp =
    "\nRich text:\n"
    "  rich-text FILE.rtf [--width MM] [--png OUT.png [--scale F]]\n"
    "                    print the plain text, one paragraph per line; --width adds the\n"
    "                    height of a rich-text object that wide as \"height: H\" (report\n"
    "                    units); --png draws the object (170 mm wide without --width)\n"
    "                    into a PNG at 96 dpi x F (default 1)\n";

namespace {

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

struct RichCommand {
    QString file;
    double widthMm = 0;
    QString png;
    double scale = 1;
};

bool number(const QString& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

bool parse(const QStringList& args, RichCommand& c)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        double v = 0;
        if (a == QLatin1StringView("--width") && hasValue && number(args[++i], &v) && v > 0 && v <= 10000) {
            c.widthMm = v;
        } else if (a == QLatin1StringView("--png") && hasValue) {
            c.png = args[++i];
        } else if (a == QLatin1StringView("--scale") && hasValue && number(args[++i], &v) && v > 0 && v <= 20) {
            c.scale = v;
        } else if (!a.startsWith(QLatin1StringView("--")) && c.file.isEmpty()) {
            c.file = a;
        } else {
            print(stderr, QStringLiteral("%1: unknown option or bad value: %2\n").arg(args[0], a));
            return false;
        }
    }
    if (c.file.isEmpty()) {
        print(stderr, QStringLiteral("%1: no file given\n").arg(args[0]));
        return false;
    }
    return true;
}

int run(const RichCommand& c)
{
    QFile file(c.file);
    if (!file.open(QIODevice::ReadOnly)) {
        print(stderr, QStringLiteral("%1: %2\n").arg(c.file, file.errorString()));
        return 2;
    }
    TfrxRichView view;
    view.RichText = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        print(stderr, QStringLiteral("%1: %2\n").arg(c.file, file.errorString()));
        return 2;
    }
    const rich::RichDocument doc = richContent(view);
    if (!doc.isEmpty())
        print(stdout, doc.plainText().replace(QStringLiteral("\r\n"), QStringLiteral("\n")) + u'\n');
    view.SetWidth((c.widthMm > 0 ? c.widthMm : 170) * fr01cm);
    if (c.widthMm > 0)
        print(stdout, QStringLiteral("height: %1\n").arg(platform::formatGeneral(calcItemHeight(view), u".")));
    if (c.png.isEmpty())
        return 0;
    view.SetHeight(std::max(1.0, calcItemHeight(view)));
    return drawItemPicture(view, c.scale, c.png);
}

} // namespace

bool isRichCommand(const char* command) { return std::strcmp(command, "rich-text") == 0; }

int runRichCommand(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    RichCommand command;
    if (!parse(app.arguments().mid(1), command))
        return 2;
    try {
        return run(command);
    } catch (const std::exception& e) {
        print(stderr, platform::errorMessage(e) + u'\n');
        return 2;
    }
}
