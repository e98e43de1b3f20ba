// The band engine measuring a text object once per row: CalcHeight of a 75 mm, 9-point
// description cell over 100,000 quotation lines of about 60 mixed Chinese and Latin
// characters, as the object's text changes from row to row.
#include "quotation_descriptions.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/render/item_render.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRepeats = 3;

} // namespace

int main(int argc, char** argv)
{
    useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    const std::vector<QString> texts = quotationDescriptions(kRows);

    report::TfrxReport report;
    auto* page = new report::TfrxReportPage(&report);
    auto* band = new report::TfrxMasterData(page);
    auto* memo = new report::TfrxMemoView(band);
    report::TfrxFont font = memo->Font();
    font.SetName(QString::fromUtf8("宋体"));
    font.SetSize(9);
    memo->SetFont(font);
    memo->SetBounds(0, 0, 75 * report::fr01cm, 20);
    memo->Frame().Typ = 15;
    memo->SetText(texts.front());
    calcItemHeight(*memo); // fill the width tables before timing

    double best = 1e300;
    double heights = 0;
    for (int r = 0; r < kRepeats; ++r) {
        heights = 0;
        QElapsedTimer t;
        t.start();
        for (const QString& text : texts) {
            memo->Memo = QStringList{text};
            heights += calcItemHeight(*memo);
        }
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    std::printf("text object CalcHeight: %.0f calls/s (%.1f units high on average)\n", kRows / best,
                heights / kRows);
    return 0;
}
