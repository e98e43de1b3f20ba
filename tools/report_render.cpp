#include "report_render.h"
#include "report_output.h"

#include "platform/error.h"
#include "platform/headless_gui.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include <QGuiApplication>
#include <QStringList>
#include <cstdio>
#include <cstring>

using namespace report;

const char* const kRenderHelp =
    "  render FILE.fp3 -o OUT.pdf|OUT-%d.png [--pages LIST] [--dpi N]\n"
    "                    draw a prepared-report file into a PDF document or one PNG\n"
    "                    picture per page (%d is the page number); LIST is like 1,3-5;\n"
    "                    --dpi is the pictures' resolution (default 96); prints\n"
    "                    \"pages: N\"; exit 1 when the output cannot be written, 2 for\n"
    "                    bad usage or a file that cannot be read\n";

namespace {

void printError(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

struct RenderCommand {
    QString input;
    QString output;
    QString pages;
    int dpi = 96;
};

bool parse(const QStringList& args, RenderCommand& command)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1StringView("-o") && hasValue) {
            command.output = args[++i];
        } else if (arg == QLatin1StringView("--pages") && hasValue) {
            command.pages = args[++i];
        } else if (arg == QLatin1StringView("--dpi") && hasValue) {
            bool ok = false;
            command.dpi = args[++i].toInt(&ok);
            if (!ok || command.dpi < 1 || command.dpi > 2400) {
                printError(QStringLiteral("--dpi takes a number from 1 to 2400"));
                return false;
            }
        } else if (!arg.startsWith(u'-') && command.input.isEmpty()) {
            command.input = arg;
        } else {
            printError(QStringLiteral("Unknown argument: %1").arg(arg));
            return false;
        }
    }
    if (command.input.isEmpty() || !isOutputName(command.output, false)) {
        printError(QStringLiteral("render needs FILE.fp3 and -o OUT.pdf or -o OUT-%d.png"));
        return false;
    }
    return true;
}

int render(const RenderCommand& command)
{
    TfrxReport report;
    TfrxPreviewPages pages(report);
    TfrxExportSettings settings;
    settings.Dpi = command.dpi;
    try {
        if (!pages.LoadFromFile(command.input)) {
            printError(QStringLiteral("%1: No such file").arg(command.input));
            return 2;
        }
        if (!command.pages.isEmpty())
            settings.Pages = parsePageList(command.pages, pages.PageCount());
    } catch (const std::exception& e) {
        printError(QStringLiteral("%1: %2").arg(command.input, platform::errorMessage(e)));
        return 2;
    }
    try {
        writePreparedOutput(pages, command.output, settings);
    } catch (const std::exception& e) {
        printError(platform::errorMessage(e));
        return 1;
    }
    const qsizetype written = settings.Pages.isEmpty() ? pages.PageCount() : settings.Pages.size();
    std::printf("pages: %lld\n", static_cast<long long>(written));
    return 0;
}

} // namespace

bool isRenderCommand(const char* command) { return std::strcmp(command, "render") == 0; }

int runRenderCommand(int argc, char** argv)
{
    // The tool never shows a window; fonts need a GUI application object all the same.
    platform::prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    RenderCommand command;
    if (!parse(app.arguments().mid(1), command))
        return 2;
    return render(command);
}
