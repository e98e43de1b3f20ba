// Drill-down groups: a group header with DrillDown shows or hides what lies inside its
// group (inner groups, the data band, its own footer), by its entry in the report's list
// of toggled groups.

#include "report/engine/engine_extensions.h"

#include "report/engine/frx_engine.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"

namespace report {

namespace {

// The group's entry: the header's name, a full stop and the group's running line number.
QString drillDownKey(const TfrxGroupHeader& group)
{
    return group.Name() + u'.' + QString::number(group.LineThrough);
}

} // namespace

void EngineExtensions::applyDrillDown(TfrxEngine& engine, TfrxDataBand& band)
{
    const QStringList& toggled = engine.Report().ToggledGroups;
    const QList<TfrxBand*>& groups = band.Groups;
    collapsed_.remove(&band);
    for (qsizetype j = 0; j < groups.size(); ++j) {
        auto& group = static_cast<TfrxGroupHeader&>(*groups[j]);
        if (!group.DrillDown)
            continue;
        const bool expanded = toggled.contains(drillDownKey(group)) != group.ExpandDrillDown;
        for (qsizetype k = j + 1; k < groups.size(); ++k) {
            groups[k]->SetVisible(expanded);
            if (groups[k]->Footer)
                groups[k]->Footer->SetVisible(expanded);
        }
        band.SetVisible(expanded);
        if (group.Footer)
            group.Footer->SetVisible(expanded || group.ShowFooterIfDrillDown);
        // The groups inside a collapsed group are not looked at.
        if (!expanded) {
            collapsed_.insert(&band);
            return;
        }
    }
}

} // namespace report
