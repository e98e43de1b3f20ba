// The band engine's extensions at work: a 3-column price list of 50,000 items in groups by
// category with an outline, and a 10,000-row report whose description texts split across
// pages. Each prints pages per second and rows per second (best of several runs), next to
// the quotation printout's rows per second over 10,000 generated lines measured in the same
// run, and the ratio of the two rates (the goal: within 1.5).
#include "generated_lines.h"
#include "report/engine/report_shell.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"
#include "report/storage/quotation_template.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

using namespace report;

constexpr int kRuns = 3;

struct Rate {
    double rowsPerSecond = 0;
    double pagesPerSecond = 0;
    int pages = 0;
};

// Prepares the report `kRuns` times and keeps the best rates.
Rate measure(TfrxReport& report, int rows)
{
    Rate best;
    report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
    for (int run = 0; run < kRuns; ++run) {
        ReportShell shell(report);
        QElapsedTimer t;
        t.start();
        if (!shell.PrepareReport(true)) {
            std::printf("preparation failed: %s\n", qPrintable(report.Errors().join(u' ')));
            return best;
        }
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        best.pages = shell.PreviewPages().PageCount();
        best.rowsPerSecond = std::max(best.rowsPerSecond, rows / seconds);
        best.pagesPerSecond = std::max(best.pagesPerSecond, best.pages / seconds);
    }
    return best;
}

Rate quotation(int lines)
{
    GeneratedLinesDataSet source(lines);
    source.SetName(QStringLiteral("frxDBDataset1"));
    TfrxReport report;
    loadQuotationTemplate(report);
    return measure(report, lines);
}

// A report page (A4, 10 mm margins) with a data source of `rows` rows whose fields the
// function gives.
struct Built {
    TfrxReport report;
    TfrxDataPage* data = new TfrxDataPage(&report);
    TfrxReportPage* page = new TfrxReportPage(&report);
    TfrxUserDataSet source;

    Built(int rows, QStringList fields, std::function<QVariant(int row, const QString& field)> value)
    {
        report.SetName(QStringLiteral("Report"));
        data->SetName(QStringLiteral("Data"));
        page->SetName(QStringLiteral("Page1"));
        page->SetPaperSize(9);
        page->LeftMargin = page->RightMargin = page->TopMargin = page->BottomMargin = 10;
        source.SetName(QStringLiteral("Items"));
        source.Fields = fields;
        source.RangeEnd = TfrxRangeEnd::reCount;
        source.RangeEndCount = rows;
        source.GetValueHandler = [value](TfrxUserDataSet& self, const QString& field) {
            return value(self.RecNo, field);
        };
        report.DataSets().Add(&report).SetDataSet(&source);
    }

    template <class Band>
    Band* band(const QString& name, double top, double height)
    {
        auto* b = new Band(page);
        b->SetName(name);
        b->SetBounds(0, top, 190 * fr01cm, height);
        return b;
    }
    TfrxMemoView* memo(TfrxBand* band, const QString& name, const QString& text, double left, double width)
    {
        auto* m = new TfrxMemoView(band);
        m->SetName(name);
        m->SetBounds(left, 0, width, 18);
        m->SetText(text);
        return m;
    }
};

Rate priceList(int items)
{
    const QStringList categories{"主板", "内存", "硬盘", "显卡", "电源", "机箱", "显示器", "键鼠"};
    const int perCategory = (items + int(categories.size()) - 1) / int(categories.size());
    Built b(items, {"CAT", "NAME", "PRICE"}, [&](int row, const QString& field) -> QVariant {
        if (field == QLatin1StringView("CAT"))
            return categories[row / perCategory];
        if (field == QLatin1StringView("NAME"))
            return QStringLiteral("%1 型号 %2").arg(categories[row / perCategory]).arg(row + 1);
        return 100 + row % 900;
    });
    b.page->OutlineText = QStringLiteral("'第 ' + IntToStr(<Page#>) + ' 页'");
    auto* header = b.band<TfrxPageHeader>(QStringLiteral("PageHeader1"), 0, 24);
    b.memo(header, QStringLiteral("Heading"), QStringLiteral("价格表 [Page#]"), 0, 300);
    auto* group = b.band<TfrxGroupHeader>(QStringLiteral("GroupHeader1"), 50, 24);
    group->Condition = QStringLiteral("<Items.\"CAT\">");
    group->OutlineText = QStringLiteral("<Items.\"CAT\">");
    b.memo(group, QStringLiteral("Category"), QStringLiteral("[Items.\"CAT\"]"), 0, 300);
    auto* rows = b.band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 20);
    rows->SetDataSet(&b.source);
    rows->Columns = 3;
    rows->ColumnWidth = 236;
    rows->ColumnGap = 5;
    b.memo(rows, QStringLiteral("Name"), QStringLiteral("[Items.\"NAME\"]"), 0, 170);
    b.memo(rows, QStringLiteral("Price"), QStringLiteral("[Items.\"PRICE\"]"), 170, 60);
    auto* footer = b.band<TfrxGroupFooter>(QStringLiteral("GroupFooter1"), 150, 20);
    b.memo(footer, QStringLiteral("Count"), QStringLiteral("[COUNT(MasterData1)]"), 0, 300);
    return measure(b.report, items);
}

Rate splitDescriptions(int count)
{
    Built b(count, {"N", "TEXT"}, [](int row, const QString& field) -> QVariant {
        if (field == QLatin1StringView("N"))
            return row + 1;
        QString text;
        for (int i = 0; text.size() < 240 + row % 160; ++i)
            text += QStringLiteral("第%1项说明 part %2, ").arg(row + 1).arg(i);
        return text;
    });
    auto* footer = b.band<TfrxPageFooter>(QStringLiteral("PageFooter1"), 300, 30);
    b.memo(footer, QStringLiteral("PageNo"), QStringLiteral("[Page#]"), 0, 200);
    auto* rows = b.band<TfrxMasterData>(QStringLiteral("MasterData1"), 100, 40);
    rows->SetDataSet(&b.source);
    rows->AllowSplit = true;
    rows->Stretched = true;
    b.memo(rows, QStringLiteral("N"), QStringLiteral("[Items.\"N\"]"), 0, 60);
    TfrxMemoView* text = b.memo(rows, QStringLiteral("Text"), QStringLiteral("[Items.\"TEXT\"]"), 60, 300);
    text->StretchMode = TfrxStretchMode::smActualHeight;
    return measure(b.report, count);
}

void printRate(const char* name, int rows, const Rate& r, const Rate& yardstick)
{
    std::printf("%s: %d rows, %d pages, %.0f rows/s, %.1f pages/s, quotation rows/s / this %.2f\n", name, rows,
                r.pages, r.rowsPerSecond, r.pagesPerSecond,
                r.rowsPerSecond > 0 ? yardstick.rowsPerSecond / r.rowsPerSecond : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Rate yardstick = quotation(10000);
    std::printf("quotation: 10000 rows, %d pages, %.0f rows/s, %.1f pages/s\n", yardstick.pages,
                yardstick.rowsPerSecond, yardstick.pagesPerSecond);
    printRate("price list in 3 columns with groups and an outline", 50000, priceList(50000), yardstick);
    printRate("descriptions split across pages", 10000, splitDescriptions(10000), yardstick);
    return 0;
}
