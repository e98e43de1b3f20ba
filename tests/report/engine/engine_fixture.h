#pragma once

// A report to prepare in the engine tests: one A4 page with 20 mm margins (printable area
// 170 x 257 mm), an in-memory data source "ds" with fields N (1, 2, 3, ...), G and V, and
// helpers that add bands and text objects and read the prepared pages back as the bands
// placed on each page with their tops and texts.

#include "report/calc/frx_calc.h"
#include "report/engine/report_shell.h"
#include "report/format/frx_display_format.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_types.h"
#include "report/model/frx_views.h"
#include "report/pages/preview_pages.h"

#include <QVariantMap>
#include <gtest/gtest.h>
#include <memory>

namespace enginetest {

using namespace report;

// One band on a prepared page: its source name, top, height and its text objects' texts.
struct Placed {
    QString name;
    double top;
    double height;
    QStringList texts;
};
using PageLayout = std::vector<Placed>;

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        saved_ = formatLocale();
        setFormatLocale(QLocale::c());
        report.SetName(QStringLiteral("frxReport1"));
        dataPage->SetName(QStringLiteral("Data"));
        page->SetName(QStringLiteral("Page1"));
        page->SetPaperSize(9);
        page->LeftMargin = page->RightMargin = page->TopMargin = page->BottomMargin = 20;
        ds.SetName(QStringLiteral("ds"));
        ds.Fields = QStringList{QStringLiteral("N"), QStringLiteral("G"), QStringLiteral("V")};
        ds.RangeEnd = TfrxRangeEnd::reCount;
        ds.GetValueHandler = [this](TfrxUserDataSet& self, const QString& field) {
            return self.RecNo >= 0 && self.RecNo < int(rows.size()) ? rows[size_t(self.RecNo)].value(field.toUpper())
                                                                    : QVariant();
        };
        report.DataSets().Add(&report).SetDataSet(&ds);
        report.EngineOptions().NewSilentMode = TfrxSilentMode::simSilent;
        setRowCount(0);
    }
    ~EngineTest() override { setFormatLocale(saved_); }

    // Rows N = 1..count, G = the group letter of every `groupSize` rows, V = N * 10.
    void setRowCount(int count, int groupSize = 1000000)
    {
        rows.clear();
        for (int i = 0; i < count; ++i)
            rows.push_back({{QStringLiteral("N"), i + 1},
                            {QStringLiteral("G"), QString(QChar(u'A' + (i / groupSize) % 26))},
                            {QStringLiteral("V"), (i + 1) * 10}});
        ds.RangeEndCount = count;
    }

    template <class Band>
    Band* band(const QString& name, double top, double height, TfrxComponent* parent = nullptr)
    {
        auto* b = new Band(parent ? parent : page);
        b->SetName(name);
        b->SetBounds(0, top, 170 * fr01cm, height);
        if constexpr (std::is_base_of_v<TfrxDataBand, Band>)
            b->SetDataSet(&ds);
        return b;
    }

    TfrxMemoView* memo(TfrxBand* band, const QString& name, const QString& text, double top = 0, double height = 18)
    {
        auto* m = new TfrxMemoView(band);
        m->SetName(name);
        m->SetBounds(0, top, 100, height);
        m->SetText(text);
        return m;
    }

    bool prepare() { return shell.PrepareReport(true); }

    // Reading the pages rebuilds them from the store; the bands come in output order.
    std::vector<PageLayout> layout()
    {
        std::vector<PageLayout> out;
        TfrxPreviewPages& pages = shell.PreviewPages();
        for (int i = 0; i < pages.PageCount(); ++i) {
            PageLayout bands;
            for (TfrxComponent* c : pages.GetPreparedPage(i)->Objects()) {
                Placed p{c->Name(), c->Top(), c->Height(), {}};
                for (TfrxComponent* o : c->Objects())
                    if (auto* m = dynamic_cast<TfrxCustomMemoView*>(o))
                        p.texts << m->Text();
                bands.push_back(p);
            }
            out.push_back(bands);
        }
        return out;
    }

public:
    // The names of the bands on a page, in output order.
    static QStringList names(const PageLayout& page)
    {
        QStringList n;
        for (const Placed& p : page)
            n << p.name;
        return n;
    }

    // The first text of every band of that name on a page.
    static QStringList textsOf(const PageLayout& page, const QString& name)
    {
        QStringList t;
        for (const Placed& p : page)
            if (p.name == name)
                t << p.texts.value(0);
        return t;
    }

    // The first text of every band of that name on all pages, in page order.
    static QStringList allTexts(const std::vector<PageLayout>& pages, const QString& name)
    {
        QStringList t;
        for (const PageLayout& p : pages)
            t << textsOf(p, name);
        return t;
    }

    static const Placed* find(const PageLayout& page, const QString& name)
    {
        for (const Placed& p : page)
            if (p.name == name)
                return &p;
        return nullptr;
    }

protected:
    // The printable height of the page.
    static constexpr double kPageHeight = 257 * fr01cm;

    TfrxReport report;
    // As every stored template has one.
    TfrxDataPage* dataPage = new TfrxDataPage(&report);
    TfrxReportPage* page = new TfrxReportPage(&report);
    TfrxUserDataSet ds;
    std::vector<QVariantMap> rows;
    ReportShell shell{report};

private:
    QLocale saved_;
};

} // namespace enginetest
