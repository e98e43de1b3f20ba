// qmxdiy-report eval and expand: expressions and bracketed texts evaluated in an empty
// report whose preparation has just started.

#include "report_eval.h"

#include "report/calc/frx_calc.h"
#include "report/calc/frx_text_data.h"
#include "report/format/frx_display_format.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <cstdio>

using namespace report;

namespace {

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

// Takes the leading "--var NAME=VALUE" options as report variables; false on a malformed one.
bool takeVariables(TfrxReport& report, QStringList& args)
{
    while (!args.isEmpty() && args.front() == QLatin1StringView("--var")) {
        if (args.size() < 2)
            return false;
        const QString assignment = args[1];
        const qsizetype eq = assignment.indexOf(u'=');
        if (eq <= 0)
            return false;
        TfrxVariable& v = report.Variables().Add();
        v.Name = assignment.left(eq);
        v.Value = assignment.mid(eq + 1);
        args.remove(0, 2);
    }
    return true;
}

// Prints the error lines that did not stop the run; 1 when there were any.
int finish(const TfrxReport& report)
{
    for (const QString& line : report.Errors())
        print(stderr, line + u'\n');
    return report.Errors().isEmpty() ? 0 : 1;
}

template <class Body>
int run(QStringList args, Body&& body)
{
    TfrxReport report;
    if (!takeVariables(report, args) || args.isEmpty()) {
        print(stderr, QStringLiteral("Usage: qmxdiy-report eval|expand [--var NAME=VALUE]... ARG...\n"));
        return 2;
    }
    ReportCalc calc(report);
    try {
        calc.StartPreparation();
        body(report, calc, args);
    } catch (const CalcError& e) {
        print(stderr, e.message() + u'\n');
        return 1;
    }
    return finish(report);
}

} // namespace

int evalCommand(const QStringList& args)
{
    return run(args, [](TfrxReport&, ReportCalc& calc, const QStringList& exprs) {
        for (const QString& e : exprs) {
            const QString text = plainText(calc.Calc(e));
            print(stdout, text + u'\n');
            std::fflush(stdout);
        }
    });
}

int expandCommand(const QStringList& args)
{
    return run(args, [](TfrxReport& report, ReportCalc& calc, const QStringList& rest) {
        auto* page = new TfrxReportPage(&report);
        auto* band = new TfrxMasterData(page);
        auto* memo = new TfrxMemoView(band);
        memo->SetName(QStringLiteral("Memo1"));
        calc.SetCurrentBand(band);
        calc.SetCurrentObjectName(memo->Name());
        // Several arguments are one text with blanks between them, as a shell user expects.
        print(stdout, expandMemoText(calc, *memo, rest.join(u' ')) + u'\n');
    });
}
