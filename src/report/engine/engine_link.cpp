// Linking the bands of a report page: data bands get their headers, footers, group headers
// and nested data bands, the page gets its master list, and bands that cannot be placed
// are reported.

#include "report/engine/frx_engine.h"

#include "report/frx_resources.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_pages.h"
#include "report/model/frx_report.h"

#include <algorithm>

namespace report {

namespace {

constexpr int kHeaderNumber = 4;
constexpr int kMasterNumber = 6;
constexpr int kLastDataNumber = 11;
constexpr int kGroupFooterNumber = 13;

bool isDataBand(const TfrxBand* b) { return as<TfrxDataBand>(b) != nullptr; }
bool isGroupHeader(const TfrxBand* b) { return as<TfrxGroupHeader>(b) != nullptr; }
bool isGroupFooter(const TfrxBand* b) { return as<TfrxGroupFooter>(b) != nullptr; }

void addLine(TfrxReport& report, const char* key, const TfrxBand* band)
{
    report.AddError(frxGet(QString::fromLatin1(key)) + u' ' + band->Name());
}

// Bands of numbers 4 to 13 in order of their position as "%9.2f" text; of two at the same
// text only the first in child order takes part.
QList<TfrxBand*> orderedBands(const QList<TfrxBand*>& bands, bool vertical)
{
    struct Keyed {
        QString key;
        TfrxBand* band;
    };
    std::vector<Keyed> keyed;
    for (TfrxBand* b : bands) {
        const int n = b->BandNumber();
        if (n >= kHeaderNumber && n <= kGroupFooterNumber)
            keyed.push_back({QString::asprintf("%9.2f", vertical ? b->Left() : b->Top()), b});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.key < b.key; });
    QList<TfrxBand*> list;
    for (std::size_t i = 0; i < keyed.size(); ++i)
        if (i == 0 || keyed[i].key != keyed[i - 1].key)
            list.append(keyed[i].band);
    return list;
}

void linkGroups(TfrxReport& report, QList<TfrxBand*>& list)
{
    for (qsizetype i = 0; i < list.size();) {
        if (!isGroupHeader(list[i])) {
            ++i;
            continue;
        }
        qsizetype end = i;
        while (end < list.size() && isGroupHeader(list[end]))
            ++end;
        qsizetype data = end;
        while (data < list.size() && !isDataBand(list[data]))
            ++data;
        for (qsizetype k = i; k < end; ++k) {
            if (data < list.size())
                list[data]->Groups.append(list[k]);
            else
                addLine(report, "enUnconnGroup", list[k]);
        }
        i = end;
    }
    for (qsizetype i = 0; i < list.size();) {
        if (!isGroupFooter(list[i])) {
            ++i;
            continue;
        }
        qsizetype h = i - 1;
        while (h >= 0 && !(isGroupHeader(list[h]) && !list[h]->Footer))
            --h;
        if (h < 0) {
            ++i;
            continue;
        }
        list[h]->Footer = list[i];
        list.remove(i);
        list.remove(h);
        i = h;
    }
    list.removeIf([](TfrxBand* b) { return isGroupHeader(b); });
    for (TfrxBand* b : list)
        if (isGroupFooter(b))
            addLine(report, "enUnconnGFooter", b);
    list.removeIf([](TfrxBand* b) { return isGroupFooter(b); });
}

void linkHeadersAndFooters(TfrxReport& report, QList<TfrxBand*>& list)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!isDataBand(list[i]))
            continue;
        if (i > 0 && as<TfrxHeader>(list[i - 1])) {
            list[i]->Header = list[i - 1];
            list.remove(--i);
        }
        if (i + 1 < list.size() && as<TfrxFooter>(list[i + 1])) {
            list[i]->Footer = list[i + 1];
            list.remove(i + 1);
        }
    }
    for (TfrxBand* b : list)
        if (as<TfrxHeader>(b) || as<TfrxFooter>(b))
            addLine(report, "enUnconnHeader", b);
    list.removeIf([](TfrxBand* b) { return as<TfrxHeader>(b) || as<TfrxFooter>(b); });
}

// The bands one level below the parent leave the list into its nested list; the walk ends
// at a band of the parent's level or above. At most six levels, so the recursion is shallow.
void nest(TfrxDataBand& parent, QList<TfrxBand*>& list, qsizetype& i)
{
    const int level = parent.BandNumber();
    while (i < list.size()) {
        TfrxBand* b = list[i];
        const int n = b->BandNumber();
        if (n <= level)
            return;
        if (n != level + 1) {
            ++i;
            continue;
        }
        list.remove(i);
        auto* data = static_cast<TfrxDataBand*>(b);
        if (data->DataSet())
            parent.SubBands.append(data);
        if (n < kLastDataNumber)
            nest(*data, list, i);
    }
}

} // namespace

void TfrxEngine::LinkBands(TfrxReportPage& page, bool vertical)
{
    page.AlignChildren();
    QList<TfrxDataBand*>& masters = vertical ? state_.masters(page).vertical : state_.masters(page).horizontal;
    masters.clear();
    QList<TfrxBand*> bands;
    for (TfrxComponent* c : page.Objects()) {
        auto* band = as<TfrxBand>(c);
        if (!band || band->Vertical != vertical)
            continue;
        bands.append(band);
        band->SubBands.clear();
        band->Header = band->Footer = nullptr;
        band->Groups.clear();
        auto* data = as<TfrxDataBand>(band);
        if (data && !data->DataSet() && data->RowCount() > 0) {
            data->SetDataSet(&data->VirtualDataSet());
            data->VirtualDataSet().Initialize();
        }
    }
    QList<TfrxBand*> list = orderedBands(bands, vertical);
    linkGroups(report_, list);
    linkHeadersAndFooters(report_, list);
    for (qsizetype i = 0; i < list.size();) {
        auto* master = as<TfrxMasterData>(list[i]);
        if (!master) {
            ++i;
            continue;
        }
        list.remove(i);
        if (master->DataSet())
            masters.append(master);
        nest(*master, list, i);
    }
    for (TfrxBand* b : list)
        addLine(report_, "enBandPos", b);
}

bool TfrxEngine::validate()
{
    TfrxDataSet* reportSource = report_.DataSet();
    for (int i = 0; i < report_.PagesCount(); ++i) {
        auto* page = as<TfrxReportPage>(report_.Pages(i));
        if (!page)
            continue;
        if (reportSource && reportSource == page->DataSet()) {
            report_.AddError(QStringLiteral("Cannot use the same dataset for Report.DataSet and Page.DataSet"));
            break;
        }
        for (TfrxDataBand* band : state_.masters(*page).horizontal) {
            if (reportSource && band->DataSet() == reportSource) {
                report_.AddError(QStringLiteral("Cannot use the same dataset for Report.DataSet and Band.DataSet"));
                break;
            }
            if (page->DataSet() && band->DataSet() == page->DataSet()) {
                report_.AddError(QStringLiteral("Cannot use the same dataset for Page.DataSet and Band.DataSet"));
                break;
            }
        }
    }
    return report_.Errors().isEmpty();
}

} // namespace report
