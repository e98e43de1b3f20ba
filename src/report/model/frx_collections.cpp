#include "report/model/frx_collections.h"

#include "report/model/detail/prop_builders.h"

namespace report {

using namespace detail;

const ClassInfo& TfrxDataSetItem::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using I = TfrxDataSetItem;
        static const ClassInfo built("TfrxDataSetItem", nullptr, {
            access<&I::DataSet, &I::SetDataSet>("DataSet", PropKind::Reference),
            access<&I::DataSetName, &I::SetDataSetName>("DataSetName", PropKind::String),
        });
        return built;
    }();
    return info;
}

TfrxDataSetItem::TfrxDataSetItem(TfrxReport* report) : report_(report) {}

void TfrxDataSetItem::SetDataSetName(const QString& name)
{
    link_.setName(name, report_);
}

const ClassInfo& TfrxVariable::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        static const ClassInfo built("TfrxVariable", nullptr, {
            field<&TfrxVariable::Name>("Name", PropKind::String),
            field<&TfrxVariable::Value>("Value", PropKind::Variant),
        });
        return built;
    }();
    return info;
}

TfrxVariable::TfrxVariable() = default;

const ClassInfo& TfrxStyleItem::staticClassInfo()
{
    static const ClassInfo& info = []() __attribute__((noinline)) -> const ClassInfo& {
        using S = TfrxStyleItem;
        static const ClassInfo built("TfrxStyleItem", nullptr, {
            field<&S::Name>("Name", PropKind::String),
            field<&S::Color>("Color", PropKind::Integer).def(clTransparent),
            object<static_cast<TfrxFont& (S::*)()>(&S::Font)>("Font"),
            object<static_cast<TfrxFrame& (S::*)()>(&S::Frame)>("Frame"),
        });
        return built;
    }();
    return info;
}

TfrxStyleItem::TfrxStyleItem()
{
    font_.setOwner(this);
    frame_.setOwner(this);
    initProperties(*this, staticClassInfo());
}

TfrxDataSetItem* TfrxReportDataSets::Find(const TfrxDataSet* dataSet)
{
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i].DataSet() == dataSet)
            return &(*this)[i];
    return nullptr;
}

TfrxDataSetItem* TfrxReportDataSets::Find(const QString& name)
{
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i].DataSetName().compare(name, Qt::CaseInsensitive) == 0)
            return &(*this)[i];
    return nullptr;
}

int TfrxVariables::IndexOf(const QString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if ((*this)[i].Name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace report
