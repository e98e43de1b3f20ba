// Template storage: saving and loading a report of 100,000 text objects through the
// serialiser, against reading the same bytes into the XML tree alone and by pugixml.
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

using namespace report;

constexpr int kMemos = 100000;
constexpr int kRepeats = 3;

void fill(TfrxReport& report)
{
    static const char* const texts[] = {
        "华硕 TUF GAMING B760M-PLUS WIFI D4 主板",
        "英特尔 酷睿 i5-13400F 盒装处理器 10核16线程",
        "金士顿 FURY Beast DDR4 3200 16GB×2 套条\r\n终身保固",
        "[<HW.\"HW_JG\"> * 数量] 元 & 含税",
    };
    auto* data = new TfrxDataPage(&report);
    data->SetName(QStringLiteral("Data"));
    auto* page = new TfrxReportPage(&report);
    page->SetName(QStringLiteral("Page1"));
    // Filled before it joins the report: a name given inside a report is checked against
    // every object of it.
    auto* band = new TfrxMasterData;
    band->SetName(QStringLiteral("MasterData1"));
    for (int i = 0; i < kMemos; ++i) {
        auto* memo = new TfrxMemoView(band);
        memo->SetName(QStringLiteral("Memo%1").arg(i + 1));
        memo->SetBounds(3.77953 * (i % 40), 18.89765 * (i % 7), 94.48825, 18.89765);
        memo->SetText(QString::fromUtf8(texts[i % 4]));
        if (i % 3 == 0)
            memo->HAlign = TfrxHAlign::haCenter;
    }
    band->SetParent(page);
}

// The best time of run; after, when given, follows each run outside the timing.
double best(const std::function<void()>& run, const std::function<void()>& after = {})
{
    double ms = 1e18;
    for (int i = 0; i < kRepeats; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms = std::min(ms, t.nsecsElapsed() / 1e6);
        if (after)
            after();
    }
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TfrxReport report;
    fill(report);

    QByteArray bytes;
    const double writeMs = best([&] {
        bytes.clear();
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        report.SaveToStream(buffer);
    });
    // Loading fills a new report; closing it again is timed apart.
    std::unique_ptr<TfrxReport> loaded;
    double closeMs = 1e18;
    const double readMs = best(
        [&] {
            loaded = std::make_unique<TfrxReport>();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            loaded->LoadFromStream(buffer);
        },
        [&] {
            QElapsedTimer t;
            t.start();
            loaded.reset();
            closeMs = std::min(closeMs, t.nsecsElapsed() / 1e6);
        });
    // Trees are destroyed outside the timing, as pugixml's document is below.
    std::unique_ptr<TfrxXMLDocument> doc;
    const double treeMs = best(
        [&] {
            doc = std::make_unique<TfrxXMLDocument>();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::ReadOnly);
            doc->loadFromStream(buffer);
        },
        [&] { doc.reset(); });
    std::unique_ptr<pugi::xml_document> pugiDoc;
    const double pugiMs = best(
        [&] {
            pugiDoc = std::make_unique<pugi::xml_document>();
            if (!pugiDoc->load_buffer(bytes.constData(), size_t(bytes.size())))
                std::printf("pugixml could not read the template\n");
        },
        [&] { pugiDoc.reset(); });
    const double mb = bytes.size() / 1e6;
    std::printf("template of %d text objects: %.1f MB\n", kMemos, mb);
    std::printf("save: %.1f ms, %.1f MB/s, %.0f objects/s (goal >= 300000)\n", writeMs, mb / writeMs * 1e3, kMemos / writeMs * 1e3);
    std::printf("load: %.1f ms, %.1f MB/s, %.0f objects/s (goal >= 300000)\n", readMs, mb / readMs * 1e3, kMemos / readMs * 1e3);
    std::printf("load / reading the XML tree alone: %.2f\n", readMs / treeMs);
    std::printf("destroying the loaded report: %.1f ms\n", closeMs);
    std::printf("read of the XML tree alone: %.1f ms, %.1f MB/s\n", treeMs, mb / treeMs * 1e3);
    std::printf("read of the same bytes by pugixml: %.1f ms, %.1f MB/s\n", pugiMs, mb / pugiMs * 1e3);
    std::printf("XML read ratio ours / pugixml: %.2f (goal <= 2.0)\n", treeMs / pugiMs);
    return 0;
}
