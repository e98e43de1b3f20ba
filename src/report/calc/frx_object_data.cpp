#include "report/calc/frx_object_data.h"

#include "report/calc/frx_calc.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/rich/rich_view.h"

#include <unordered_map>

namespace report {

namespace {

// Rich text gets its data (field content, expressions in the RTF, FlowTo) in its own module.
std::unordered_map<const ClassInfo*, DataGetter>& getters()
{
    static std::unordered_map<const ClassInfo*, DataGetter> table{
        {&TfrxRichView::staticClassInfo(),
         [](ReportCalc& calc, TfrxView& view) { getRichData(calc, static_cast<TfrxRichView&>(view)); }},
    };
    return table;
}

const DataGetter* getterFor(const ClassInfo& cls)
{
    const auto& table = getters();
    if (table.empty())
        return nullptr;
    for (const ClassInfo* c = &cls; c; c = c->parent()) {
        const auto it = table.find(c);
        if (it != table.end())
            return &it->second;
    }
    return nullptr;
}

// A picture bound to a field shows the field's bytes (a blob field, or a value holding them).
void getPictureData(TfrxPictureView& picture)
{
    if (!picture.IsDataField())
        return;
    TfrxDataSet& source = *picture.DataSet();
    if (source.IsBlobField(picture.DataField)) {
        picture.Picture = source.GetBlobBytes(picture.DataField);
        return;
    }
    const QVariant v = source.GetValue(picture.DataField);
    picture.Picture = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : QByteArray();
}

} // namespace

void registerDataGetter(const ClassInfo& cls, DataGetter getter)
{
    getters().insert_or_assign(&cls, std::move(getter));
}

ViewTexts getObjectData(ReportCalc& calc, TfrxReportComponent& object)
{
    // Classes by the class table, not dynamic_cast: this runs for every object of every row.
    const ClassInfo& cls = object.classInfo();
    if (!cls.inheritsFrom(TfrxView::staticClassInfo()))
        return {};
    auto* view = static_cast<TfrxView*>(&object);
    if (const DataGetter* getter = getterFor(cls))
        (*getter)(calc, *view);
    else if (cls.inheritsFrom(TfrxCustomMemoView::staticClassInfo()))
        getMemoData(calc, static_cast<TfrxCustomMemoView&>(*view));
    else if (cls.inheritsFrom(TfrxPictureView::staticClassInfo()))
        getPictureData(static_cast<TfrxPictureView&>(*view));
    if (view->TagStr.contains(u'[') || view->URL.contains(u'['))
        return expandViewTexts(calc, *view);
    return {view->TagStr, view->URL};
}

void applyNamedStyles(TfrxReport& report)
{
    TfrxStyles& styles = report.Styles();
    if (styles.Count() == 0)
        return;
    for (TfrxComponent* c : report.AllObjects()) {
        auto* memo = dynamic_cast<TfrxCustomMemoView*>(c);
        if (!memo || memo->Style.isEmpty())
            continue;
        for (int i = 0; i < styles.Count(); ++i) {
            const TfrxStyleItem& style = styles[i];
            if (style.Name.compare(memo->Style, Qt::CaseInsensitive) != 0)
                continue;
            memo->SetFont(style.Font());
            memo->Color = style.Color;
            memo->Frame() = style.Frame();
            break;
        }
    }
}

} // namespace report
