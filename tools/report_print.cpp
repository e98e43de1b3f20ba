#include "report_print.h"
#include "report_print_launch.h"

#include "preview/printing/frx_printers.h"
#include "preview/printing/print_job.h"
#include "platform/error.h"
#include "platform/headless_gui.h"
#include "report/frx_resources.h"
#include "report/model/frx_paper.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cstdio>

using namespace report;

namespace {

void printText(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

struct PrintCommand {
    QString input, printer, pages, sheet, toFile;
    int copies = 1;
    bool collate = true, reverse = false;
    TfrxPrintPages which = TfrxPrintPages::ppAll;
    TfrxPrintMode mode = TfrxPrintMode::pmDefault;
};

bool parseMode(const QString& text, TfrxPrintMode& mode)
{
    const QStringList names{QStringLiteral("default"), QStringLiteral("split"), QStringLiteral("join"),
                            QStringLiteral("scale")};
    const qsizetype at = names.indexOf(text);
    if (at < 0)
        return false;
    mode = TfrxPrintMode(at);
    return true;
}

// The usage fault, or empty.
QString parse(const QStringList& args, PrintCommand& c)
{
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (arg == QLatin1StringView("--printer") && hasValue)
            c.printer = args[++i];
        else if (arg == QLatin1StringView("--pages") && hasValue)
            c.pages = args[++i];
        else if (arg == QLatin1StringView("--copies") && hasValue) {
            c.copies = args[++i].toInt(&ok);
            if (!ok || c.copies < 1 || c.copies > 9999)
                return QStringLiteral("--copies takes a number from 1 to 9999");
        } else if (arg == QLatin1StringView("--no-collate"))
            c.collate = false;
        else if (arg == QLatin1StringView("--reverse"))
            c.reverse = true;
        else if (arg == QLatin1StringView("--odd") || arg == QLatin1StringView("--even")) {
            if (c.which != TfrxPrintPages::ppAll)
                return QStringLiteral("--odd and --even exclude each other");
            c.which = arg == QLatin1StringView("--odd") ? TfrxPrintPages::ppOdd : TfrxPrintPages::ppEven;
        } else if (arg == QLatin1StringView("--mode") && hasValue) {
            if (!parseMode(args[++i], c.mode))
                return QStringLiteral("--mode takes default, scale, split or join");
        } else if (arg == QLatin1StringView("--sheet") && hasValue)
            c.sheet = args[++i];
        else if (arg == QLatin1StringView("--to-file") && hasValue)
            c.toFile = args[++i];
        else if (!arg.startsWith(u'-') && c.input.isEmpty())
            c.input = arg;
        else
            return QStringLiteral("Unknown argument: %1").arg(arg);
    }
    if (c.input.isEmpty())
        return QStringLiteral("print needs FILE.fp3");
    return QString();
}

// The paper number of a number or a name among the printer's papers; -1 when unknown.
int sheetNumber(const preview::TfrxCustomPrinter& printer, const QString& sheet)
{
    bool isNumber = false;
    const int number = sheet.toInt(&isNumber);
    for (const preview::PrinterPaper& paper : printer.Papers)
        if (paper.number != customPaperSize
            && (isNumber ? paper.number == number : paper.name.compare(sheet, Qt::CaseInsensitive) == 0))
            return paper.number;
    return -1;
}

int printFile(const PrintCommand& c)
{
    TfrxReport report;
    TfrxPreviewPages pages(report);
    try {
        if (!pages.LoadFromFile(c.input)) {
            printText(stderr, QStringLiteral("%1: No such file").arg(c.input));
            return 2;
        }
    } catch (const std::exception& e) {
        printText(stderr, QStringLiteral("%1: %2").arg(c.input, platform::errorMessage(e)));
        return 2;
    }
    preview::TfrxPrinters& printers = preview::frxPrinters();
    if (!printers.HasPhysicalPrinters()) {
        printText(stderr, frxGet(QStringLiteral("clNoPrinters")));
        return 1;
    }
    if (!c.printer.isEmpty() && printers.IndexOf(c.printer) < 0) {
        printText(stderr, QStringLiteral("No printer named \"%1\"").arg(c.printer));
        return 1;
    }
    TfrxPrintOptions& options = report.PrintOptions();
    options.Printer = c.printer.isEmpty() ? printers.Items(printers.DefaultIndex()).Name : c.printer;
    options.ShowDialog = false;
    options.PageNumbers = c.pages;
    options.Copies = c.copies;
    options.Collate = c.collate;
    options.Reverse = c.reverse;
    options.PrintPages = c.which;
    options.PrintMode = c.mode;
    report.FileName = QFileInfo(c.input).completeBaseName();
    try {
        printers.SelectByName(options.Printer);
        preview::TfrxCustomPrinter& printer = printers.Printer();
        if (!c.sheet.isEmpty()) {
            options.PrintOnSheet = sheetNumber(printer, c.sheet);
            if (options.PrintOnSheet < 0) {
                printText(stderr, QStringLiteral("\"%1\" has no paper \"%2\"").arg(printer.Name, c.sheet));
                return 1;
            }
        }
        int sent = 0;
        preview::PrintJobHooks hooks;
        hooks.OnPrintPage = [&](TfrxReportPage&, int) { ++sent; };
        printer.FileName = c.toFile;
        const bool printed = preview::printPages(report, pages, printers, hooks);
        printer.FileName.clear();
        if (!printed) {
            printText(stderr, QStringLiteral("The job was cancelled"));
            return 1;
        }
        printText(stdout, QStringLiteral("printed: %1 pages on %2").arg(sent).arg(printer.Name));
    } catch (const std::exception& e) {
        printText(stderr, platform::errorMessage(e));
        return 1;
    }
    return 0;
}

void listPrinters()
{
    preview::TfrxPrinters& printers = preview::frxPrinters();
    for (int i = 0; i < printers.Count(); ++i) {
        preview::TfrxCustomPrinter& printer = printers.Items(i);
        QString mark = i == printers.DefaultIndex() ? QStringLiteral(" (default)") : QString();
        if (!printers.HasPhysicalPrinters())
            mark += QStringLiteral(" (virtual)");
        printText(stdout, QStringLiteral("printer %1%2").arg(printer.Name, mark));
        try {
            printer.Init();
        } catch (const std::exception& e) {
            printText(stdout, QStringLiteral("  not available: %1").arg(platform::errorMessage(e)));
            continue;
        }
        printText(stdout, QStringLiteral("  port: %1").arg(printer.Port));
        printText(stdout, QStringLiteral("  resolution: %1 x %2").arg(printer.DPIx).arg(printer.DPIy));
        printText(stdout, QStringLiteral("  margins: %1 %2 %3 %4")
                              .arg(printer.LeftMargin).arg(printer.TopMargin).arg(printer.RightMargin)
                              .arg(printer.BottomMargin));
        printText(stdout, QStringLiteral("  default paper: %1 %2 x %3")
                              .arg(printer.DefPaper).arg(printer.DefPaperWidth).arg(printer.DefPaperHeight));
        for (const preview::PrinterPaper& paper : printer.Papers)
            if (paper.number != customPaperSize)
                printText(stdout, QStringLiteral("  paper %1: %2, %3 x %4")
                                      .arg(paper.number).arg(paper.name).arg(paper.widthMm).arg(paper.heightMm));
    }
}

} // namespace

int runPrintCommand(int argc, char** argv)
{
    platform::prepareHeadlessGui();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args[0] == QLatin1StringView("printers")) {
        if (args.size() != 1) {
            std::fputs(kPrintHelp, stderr);
            return 2;
        }
        listPrinters();
        return 0;
    }
    PrintCommand command;
    const QString usage = parse(args, command);
    if (!usage.isEmpty()) {
        printText(stderr, QStringLiteral("qmxdiy-report print: ") + usage);
        std::fputs(kPrintHelp, stderr);
        return 2;
    }
    return printFile(command);
}
