#pragma once
// The rows the prepared-pages benchmarks store: a page with a data band of five framed texts
// (number, description, quantity, price, amount), filled per line as a quotation would be.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"

#include <QString>

namespace bench {

inline constexpr int kMemosPerBand = 5;

struct QuotationRows {
    report::TfrxReport report;
    report::TfrxReportPage* page;
    report::TfrxMasterData* band;
    report::TfrxMemoView* memos[kMemosPerBand];

    QuotationRows()
    {
        using namespace report;
        page = new TfrxReportPage(&report);
        page->SetName(QStringLiteral("Page1"));
        page->SetDefaults();
        band = new TfrxMasterData(page);
        band->SetName(QStringLiteral("MasterData1"));
        band->SetBounds(0, 0, 718, 24);
        const double lefts[] = {0, 40, 400, 480, 600};
        const double widths[] = {40, 360, 80, 120, 118};
        for (int i = 0; i < kMemosPerBand; ++i) {
            memos[i] = new TfrxMemoView(band);
            memos[i]->SetName(QStringLiteral("Memo%1").arg(i + 1));
            memos[i]->SetBounds(lefts[i], 2, widths[i], 20);
            memos[i]->Frame().Typ = 15;
        }
    }

    // The texts of quotation line `line` (0-based).
    void fill(int line)
    {
        memos[0]->SetText(QString::number(line + 1));
        memos[1]->SetText(QStringLiteral("金士顿 FURY Beast DDR4 3200 16GB 台式机内存 %1").arg(line % 97));
        memos[2]->SetText(QString::number(line % 4 + 1));
        memos[3]->SetText(QString::number(199 + line % 1000) + QStringLiteral(".00"));
        memos[4]->SetText(QString::number((199 + line % 1000) * (line % 4 + 1)) + QStringLiteral(".00"));
    }
};

} // namespace bench
