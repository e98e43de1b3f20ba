// qmxdiy-report: the report engine on the command line.

#include "report_eval.h"

#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/storage/quotation_template.h"

#include <QCoreApplication>
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

// Loads a template file; false (with the message on stderr) when it cannot be read or is
// malformed.
bool loadTemplate(TfrxReport& report, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        print(stderr, QStringLiteral("%1: %2\n").arg(path, file.errorString()));
        return false;
    }
    // No error reporter is installed, so the error lines are only collected.
    loadOwnTemplate(report, file.readAll());
    if (!report.LoadFailure.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\n").arg(path, report.LoadFailure));
        return false;
    }
    return true;
}

int check(const QString& path)
{
    TfrxReport report;
    const bool read = loadTemplate(report, path);
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
    if (!loadTemplate(report, in))
        return 2;
    for (const QString& line : report.Errors())
        print(stderr, line + u'\n');
    report.SaveToFile(out);
    return report.Errors().isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == QLatin1StringView("--help") || args[0] == QLatin1StringView("-h")) {
        std::fputs(kHelp, args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
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
    return 2;
}
