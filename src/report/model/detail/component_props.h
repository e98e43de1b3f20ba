#pragma once

// Table entries for the fields of TfrxComponent and TfrxReportComponent, shared by every
// class that publishes them.

#include "report/model/detail/prop_builders.h"
#include "report/model/frx_component.h"
#include "report/model/frx_types.h"

namespace report::detail {

inline P nameProp()
{
    // Written apart from the other properties by the serialiser.
    return access<&TfrxComponent::Name, &TfrxComponent::SetName>("Name", PropKind::String).storedIf(neverStored);
}
inline P tagProp() { return field<&TfrxComponent::Tag>("Tag", PropKind::Integer).def(0); }
inline P leftProp() { return access<&TfrxComponent::Left, &TfrxComponent::SetLeft>("Left", PropKind::Float); }
inline P topProp() { return access<&TfrxComponent::Top, &TfrxComponent::SetTop>("Top", PropKind::Float); }
inline P widthProp() { return access<&TfrxComponent::Width, &TfrxComponent::SetWidth>("Width", PropKind::Float); }
inline P heightProp() { return access<&TfrxComponent::Height, &TfrxComponent::SetHeight>("Height", PropKind::Float); }
inline P fontProp()
{
    return object<static_cast<TfrxFont& (TfrxComponent::*)()>(&TfrxComponent::Font)>("Font");
}
inline P parentFontProp()
{
    return access<&TfrxComponent::ParentFont, &TfrxComponent::SetParentFont>("ParentFont", PropKind::Boolean).def(true);
}
inline P visibleProp()
{
    return access<&TfrxComponent::Visible, &TfrxComponent::SetVisible>("Visible", PropKind::Boolean).def(true);
}
inline P restrictionsProp()
{
    return access<&TfrxComponent::Restrictions, &TfrxComponent::SetRestrictions>("Restrictions", PropKind::Set)
        .enums(TfrxRestrictionInfo)
        .def(0);
}
inline P onBeforePrintProp()
{
    return field<&TfrxReportComponent::OnBeforePrint>("OnBeforePrint", PropKind::String);
}
inline P onAfterPrintProp()
{
    return field<&TfrxReportComponent::OnAfterPrint>("OnAfterPrint", PropKind::String);
}

} // namespace report::detail
