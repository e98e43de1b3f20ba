// qmxdiy-report prepare: a template and its data turned into prepared pages and saved.

#include "report_prepare.h"

#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "generated_lines.h"
#include "report_output.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_report.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_sheet_details.h"
#include "report/storage/quotation_template.h"

#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using namespace report;

const char* const kPrepareHelp =
    "  prepare (TEMPLATE.xml | --builtin) [(--db FILE | --server URL) (--quotation NUMBER\n"
    "          | --sql SELECT --dataset NAME)] [--csv NAME=FILE.csv]... [--rows N]\n"
    "          [--double-pass]\n"
    "          -o OUT.fp3|OUT.pdf|OUT-%d.png [--dpi N]\n"
    "                    prepare a template (or the built-in quotation template) over\n"
    "                    the lines of a quotation in a catalogue file (or in the\n"
    "                    catalogue on a PostgreSQL server, postgresql://USER@HOST/DB),\n"
    "                    the rows of a SELECT given the data-source name NAME, or N\n"
    "                    generated\n"
    "                    quotation lines held in memory; --csv adds a data source NAME\n"
    "                    over a CSV file (header row = field names; UTF-8 or GBK,\n"
    "                    comma, semicolon or tab separated; named frxDBDataset1, it\n"
    "                    feeds the built-in template; the built-in template over\n"
    "                    --quotation prints the shop's details and the customer as\n"
    "                    the program does); write a\n"
    "                    prepared report, a PDF, or one PNG per page at --dpi (96);\n"
    "                    print \"pages: N\", then the\n"
    "                    error lines; exit 0 when the preparation succeeded, 1 when it\n"
    "                    reported errors (the pages made are still written), 2 for bad\n"
    "                    usage, an unreadable template or an output that cannot be\n"
    "                    written (the error lines are printed all the same)\n";

namespace {

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

struct PrepareArgs {
    QString templatePath;
    bool builtin = false;
    QString dbFile, quotation, sql, dataset, output;
    bool server = false; // dbFile is a server's address
    QStringList csv; // NAME=FILE
    int rows = -1;
    int dpi = 96;
    bool doublePass = false;
};

// Reads the options; an empty error text means they are complete and consistent.
QString parseArgs(const QStringList& args, PrepareArgs& a)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        bool ok = true;
        if (arg == QLatin1StringView("--builtin")) {
            a.builtin = true;
        } else if (arg == QLatin1StringView("--double-pass")) {
            a.doublePass = true;
        } else if (arg == QLatin1StringView("--db") || arg == QLatin1StringView("--server")) {
            if (!a.dbFile.isEmpty())
                return QStringLiteral("give the catalogue once, with --db or --server");
            ok = value(a.dbFile);
            a.server = arg == QLatin1StringView("--server");
            if (ok && a.server && !db::isServerAddress(a.dbFile))
                return QStringLiteral("--server takes an address postgresql://USER@HOST/DATABASE");
        } else if (arg == QLatin1StringView("--quotation")) {
            ok = value(a.quotation);
        } else if (arg == QLatin1StringView("--sql")) {
            ok = value(a.sql);
        } else if (arg == QLatin1StringView("--dataset")) {
            ok = value(a.dataset);
        } else if (arg == QLatin1StringView("-o")) {
            ok = value(a.output);
        } else if (arg == QLatin1StringView("--csv")) {
            QString source;
            ok = value(source);
            a.csv << source;
        } else if (arg == QLatin1StringView("--dpi")) {
            QString n;
            ok = value(n);
            a.dpi = ok ? n.toInt(&ok) : 0;
            ok = ok && a.dpi >= 1 && a.dpi <= 2400;
        } else if (arg == QLatin1StringView("--rows")) {
            QString n;
            ok = value(n);
            a.rows = ok ? n.toInt(&ok) : -1;
            ok = ok && a.rows >= 0;
        } else if (!arg.startsWith(u'-') && a.templatePath.isEmpty()) {
            a.templatePath = arg;
        } else {
            return QStringLiteral("unknown or incomplete option: ") + arg;
        }
        if (!ok)
            return QStringLiteral("option needs a value: ") + arg;
    }
    if (a.builtin == !a.templatePath.isEmpty())
        return QStringLiteral("give either a template file or --builtin");
    if (a.output.isEmpty())
        return QStringLiteral("-o OUT is required");
    if (!isOutputName(a.output, true))
        return QStringLiteral("-o takes a name ending in .fp3 or .pdf, or one with %d ending in .png");
    if (!a.dbFile.isEmpty() && a.quotation.isEmpty() == a.sql.isEmpty())
        return QStringLiteral("--db and --server need either --quotation or --sql");
    if ((!a.quotation.isEmpty() || !a.sql.isEmpty()) && a.dbFile.isEmpty())
        return QStringLiteral("--quotation and --sql need --db or --server");
    if (!a.sql.isEmpty() && a.dataset.isEmpty())
        return QStringLiteral("--sql needs --dataset NAME");
    if (!a.sql.isEmpty() && !a.sql.trimmed().startsWith(QLatin1StringView("select"), Qt::CaseInsensitive))
        return QStringLiteral("--sql takes a SELECT statement only");
    if (a.rows >= 0 && !a.dbFile.isEmpty())
        return QStringLiteral("--rows excludes --db and --server");
    return {};
}

// The data the template runs over; it must exist before the template is loaded, so that
// the template's data-set list finds it by name.
struct Data {
    std::unique_ptr<db::Connection> connection;
    std::unique_ptr<db::Dataset> query;
    std::unique_ptr<TfrxDataSet> source;
    std::vector<std::unique_ptr<TfrxCsvDataSet>> csv;
};

// The name of the data source the template is prepared over unless a CSV file stands in.
QString mainSourceName(const PrepareArgs& a)
{
    return a.sql.isEmpty() ? QStringLiteral("frxDBDataset1") : a.dataset;
}

// True when a --csv source takes the main source's name: its rows then feed the template
// (the built-in one included) in place of an empty database source.
bool csvFeedsMainSource(const PrepareArgs& a)
{
    if (a.rows >= 0 || !a.dbFile.isEmpty())
        return false;
    const QString prefix = mainSourceName(a) + u'=';
    return std::any_of(a.csv.cbegin(), a.csv.cend(),
                       [&](const QString& source) { return source.startsWith(prefix, Qt::CaseInsensitive); });
}

Data openData(const PrepareArgs& a)
{
    Data d;
    if (csvFeedsMainSource(a)) {
        // no source of its own: the CSV source of that name is found by the template
    } else if (a.rows >= 0) {
        d.source = std::make_unique<GeneratedLinesDataSet>(a.rows);
    } else {
        auto lines = std::make_unique<TfrxDBDataset>();
        if (!a.dbFile.isEmpty()) {
            d.connection = std::make_unique<db::Connection>();
            d.connection->setConnectionString(
                a.server ? a.dbFile
                         : QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=%2")
                               .arg(a.dbFile, QLatin1StringView(db::kDatabasePassword)));
            d.connection->open();
            const bool quotation = !a.quotation.isEmpty();
            d.query = std::make_unique<db::Dataset>(quotation ? QStringLiteral("ADOQueryDIY") : a.dataset,
                                                    d.connection.get());
            db::openStatement(*d.query, quotation ? db::statements::linesOfNumber(a.quotation) : a.sql);
            lines->DataSet = d.query.get();
        }
        lines->CloseDataSource = false;
        d.source = std::move(lines);
    }
    if (d.source)
        d.source->SetName(mainSourceName(a));
    for (const QString& source : a.csv)
        d.csv.push_back(csvDataSetOf(source));
    return d;
}

} // namespace

bool loadTemplateFile(TfrxReport& report, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        print(stderr, QStringLiteral("%1: %2\n").arg(path, file.errorString()));
        return false;
    }
    loadOwnTemplate(report, file.readAll());
    if (!report.LoadFailure.isEmpty()) {
        print(stderr, QStringLiteral("%1: %2\n").arg(path, report.LoadFailure));
        return false;
    }
    return true;
}

int prepareCommand(const QStringList& args)
{
    PrepareArgs a;
    const QString usage = parseArgs(args, a);
    if (!usage.isEmpty()) {
        print(stderr, QStringLiteral("qmxdiy-report prepare: ") + usage + u'\n');
        std::fputs(kPrepareHelp, stderr);
        return 2;
    }
    Data data;
    try {
        data = openData(a);
    } catch (const std::exception& e) {
        print(stderr, platform::errorMessage(e) + u'\n');
        return 2;
    }
    TfrxReport report;
    if (a.builtin) {
        loadQuotationTemplate(report);
        // The shop's details and the quotation's customer, as the program prints them.
        if (!a.quotation.isEmpty()) {
            try {
                applySheetDetails(report, sheetDetailsOf(*data.connection, a.quotation));
            } catch (const std::exception& e) {
                print(stderr, platform::errorMessage(e) + u'\n');
                return 2;
            }
        }
    }
    else if (!loadTemplateFile(report, a.templatePath))
        return 2;
    // The CSV sources are the report's too, so that expressions reach them by name.
    for (const auto& source : data.csv)
        if (!report.DataSets().Find(source.get()))
            report.DataSets().Add(&report).SetDataSet(source.get());
    // Load-time error lines (unknown classes, refused children) are reported with the run's.
    const QStringList loadErrors = report.Errors();
    report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
    // The template is not used again after this one preparation: the copy it would be
    // restored from afterwards is not made (for a large template, a quarter of the time).
    report.EngineOptions().DestroyForms = false;
    if (a.doublePass)
        report.EngineOptions().DoublePass = true;
    ReportShell shell(report);
    const bool prepared = shell.PrepareReport(true);
    QString writeFailure;
    try {
        TfrxExportSettings settings;
        settings.Dpi = a.dpi;
        writePreparedOutput(shell.PreviewPages(), a.output, settings);
    } catch (const std::exception& e) {
        writeFailure = platform::errorMessage(e);
    }
    // The preparation's error lines are printed whether or not the output could be written:
    // they often say why it came out as it did.
    print(stdout, QStringLiteral("pages: %1\n").arg(shell.PreviewPages().PageCount()));
    QStringList lines = loadErrors;
    for (const QString& line : report.Errors())
        if (!lines.contains(line))
            lines << line;
    for (const QString& line : lines)
        print(stdout, line + u'\n');
    if (!writeFailure.isEmpty()) {
        print(stderr, writeFailure + u'\n');
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(2);
    }
    // Everything is written: the process ends without taking its pages apart object by
    // object, which takes a noticeable part of a long report's time for nothing.
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(prepared && loadErrors.isEmpty() ? 0 : 1);
}
