// qmxdiy-report: the report engine on the command line.

#include "report/pages/outline_text.h"
#include "report/pages/preview_pages.h"
#include "report_eval.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"
#include "report/xml/xml_number.h"
#include "report/model/frx_report.h"
#include "report/storage/quotation_template.h"
#include "report_render.h"
#include "report_tool_rich.h"
#include "platform/headless_gui.h"
#include "report_tool_text.h"
#include "report_prepare.h"
#include "report_print_launch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstring>
#include <memory>
#include <QFile>
#include <QStringList>
#include <cstdio>

using namespace report;

namespace {

const char* const kHelp =
    "Usage: qmxdiy-report COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  template          print the built-in quotation template in the XML text form\n"
    "  check FILE        load a template, print each error line and a last line\n"
    "                    \"objects: N, errors: M\"; exit 0 without errors, 1 with errors,\n"
    "                    2 when the file cannot be read or is malformed\n"
    "  resave IN OUT     load a template and save it again\n"
    "  pages FILE.fp3 [--objects | --outline]\n"
    "                    list the pages of a prepared-report file: \"pages: N\", then\n"
    "                    \"page K: W x H, M objects\" per page; with --objects every\n"
    "                    object after its page (short name or class, source name,\n"
    "                    left top width height, a text object's text); with --outline\n"
    "                    only the outline, one item a line, indented two spaces per\n"
    "                    level: \"TEXT (page K, y Y)\"; exit 2 when the file cannot be\n"
    "                    read or is malformed\n"
    "  eval [--var NAME=VALUE]... EXPR...\n"
    "                    evaluate each expression in an empty report whose preparation\n"
    "                    has just started and print its text, one line each; an error\n"
    "                    prints its error line and exits 1\n"
    "  expand [--var NAME=VALUE]... TEXT\n"
    "                    print the text with its bracket expressions expanded as a\n"
    "                    text object would\n"
    "  --help            show this text\n"
    "\n"
    "Templates are loaded as the program loads its own: with their report settings, the\n"
    "data source \"frxDBDataset1\" present (without rows), and error lines printed\n"
    "instead of shown.\n";

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

int check(const QString& path)
{
    TfrxReport report;
    const bool read = loadTemplateFile(report, path);
    for (const QString& line : report.Errors())
        print(stdout, line + u'\n');
    print(stdout, QStringLiteral("objects: %1, errors: %2\n").arg(report.AllObjects().size()).arg(report.Errors().size()));
    if (!read)
        return 2;
    return report.Errors().isEmpty() ? 0 : 1;
}

int resave(const QString& in, const QString& out)
{
    TfrxReport report;
    if (!loadTemplateFile(report, in))
        return 2;
    for (const QString& line : report.Errors())
        print(stderr, line + u'\n');
    report.SaveToFile(out);
    return report.Errors().isEmpty() ? 0 : 1;
}

QString number(double value) { return floatToText(value); }

// One line per object; line breaks of a text are shown as "\n" so each object keeps one line.
void printObjects(const TfrxPreviewPages& pages, const TfrxReportPage& page)
{
    for (const TfrxComponent* object : page.AllObjects()) {
        QByteArray element = pages.ElementNameOf(*object);
        if (element.isEmpty())
            element = object->ClassName().toLatin1();
        QString line = QStringLiteral("  %1 %2 %3 %4 %5 %6")
                           .arg(QString::fromUtf8(element), object->Name().isEmpty() ? QStringLiteral("-") : object->Name(),
                                number(object->Left()), number(object->Top()), number(object->Width()),
                                number(object->Height()));
        if (const auto* memo = dynamic_cast<const TfrxCustomMemoView*>(object))
            line += u' ' + memo->Text().replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
        print(stdout, line + u'\n');
    }
}

enum class PagesListing { Pages, Objects, Outline };

int listPages(const QString& path, PagesListing listing)
{
    TfrxReport report;
    TfrxPreviewPages pages(report);
    try {
        if (!pages.LoadFromFile(path)) {
            print(stderr, QStringLiteral("%1: No such file\n").arg(path));
            return 2;
        }
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("%1: %2\n").arg(path, platform::errorMessage(e)));
        return 2;
    }
    for (const QString& line : report.Errors())
        print(stderr, QStringLiteral("%1: %2\n").arg(path, line));
    if (listing == PagesListing::Outline) {
        for (const QString& line : outlineLines(pages))
            print(stdout, line + u'\n');
        return 0;
    }
    const bool withObjects = listing == PagesListing::Objects;
    print(stdout, QStringLiteral("pages: %1\n").arg(pages.PageCount()));
    for (int i = 0; i < pages.PageCount(); ++i) {
        const QSize size = pages.GetPreparedPageSize(i);
        const TfrxReportPage* page = pages.GetPreparedPage(i);
        const qsizetype objects = page ? page->AllObjects().size() : 0;
        print(stdout, QStringLiteral("page %1: %2 x %3, %4 objects\n").arg(i + 1).arg(size.width()).arg(size.height()).arg(objects));
        if (withObjects && page)
            printObjects(pages, *page);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && isTextCommand(argv[1]))
        return runTextCommand(argc, argv);
    if (argc > 1 && isRenderCommand(argv[1]))
        return runRenderCommand(argc, argv);
    if (argc > 1 && isRichCommand(argv[1]))
        return runRichCommand(argc, argv);
    if (argc > 1 && isPrintCommand(argv[1]))
        return runPrintCompanion(argc, argv);
    // Preparing measures texts and may draw pages: fonts need a GUI application object, on
    // no screen and with no platform noise.
    const bool needsFonts = argc > 1 && std::strcmp(argv[1], "prepare") == 0;
    if (needsFonts)
        platform::prepareHeadlessGui();
    std::unique_ptr<QCoreApplication> application(needsFonts ? new QGuiApplication(argc, argv)
                                                             : new QCoreApplication(argc, argv));
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args[0] == QLatin1StringView("--help") || args[0] == QLatin1StringView("-h")) {
        std::fputs(kHelp, args.isEmpty() ? stderr : stdout);
        std::fputs(kPrepareHelp, args.isEmpty() ? stderr : stdout);
        std::fputs(kTextCommandsHelp, args.isEmpty() ? stderr : stdout);
        std::fputs(kRenderHelp, args.isEmpty() ? stderr : stdout);
        std::fputs(kRichCommandHelp, args.isEmpty() ? stderr : stdout);
        std::fputs(kPrintHelp, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args[0] == QLatin1StringView("prepare"))
        return prepareCommand(args.mid(1));
    TfrxDBDataset lines;
    lines.SetName(QStringLiteral("frxDBDataset1"));
    lines.CloseDataSource = false;
    try {
        const QString& command = args[0];
        if (command == QLatin1StringView("template") && args.size() == 1) {
            const QByteArray text = quotationTemplateText();
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            return 0;
        }
        if (command == QLatin1StringView("check") && args.size() == 2)
            return check(args[1]);
        if (command == QLatin1StringView("pages") && (args.size() == 2 || args.size() == 3)) {
            const bool objects = args.size() == 3 && args.contains(QStringLiteral("--objects"));
            const bool outline = args.size() == 3 && args.contains(QStringLiteral("--outline"));
            if (args.size() == 3 && !objects && !outline) {
                std::fputs(kHelp, stderr);
                return 2;
            }
            const bool optionFirst = args[1].startsWith(QLatin1StringView("--"));
            const QString file = args.size() == 3 && optionFirst ? args[2] : args[1];
            return listPages(file, outline ? PagesListing::Outline
                                   : objects ? PagesListing::Objects
                                             : PagesListing::Pages);
        }
        if (command == QLatin1StringView("resave") && args.size() == 3)
            return resave(args[1], args[2]);
        if (command == QLatin1StringView("eval"))
            return evalCommand(args.mid(1));
        if (command == QLatin1StringView("expand"))
            return expandCommand(args.mid(1));
    } catch (const std::exception& e) {
        print(stderr, platform::errorMessage(e) + u'\n');
        return 2;
    }
    std::fputs(kHelp, stderr);
    std::fputs(kTextCommandsHelp, stderr);
    std::fputs(kRenderHelp, stderr);
    std::fputs(kRichCommandHelp, stderr);
    std::fputs(kPrintHelp, stderr);
    return 2;
}
