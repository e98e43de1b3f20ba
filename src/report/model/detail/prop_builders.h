#pragma once

// Helpers for writing the property tables: a table entry is built from a data member or a
// getter/setter pair, with the value types converted to and from QVariant.

#include "report/model/property_table.h"
#include "report/model/frx_component.h"
#include "report/model/frx_persistent.h"

#include <type_traits>

namespace report::detail {

template <class T>
QVariant toVariant(const T& value)
{
    if constexpr (std::is_enum_v<T>)
        return QVariant(static_cast<int>(value));
    else if constexpr (std::is_pointer_v<T> && std::is_base_of_v<TfrxComponent, std::remove_pointer_t<T>>)
        return QVariant::fromValue(static_cast<TfrxComponent*>(value));
    else
        return QVariant::fromValue(value);
}

template <class T>
T fromVariant(const QVariant& value)
{
    if constexpr (std::is_enum_v<T>)
        return static_cast<T>(variantInt(value));
    else if constexpr (std::is_same_v<T, bool>)
        return variantBool(value);
    else if constexpr (std::is_same_v<T, int>)
        return variantInt(value);
    else if constexpr (std::is_same_v<T, double>)
        return variantDouble(value);
    else if constexpr (std::is_same_v<T, QString>)
        return variantString(value);
    else if constexpr (std::is_same_v<T, QStringList>)
        return value.toStringList();
    else if constexpr (std::is_pointer_v<T>)
        return dynamic_cast<T>(value.value<TfrxComponent*>());
    else
        return value.value<T>();
}

// Fills the typed getter of an entry from a function reading the value as T.
template <class T, auto Read>
void typedGetter(PropInfo& p)
{
    if constexpr (std::is_same_v<T, bool> || std::is_enum_v<T> || std::is_integral_v<T>)
        p.getInt = [](const TfrxPersistent& o) { return static_cast<int>(Read(o)); };
    else if constexpr (std::is_floating_point_v<T>)
        p.getFloat = [](const TfrxPersistent& o) { return static_cast<double>(Read(o)); };
    else if constexpr (std::is_same_v<T, QString>)
        p.getString = [](const TfrxPersistent& o) { return QString(Read(o)); };
    else if constexpr (std::is_same_v<T, QStringList>)
        p.getStrings = [](const TfrxPersistent& o) { return QStringList(Read(o)); };
    else if constexpr (std::is_pointer_v<T> && std::is_base_of_v<TfrxComponent, std::remove_pointer_t<T>>)
        p.getReference = [](const TfrxPersistent& o) -> TfrxComponent* { return Read(o); };
}

// Same for the typed setter, from a function writing a T.
template <class T, auto Write>
void typedSetter(PropInfo& p)
{
    if constexpr (std::is_same_v<T, bool>)
        p.setInt = [](TfrxPersistent& o, int v) { Write(o, v != 0); };
    else if constexpr (std::is_enum_v<T> || std::is_integral_v<T>)
        p.setInt = [](TfrxPersistent& o, int v) { Write(o, static_cast<T>(v)); };
    else if constexpr (std::is_floating_point_v<T>)
        p.setFloat = [](TfrxPersistent& o, double v) { Write(o, static_cast<T>(v)); };
    else if constexpr (std::is_same_v<T, QString>)
        p.setString = [](TfrxPersistent& o, const QString& v) { Write(o, v); };
    else if constexpr (std::is_same_v<T, QStringList>)
        p.setStrings = [](TfrxPersistent& o, const QStringList& v) { Write(o, v); };
    else if constexpr (std::is_pointer_v<T> && std::is_base_of_v<TfrxComponent, std::remove_pointer_t<T>>)
        p.setReference = [](TfrxPersistent& o, TfrxComponent* c) { Write(o, dynamic_cast<T>(c)); };
}

template <auto M> struct MemberOf;
template <class C, class T, T C::*M> struct MemberOf<M> {
    using Class = C;
    using Type = T;
};

template <auto G> struct GetterOf;
template <class C, class T, T (C::*G)() const> struct GetterOf<G> {
    using Class = C;
    using Type = std::remove_cvref_t<T>;
};

template <auto S> struct SetterOf;
template <class C, class T, void (C::*S)(T)> struct SetterOf<S> {
    using Class = C;
    using Type = std::remove_cvref_t<T>;
};

template <auto G> struct SubOf;
template <class C, class T, T& (C::*G)()> struct SubOf<G> {
    using Class = C;
};

// Fluent additions to an entry.
struct P : PropInfo {
    P&& def(QVariant value) &&
    {
        init = std::move(value);
        hasDefault = true;
        return std::move(*this);
    }
    // Given on creation, but always stored (no declared default).
    P&& initial(QVariant value) &&
    {
        init = std::move(value);
        hasDefault = false;
        return std::move(*this);
    }
    P&& enums(const EnumInfo& info) &&
    {
        enumInfo = &info;
        return std::move(*this);
    }
    P&& unpublished() &&
    {
        published = false;
        return std::move(*this);
    }
    P&& storedIf(StoredRule rule) &&
    {
        stored = rule;
        return std::move(*this);
    }
};

inline bool neverStored(const TfrxPersistent&) { return false; }

// A property over a public data member.
template <auto M>
P field(const char* name, PropKind kind)
{
    using C = typename MemberOf<M>::Class;
    using T = typename MemberOf<M>::Type;
    P p;
    p.name = QString::fromUtf8(name);
    p.kind = kind;
    p.get = [](const TfrxPersistent& o) { return toVariant<T>(static_cast<const C&>(o).*M); };
    p.set = [](TfrxPersistent& o, const QVariant& v) { static_cast<C&>(o).*M = fromVariant<T>(v); };
    typedGetter<T, [](const TfrxPersistent& o) -> const T& { return static_cast<const C&>(o).*M; }>(p);
    typedSetter<T, [](TfrxPersistent& o, const T& v) { static_cast<C&>(o).*M = v; }>(p);
    return p;
}

// A property over a getter and a setter (the setter may be omitted by passing nullptr).
template <auto G, auto S>
P access(const char* name, PropKind kind)
{
    using C = typename GetterOf<G>::Class;
    using T = typename GetterOf<G>::Type;
    P p;
    p.name = QString::fromUtf8(name);
    p.kind = kind;
    p.get = [](const TfrxPersistent& o) { return toVariant<T>((static_cast<const C&>(o).*G)()); };
    typedGetter<T, [](const TfrxPersistent& o) -> T { return (static_cast<const C&>(o).*G)(); }>(p);
    if constexpr (!std::is_same_v<decltype(S), std::nullptr_t>) {
        using SC = typename SetterOf<S>::Class;
        using ST = typename SetterOf<S>::Type;
        p.set = [](TfrxPersistent& o, const QVariant& v) { (static_cast<SC&>(o).*S)(fromVariant<ST>(v)); };
        typedSetter<ST, [](TfrxPersistent& o, const ST& v) { (static_cast<SC&>(o).*S)(v); }>(p);
    }
    return p;
}

// An owned sub-object reached through a reference-returning accessor.
template <auto G>
P object(const char* name)
{
    using C = typename SubOf<G>::Class;
    P p;
    p.name = QString::fromUtf8(name);
    p.kind = PropKind::Object;
    p.sub = [](TfrxPersistent& o) -> TfrxPersistent* { return &(static_cast<C&>(o).*G)(); };
    p.get = [](const TfrxPersistent& o) {
        auto& self = const_cast<C&>(static_cast<const C&>(o));
        return QVariant::fromValue(static_cast<TfrxPersistent*>(&(self.*G)()));
    };
    return p;
}

} // namespace report::detail
