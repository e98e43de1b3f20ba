#include "report/calc/frx_object_data.h"

#include "report/calc/frx_calc.h"
#include "report/model/frx_collections.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/model/item_kind.h"

namespace report {

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

ViewTexts getObjectData(ReportCalc& calc, TfrxReportComponent& object)
{
    // Classes by the class table, not dynamic_cast: this runs for every object of every row.
    const ClassInfo& cls = object.classInfo();
    if (!cls.inheritsFrom(TfrxView::staticClassInfo()))
        return {};
    auto* view = static_cast<TfrxView*>(&object);
    if (const DataGetter getData = itemKindOf(cls).getData)
        getData(calc, *view);
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
