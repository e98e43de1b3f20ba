// Expressions through the report's own path: Calc with its name check and expression cache
// over a user data source, and a text object's bracket expanded with its text conversion.
#include "report/calc/frx_calc.h"
#include "report/calc/frx_text_data.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include "best_rate.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace report;

namespace {

constexpr int kRows = 1024;
constexpr int kRepeats = 5;
constexpr qint64 kEvaluations = 1'000'000;

} // namespace

int main()
{
    std::vector<QVariant> a, b;
    for (int i = 0; i < kRows; ++i) {
        a.emplace_back(1 + i % 17);
        b.emplace_back(0.5 + (i % 101) * 1.25);
    }
    TfrxReport report;
    TfrxUserDataSet ds;
    ds.SetName(QStringLiteral("ds"));
    ds.Fields = {QStringLiteral("A"), QStringLiteral("B")};
    ds.GetValueHandler = [&](TfrxUserDataSet& self, const QString& field) {
        const int row = self.RecNo & (kRows - 1);
        return field.size() == 1 && field[0] == u'A' ? a[size_t(row)] : b[size_t(row)];
    };
    report.DataSets().Add(&report).SetDataSet(&ds);
    auto* page = new TfrxReportPage(&report);
    auto* band = new TfrxMasterData(page);
    auto* memo = new TfrxMemoView(band);
    memo->SetName(QStringLiteral("Memo1"));
    ReportCalc calc(report);
    calc.StartPreparation();

    double checksum = 0;
    const QString expression = QStringLiteral("<ds.\"A\"> * <ds.\"B\"> + 1");
    const double calcs = bestRate(kRepeats, kEvaluations, [&](qint64 n) {
        double sum = 0;
        for (qint64 i = 0; i < n; ++i) {
            sum += calc.Calc(expression).doubleValue();
            ++ds.RecNo;
        }
        checksum += sum;
    });

    const QString text = QStringLiteral("[<ds.\"A\"> * <ds.\"B\">]");
    const double expansions = bestRate(kRepeats, kEvaluations, [&](qint64 n) {
        qint64 length = 0;
        for (qint64 i = 0; i < n; ++i) {
            length += expandMemoText(calc, *memo, text).size();
            ++ds.RecNo;
        }
        checksum += double(length);
    });

    std::printf("Calc of <ds.\"A\"> * <ds.\"B\"> + 1 over a user data source: %.0f/s\n", calcs);
    std::printf("text object bracket expansions of [<ds.\"A\"> * <ds.\"B\">] through Calc: %.0f/s (goal >= 1000000/s)\n",
                expansions);
    std::fprintf(stderr, "checksum %.0f\n", checksum);
    return 0;
}
