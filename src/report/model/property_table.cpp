#include "report/model/property_table.h"

#include "report/model/frx_persistent.h"
#include "report/model/frx_types.h"
#include "report/xml/xml_number.h"

#include <QHash>
#include <QMutex>
#include <optional>
#include <type_traits>

namespace report {

void registerBuiltInClasses(); // frx_class_registry.cpp

namespace {

// Whether the typed access of the property's kind is there: the getter, and the setter
// when the property can be set.
bool hasTypedAccess(const PropInfo& p)
{
    const auto both = [&p](auto get, auto set) { return get && (set || !p.set); };
    switch (p.kind) {
    case PropKind::Integer:
    case PropKind::Set:
    case PropKind::Enum:
    case PropKind::Boolean: return both(p.getInt, p.setInt);
    case PropKind::Float: return both(p.getFloat, p.setFloat);
    case PropKind::String: return both(p.getString, p.setString);
    case PropKind::Strings:
    case PropKind::WideStrings: return both(p.getStrings, p.setStrings);
    case PropKind::Reference: return both(p.getReference, p.setReference);
    case PropKind::Variant:
    case PropKind::Object: return true;
    }
    return false;
}

} // namespace

ClassInfo::ClassInfo(const char* name, const ClassInfo* parent, std::vector<PropInfo> own, Factory factory)
    : name_(QString::fromLatin1(name)), latin1Name_(name), parent_(parent), depth_(parent ? parent->depth_ + 1 : 0),
      own_(std::move(own)), factory_(factory)
{
    for (PropInfo& p : own_) {
        p.latin1Name = p.name.toLatin1();
        // A member type the table builders do not know: its kind would have no reader.
        if (!hasTypedAccess(p))
            qFatal("%s.%s has no typed access for its kind", name, p.latin1Name.constData());
        p.hasInit = p.init.isValid();
        if (p.hasInit) {
            p.initInt = p.kind == PropKind::Boolean ? int(variantBool(p.init)) : variantInt(p.init);
            p.initFloat = variantDouble(p.init);
            if (p.kind == PropKind::String)
                p.initString = variantString(p.init);
        }
    }
    if (parent_)
        all_ = parent_->all_;
    for (const PropInfo& p : own_) {
        auto same = std::find_if(all_.begin(), all_.end(), [&](const PropInfo* q) {
            return q->name.compare(p.name, Qt::CaseInsensitive) == 0;
        });
        if (same != all_.end() && ((*same)->published || !p.published)) {
            *same = &p; // a redeclaration keeps the base's place
        } else {
            // Publishing a field that the base kept unpublished adds it at the end.
            if (same != all_.end())
                all_.erase(same);
            all_.push_back(&p);
        }
    }
}

const PropInfo* ClassInfo::find(QStringView name) const
{
    return find(QByteArrayView(name.toLatin1()));
}

const PropInfo* ClassInfo::find(QByteArrayView latin1Name) const
{
    // A scan by length and first letter: a few dozen names, most of another length.
    const qsizetype n = latin1Name.size();
    if (n == 0)
        return nullptr;
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c; };
    const char first = fold(latin1Name[0]);
    for (const PropInfo* p : all_)
        if (p->latin1Name.size() == n && fold(p->latin1Name[0]) == first
            && qstrnicmp(p->latin1Name.constData(), n, latin1Name.data(), n) == 0)
            return p;
    return nullptr;
}

namespace {

struct Registry {
    QMutex lock;
    QHash<QString, const ClassInfo*> classes;
};

Registry& registry()
{
    static Registry r;
    return r;
}

void ensureBuiltIns()
{
    static const bool done = [] {
        registerBuiltInClasses();
        return true;
    }();
    (void)done;
}

} // namespace

void registerClass(const ClassInfo& info)
{
    Registry& r = registry();
    QMutexLocker locker(&r.lock);
    r.classes.insert(info.name().toLower(), &info);
}

const ClassInfo* findClass(QStringView name)
{
    ensureBuiltIns();
    Registry& r = registry();
    QMutexLocker locker(&r.lock);
    return r.classes.value(name.toString().toLower(), nullptr);
}

void initProperties(TfrxPersistent& object, const ClassInfo& info)
{
    for (const PropInfo& p : info.own()) {
        if (!p.hasInit || !p.set)
            continue;
        switch (p.kind) {
        case PropKind::Integer:
        case PropKind::Set:
        case PropKind::Enum:
        case PropKind::Boolean: p.setInt(object, p.initInt); break;
        case PropKind::Float: p.setFloat(object, p.initFloat); break;
        case PropKind::String: p.setString(object, p.initString); break;
        default: p.set(object, p.init); break;
        }
    }
}

namespace {

QString asText(QStringView text) { return text.toString(); }
QString asText(QByteArrayView latin1) { return QString::fromLatin1(latin1); }

// The number read, or a ReportError that names the text.
template <class Number, class Text>
Number checked(const std::optional<Number>& value, Text text)
{
    if (!value)
        throw ReportError(QStringLiteral("'%1' is not a valid %2 value")
                              .arg(asText(text), std::is_same_v<Number, int> ? u"integer" : u"floating point"));
    return *value;
}

} // namespace

double textToFloat(QStringView text) { return checked(readFloatText(text), text); }
double textToFloat(QByteArrayView latin1) { return checked(readFloatText(latin1), latin1); }
int textToInt(QStringView text) { return checked(readIntText(text), text); }
int textToInt(QByteArrayView latin1) { return checked(readIntText(latin1), latin1); }

namespace {

// Walks a dotted name down through sub-objects to the owner of the last step.
std::pair<TfrxPersistent*, const PropInfo*> resolve(TfrxPersistent& object, QStringView name)
{
    TfrxPersistent* current = &object;
    for (;;) {
        const qsizetype dot = name.indexOf(u'.');
        const QStringView step = dot < 0 ? name : name.left(dot);
        const PropInfo* p = current->classInfo().find(step);
        if (!p)
            throw ReportError(QStringLiteral("Unknown property: \"%1\"").arg(step));
        if (dot < 0)
            return {current, p};
        if (p->kind != PropKind::Object)
            throw ReportError(QStringLiteral("Unknown property: \"%1\"").arg(name));
        current = p->sub(*current);
        name = name.mid(dot + 1);
    }
}

QVariant convertForSet(const PropInfo& p, const QVariant& value)
{
    const bool isText = value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray;
    switch (p.kind) {
    case PropKind::Integer:
    case PropKind::Set:
        return isText ? QVariant(textToInt(value.toString())) : QVariant(value.toInt());
    case PropKind::Boolean:
    case PropKind::Enum: {
        const EnumInfo* info = p.kind == PropKind::Boolean ? nullptr : p.enumInfo;
        if (!isText)
            return p.kind == PropKind::Boolean ? QVariant(value.toBool()) : QVariant(value.toInt());
        const QString text = value.toString().trimmed();
        bool isNumber = false;
        const int number = text.toInt(&isNumber);
        int ordinal = isNumber ? number : -1;
        if (!isNumber)
            ordinal = (info ? info : &BooleanInfo)->ordinalOf(text);
        if (ordinal < 0)
            throw ReportError(QStringLiteral("Invalid property element: %1").arg(text));
        return p.kind == PropKind::Boolean ? QVariant(ordinal != 0) : QVariant(ordinal);
    }
    case PropKind::Float:
        return isText ? QVariant(textToFloat(value.toString())) : QVariant(value.toDouble());
    case PropKind::String:
        return QVariant(value.toString());
    case PropKind::Strings:
    case PropKind::WideStrings:
        if (value.typeId() == QMetaType::QStringList)
            return value;
        return QVariant(value.toString().split(QStringLiteral("\r\n")));
    case PropKind::Reference:
    case PropKind::Variant:
    case PropKind::Object:
        return value;
    }
    return value;
}

} // namespace

QVariant getProperty(const TfrxPersistent& object, QStringView name)
{
    auto [owner, p] = resolve(const_cast<TfrxPersistent&>(object), name);
    return p->get(*owner);
}

void setProperty(TfrxPersistent& object, QStringView name, const QVariant& value)
{
    auto [owner, p] = resolve(object, name);
    if (!p->set)
        throw ReportError(QStringLiteral("Property %1 is read-only").arg(p->name));
    p->set(*owner, convertForSet(*p, value));
}

void copyProperties(const TfrxPersistent& source, TfrxPersistent& target)
{
    auto& src = const_cast<TfrxPersistent&>(source);
    const bool sameClass = &source.classInfo() == &target.classInfo();
    const auto shared = [&](const PropInfo* p) {
        return sameClass || source.classInfo().find(QByteArrayView(p->latin1Name)) == p;
    };
    for (const PropInfo* p : target.classInfo().properties()) {
        if (p->kind == PropKind::Object) {
            if (shared(p))
                copyProperties(*p->sub(src), *p->sub(target));
        } else if (p->set && shared(p)) {
            p->set(target, p->get(source));
        }
    }
}

} // namespace report
