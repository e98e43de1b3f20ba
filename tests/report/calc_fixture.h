#pragma once

// A report for the Calc tests: one page with a master data band fed by an in-memory data
// source "ds" (fields A, B and S), its footer, a page footer and a report summary, each with
// a text object; the C locale for number texts.

#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_calc.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/value/frx_value.h"

#include <QVariantMap>
#include <gtest/gtest.h>

namespace calctest {

using namespace report;

class CalcTest : public ::testing::Test {
protected:
    CalcTest()
    {
        saved_ = formatLocale();
        setFormatLocale(QLocale::c());
        report.SetName(QStringLiteral("frxReport1"));
        page->SetName(QStringLiteral("Page1"));
        master->SetName(QStringLiteral("MasterData1"));
        footer->SetName(QStringLiteral("Footer1"));
        pageFooter->SetName(QStringLiteral("PageFooter1"));
        summary->SetName(QStringLiteral("ReportSummary1"));
        master->Footer = footer;
        ds.SetName(QStringLiteral("ds"));
        ds.Fields = QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("S")};
        ds.RangeEnd = TfrxRangeEnd::reCount;
        ds.GetValueHandler = [this](TfrxUserDataSet& self, const QString& field) {
            return self.RecNo < int(rows.size()) ? rows[size_t(self.RecNo)].value(field.toUpper()) : QVariant();
        };
        report.DataSets().Add(&report).SetDataSet(&ds);
        master->SetDataSet(&ds);
        calc.StartPreparation(46000.75); // 2025-12-09 18:00
    }
    ~CalcTest() override { setFormatLocale(saved_); }

    // A text object with that text in the band; its name is the current object.
    TfrxMemoView* memo(TfrxBand* band, const QString& name, const QString& text)
    {
        auto* m = new TfrxMemoView(band);
        m->SetName(name);
        m->SetText(text);
        return m;
    }

    void setRows(std::vector<QVariantMap> r)
    {
        rows = std::move(r);
        ds.RangeEndCount = int(rows.size());
        ds.First();
    }

    // The value of an expression, or the text "error: <line>".
    Value calcOrError(const QString& expression)
    {
        try {
            return calc.Calc(expression);
        } catch (const CalcError& e) {
            return Value(QStringLiteral("error: ") + e.message());
        }
    }

    TfrxReport report;
    TfrxReportPage* page = new TfrxReportPage(&report);
    TfrxMasterData* master = new TfrxMasterData(page);
    TfrxFooter* footer = new TfrxFooter(page);
    TfrxPageFooter* pageFooter = new TfrxPageFooter(page);
    TfrxReportSummary* summary = new TfrxReportSummary(page);
    TfrxUserDataSet ds;
    std::vector<QVariantMap> rows;
    ReportCalc calc{report};

private:
    QLocale saved_;
};

inline QVariantMap row(const QVariant& a, const QVariant& b = {}, const QVariant& s = {})
{
    return {{QStringLiteral("A"), a}, {QStringLiteral("B"), b}, {QStringLiteral("S"), s}};
}

} // namespace calctest

namespace report {
// Readable values in test failures.
inline void PrintTo(const Value& v, std::ostream* out)
{
    *out << v.typeName().toStdString() << "(";
    try {
        *out << v.toString().toStdString();
    } catch (...) {
        *out << "?";
    }
    *out << ")";
}
} // namespace report
