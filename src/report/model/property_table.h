#pragma once

// Published properties of the report classes. Each class declares its properties once, in
// its table: name, kind, value on creation, declared default, stored rule, enumeration
// names, getter and setter. Creation defaults, the XML serialiser and member access by name
// all read these tables.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <initializer_list>
#include <string>
#include <vector>

namespace report {

class TfrxPersistent;
class TfrxComponent;

enum class PropKind {
    Integer,     // also colours, chars and bytes; read and written in decimal
    Boolean,     // an enumeration False, True
    Enum,        // by element name
    Set,         // bit mask in decimal
    Float,       // extended
    String,      // also script procedure names
    Strings,     // an owned string list, stored as "<Name>.Text"
    WideStrings, // an owned wide-string list, never stored as a property
    Object,      // an owned sub-object whose properties are stored with a dotted prefix
    Reference,   // a reference to another component, stored by name
    Variant,
};

// Names of an enumeration, in ordinal order.
struct EnumInfo {
    const char* typeName;
    std::vector<const char*> names;

    // Ordinal of a name (ignoring letter case), or -1.
    int ordinalOf(QStringView name) const;
    QString nameOf(int ordinal) const;
};

struct PropInfo {
    using Getter = QVariant (*)(const TfrxPersistent&);
    using Setter = void (*)(TfrxPersistent&, const QVariant&);
    using SubGetter = TfrxPersistent* (*)(TfrxPersistent&);
    using StoredRule = bool (*)(const TfrxPersistent&);

    QString name;
    QByteArray latin1Name; // the name as the serialiser writes it; filled by ClassInfo
    PropKind kind = PropKind::Integer;
    Getter get = nullptr;
    Setter set = nullptr;            // null for sub-objects and read-only properties
    SubGetter sub = nullptr;         // sub-objects only
    const EnumInfo* enumInfo = nullptr;
    QVariant init;                   // value given on creation; invalid for none
    bool hasDefault = false;         // init is also the declared default for storing
    StoredRule stored = nullptr;     // null: always stored
    // Unpublished entries only give a field its value on creation and serve member
    // access; the serialiser skips them. A descendant publishes the field by redeclaring it.
    bool published = true;

    // Typed access beside get and set, for the serialiser and creation, which handle
    // millions of values. The table builders fill the pair of the property's kind (ClassInfo
    // refuses a table where one is missing): ints for Integer, Set, Enum and Boolean, doubles
    // for Float, strings for String, string lists for Strings and WideStrings, components
    // for Reference. Variant values are QVariants, read through get and set.
    int (*getInt)(const TfrxPersistent&) = nullptr;
    void (*setInt)(TfrxPersistent&, int) = nullptr;
    double (*getFloat)(const TfrxPersistent&) = nullptr;
    void (*setFloat)(TfrxPersistent&, double) = nullptr;
    QString (*getString)(const TfrxPersistent&) = nullptr;
    void (*setString)(TfrxPersistent&, const QString&) = nullptr;
    QStringList (*getStrings)(const TfrxPersistent&) = nullptr;
    void (*setStrings)(TfrxPersistent&, const QStringList&) = nullptr;
    TfrxComponent* (*getReference)(const TfrxPersistent&) = nullptr;
    // A component of another kind than the property takes leaves it empty.
    void (*setReference)(TfrxPersistent&, TfrxComponent*) = nullptr;
    // Whether init is valid, and init read as the property's kind; filled by ClassInfo.
    bool hasInit = false;
    int initInt = 0;
    double initFloat = 0;
    QString initString;
};

// A class of the report: its name, base, own (new or redeclared) properties and, for
// components, how to make one.
//
// Each class's staticClassInfo() builds its one ClassInfo in a lambda of its own that is
// never inlined: the table's setup needs a large stack frame, and every later call (several
// per object and row while a report runs) is then a flag test and a load.
class ClassInfo {
public:
    using Factory = TfrxComponent* (*)(TfrxComponent* parent);

    ClassInfo(const char* name, const ClassInfo* parent, std::vector<PropInfo> own,
              Factory factory = nullptr);
    ClassInfo(const ClassInfo&) = delete;
    ClassInfo& operator=(const ClassInfo&) = delete;

    const QString& name() const { return name_; }
    const QByteArray& latin1Name() const { return latin1Name_; }
    const ClassInfo* parent() const { return parent_; }
    Factory factory() const { return factory_; }
    // Properties declared or redeclared by this class, in declaration order.
    const std::vector<PropInfo>& own() const { return own_; }
    // Every published property: the base's first (a redeclared one keeps its place), then
    // the new ones.
    const std::vector<const PropInfo*>& properties() const { return all_; }
    // Ignoring letter case; null when the class has no such property.
    const PropInfo* find(QStringView name) const;
    const PropInfo* find(QByteArrayView latin1Name) const;
    // Inline and by depth: the engine asks it several times for every object of every row.
    bool inheritsFrom(const ClassInfo& other) const
    {
        const ClassInfo* c = this;
        for (int d = depth_; d > other.depth_; --d)
            c = c->parent_;
        return c == &other;
    }
    // Where itemKindOf keeps the class's resolved kind, so that finding it is one load.
    std::atomic<const void*>& kindCache() const { return kindCache_; }

private:
    QString name_;
    QByteArray latin1Name_;
    const ClassInfo* parent_;
    int depth_; // the number of bases
    std::vector<PropInfo> own_;
    std::vector<const PropInfo*> all_;
    Factory factory_;
    mutable std::atomic<const void*> kindCache_{nullptr};
};

// Reads of the values the tables hold without the general conversion of QVariant; a value
// of another type converts as QVariant converts it.
inline int variantInt(const QVariant& v)
{
    return v.typeId() == QMetaType::Int ? *static_cast<const int*>(v.constData()) : v.toInt();
}
inline double variantDouble(const QVariant& v)
{
    return v.typeId() == QMetaType::Double ? *static_cast<const double*>(v.constData()) : v.toDouble();
}
inline bool variantBool(const QVariant& v)
{
    return v.typeId() == QMetaType::Bool ? *static_cast<const bool*>(v.constData()) : v.toBool();
}
inline QString variantString(const QVariant& v)
{
    return v.typeId() == QMetaType::QString ? *static_cast<const QString*>(v.constData()) : v.toString();
}

// The registered classes of templates, by name (ignoring letter case).
const ClassInfo* findClass(QStringView name);
void registerClass(const ClassInfo& info);

// Gives every property the class itself declares its value on creation. Each constructor
// calls it with its own class, so a derived class's redeclared value wins.
void initProperties(TfrxPersistent& object, const ClassInfo& info);

// Member access by (dotted) name, e.g. "Font.Name". Values: Integer/Set/Enum as int
// (ordinal), Boolean as bool, Float as double, String as QString, Strings and WideStrings
// as QStringList, Reference as TfrxComponent*, Object as TfrxPersistent*.
// Both throw ReportError for an unknown name or a value that does not convert.
QVariant getProperty(const TfrxPersistent& object, QStringView name);
void setProperty(TfrxPersistent& object, QStringView name, const QVariant& value);

// Copies every published property that has a setter, sub-objects recursively. The two
// objects must be of the same class (or the target of a base class of the source).
void copyProperties(const TfrxPersistent& source, TfrxPersistent& target);

// Numbers in the XML number form (report/xml/xml_number.h) for the serialiser and member
// access; a text that is none throws ReportError.
double textToFloat(QStringView text);
int textToInt(QStringView text);
// Same, from Latin-1 bytes.
double textToFloat(QByteArrayView latin1);
int textToInt(QByteArrayView latin1);

} // namespace report
