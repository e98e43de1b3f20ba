// Running data bands row by row, with their headers and footers, and the groups over them.

#include "report/engine/frx_engine.h"

#include "report/calc/frx_aggregates.h"
#include "report/calc/frx_calc.h"
#include "report/calc/frx_text_data.h"
#include "report/format/frx_display_format.h"
#include "report/engine/engine_extensions.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"
#include "report/value/frx_value_ops.h"

#include <algorithm>

namespace report {

namespace {

// Values of a group condition compared; values that cannot be compared differ when their
// texts differ.
bool sameCondition(const Value& a, const Value& b)
{
    try {
        return valuesEqual(a, b);
    } catch (const std::exception&) {
        return a.type() == b.type() && plainText(a) == plainText(b);
    }
}

} // namespace

void TfrxEngine::countRow()
{
    if (limits_.maxRows > 0 && ++rows_ > limits_.maxRows) {
        const QString line = QStringLiteral("The report stops after %1 data rows").arg(limits_.maxRows);
        report_.AddError(line);
        report_.Terminated = true;
        throw ReportError(line);
    }
}

bool TfrxEngine::rowHasData(TfrxDataBand& band)
{
    if (band.PrintIfDetailEmpty || band.SubBands.isEmpty())
        return true;
    for (TfrxBand* sub : band.SubBands)
        if (bandHasData(static_cast<TfrxDataBand&>(*sub)))
            return true;
    return false;
}

bool TfrxEngine::bandHasData(TfrxDataBand& band)
{
    runProcedure("OnMasterDetail", band.OnMasterDetail, &band);
    TfrxDataSet* source = band.DataSet();
    if (!source)
        return false;
    for (source->First(); !source->Eof() && !report_.Terminated; source->Next()) {
        countRow();
        if (rowHasData(band))
            return true;
    }
    return false;
}

void TfrxEngine::enterHeader(TfrxBand* band)
{
    if (band)
        headers_.push_back({band, CurX, ext_->keeping()});
}

void TfrxEngine::leaveHeader(TfrxBand* band)
{
    if (!band)
        return;
    std::erase_if(headers_, [band](const HeaderEntry& e) { return e.band == band; });
}

void TfrxEngine::runDataBands(const QList<TfrxDataBand*>& container)
{
    processMessages();
    if (report_.Terminated)
        return;
    for (TfrxDataBand* band : container) {
        if (band->DataSet())
            runDataBand(*band);
        if (report_.Terminated)
            break;
    }
}

void TfrxEngine::runDataBand(TfrxDataBand& band)
{
    TfrxDataSet& source = *band.DataSet();
    source.First();
    band.LineN = band.LineThrough = 1;
    state_.of(band).column = 1;
    forgetRepeatedTexts(band);
    bool first = true;
    bool printed = false;
    while (!source.Eof()) {
        countRow();
        if (rowHasData(band)) {
            printDataRow(band, first);
            printed = true;
            first = false;
        }
        noKeepAtPageStart_ = false;
        if (band.FooterAfterEach)
            ShowBand(band.Footer);
        if (band.Groups.isEmpty() && band.KeepTogether)
            ext_->closeKeep(*this, band);
        source.Next();
        if ((band.RowCount() > 0 && band.LineN > band.RowCount()) || report_.Terminated)
            break;
    }
    ext_->finishColumns(*this, band);
    if (!printed)
        return;
    // A source that counts its rows stands after the last one now; the footers see the
    // last row, as the group footers do when a group changes.
    const bool pastEnd = source.RangeEnd == TfrxRangeEnd::reCount && source.RecNo >= source.RangeEndCount && source.RecNo > 0;
    if (pastEnd)
        source.Prior();
    printGroupFooters(band, 0);
    if (!band.FooterAfterEach) {
        if (band.KeepFooter)
            ext_->openFooterKeep(*this, band);
        ShowBand(band.Footer);
        if (band.KeepFooter)
            ext_->closeFooterKeep(*this, band);
    }
    if (pastEnd)
        source.Next();
    leaveHeader(band.Header);
    if (!band.Groups.isEmpty() && band.KeepTogether)
        ext_->closeKeep(*this, band);
}

void TfrxEngine::printDataRow(TfrxDataBand& band, bool firstRow)
{
    if (firstRow) {
        if (band.KeepTogether || (band.KeepHeader && band.Header))
            ext_->openKeep(*this, band);
        if (auto* header = as<TfrxHeader>(band.Header); header && header->ReprintOnNewPage)
            enterHeader(header);
        ShowBand(band.Header);
        startGroups(band, 0, true);
    } else {
        if (band.Groups.isEmpty() && band.KeepTogether)
            ext_->openKeep(*this, band);
        checkGroups(band);
    }
    ext_->rememberRowStart(*this, band);
    line_ = band.LineN;
    lineThrough_ = band.LineThrough;
    ShowBand(&band);
    for (const auto& notify : notify_)
        notify();
    if (firstRow && band.KeepHeader && band.Header)
        ext_->closeKeep(*this, band);
    ++band.LineN;
    ++band.LineThrough;
    ext_->columnStep(*this, band);
    ext_->addOutlineItem(*this, band);
    QList<TfrxDataBand*> nested;
    if (!ext_->collapsed(band))
        for (TfrxBand* sub : band.SubBands)
            nested.append(static_cast<TfrxDataBand*>(sub));
    runDataBands(nested);
    if (!band.OutlineText.isEmpty())
        ext_->outlineLevelUp(*this, band);
}

void TfrxEngine::startGroups(TfrxDataBand& band, int from, bool firstRow)
{
    const QList<TfrxBand*>& groups = band.Groups;
    if (firstRow) {
        for (TfrxBand* g : groups) {
            g->LineN = g->LineThrough = 1;
            forgetRepeatedTexts(*g);
        }
    } else if (from < groups.size()) {
        ++groups[from]->LineN;
        for (qsizetype j = from; j < groups.size(); ++j) {
            if (j > from)
                groups[j]->LineN = 1;
            ++groups[j]->LineThrough;
        }
    }
    ext_->applyDrillDown(*this, band);
    for (qsizetype j = from; j < groups.size(); ++j) {
        auto& group = static_cast<TfrxGroupHeader&>(*groups[j]);
        line_ = group.LineN;
        lineThrough_ = group.LineThrough;
        calc_.SetCurrentObjectName(group.Name());
        state_.of(group).lastCondition = group.Condition.trimmed().isEmpty() ? Value::null() : calc_.Calc(group.Condition);
        if (group.KeepTogether)
            ext_->openKeep(*this, group);
        ShowBand(&group);
        ext_->addOutlineItem(*this, group);
        if (group.ReprintOnNewPage)
            enterHeader(&group);
    }
}

void TfrxEngine::checkGroups(TfrxDataBand& band)
{
    for (qsizetype k = 0; k < band.Groups.size(); ++k) {
        auto& group = static_cast<TfrxGroupHeader&>(*band.Groups[k]);
        calc_.SetCurrentObjectName(group.Name());
        const Value v = group.Condition.trimmed().isEmpty() ? Value::null() : calc_.Calc(group.Condition);
        if (sameCondition(v, state_.of(group).lastCondition))
            continue;
        ext_->endColumnRow(*this, band);
        // The footers see the last row of the finished group.
        TfrxDataSet& source = *band.DataSet();
        const int recNo = source.RecNo;
        source.Prior();
        const bool movedBack = source.RecNo != recNo;
        printGroupFooters(band, int(k));
        if (movedBack)
            source.Next();
        startGroups(band, int(k), false);
        band.LineN = 1;
        forgetRepeatedTexts(band);
        return;
    }
}

// A footer left out still starts its aggregates afresh, and so do the child bands that
// would have printed with it.
void TfrxEngine::resetChainAggregates(TfrxBand& band)
{
    const qsizetype maxChain = band.Parent() ? band.Parent()->Objects().size() : 1;
    qsizetype n = 0;
    for (TfrxBand* b = &band; b && n <= maxChain; b = b->Child(), ++n)
        calc_.Aggregates().Reset(b);
}

void TfrxEngine::printGroupFooters(TfrxDataBand& band, int downTo)
{
    for (qsizetype j = band.Groups.size() - 1; j >= downTo; --j) {
        auto& group = static_cast<TfrxGroupHeader&>(*band.Groups[j]);
        if (TfrxBand* footer = group.Footer) {
            auto* gf = as<TfrxGroupFooter>(footer);
            if (gf && gf->HideIfSingleDataRecord && band.LineN < 3)
                resetChainAggregates(*footer);
            else
                ShowBand(footer);
        }
        if (!group.OutlineText.isEmpty())
            ext_->outlineLevelUp(*this, group);
        leaveHeader(&group);
        if (group.KeepTogether)
            ext_->closeKeep(*this, group);
    }
}

} // namespace report
