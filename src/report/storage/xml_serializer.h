#pragma once

// Turns report objects into the attribute text of the XML form and back, whole trees as
// elements, and single objects as "ClassName attributes".

#include "report/model/property_table.h"
#include "report/storage/name_index.h"

#include <QByteArray>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

class QIODevice;

namespace report {

class TfrxComponent;
class TfrxCustomMemoView;
class TfrxPersistent;
class TfrxXMLItem;

class TfrxXMLSerializer {
public:
    // The stream trees are read from and written to when no item is given.
    explicit TfrxXMLSerializer(QIODevice* stream = nullptr);
    ~TfrxXMLSerializer();

    // Failures while applying attributes and unknown classes, sorted, without duplicates.
    const QStringList& Errors() const { return errors_; }
    // Write every stored property, not only those differing from their defaults.
    bool SerializeDefaultValues = false;
    // Lines indented by nesting level; a copy only read back (the run copy) leaves it off:
    // the indent of a deep tree grows with the square of its depth.
    bool Indent = true;

    // " Name=\"value\"" pairs of the stored published properties that differ from the
    // ancestor (or, without one, from their declared defaults), then a text object's Text
    // and the extra streamed data as PropData.
    QByteArray ObjectToAttributes(const TfrxPersistent& object, const QByteArray& prefix = {},
                                  const TfrxPersistent* ancestor = nullptr);
    // The same appended to an attribute text being built.
    void AppendAttributes(std::string& out, const TfrxPersistent& object, const TfrxPersistent* ancestor)
    {
        appendAttributes(out, object, {}, ancestor);
    }
    // True when ObjectToAttributes against the ancestor, an object of the same class, writes
    // nothing (default values not forced): found without making the text, for objects
    // stored once per row.
    static bool SameAsAncestor(const TfrxComponent& object, const TfrxComponent& ancestor);
    // Applies attribute text; a value that cannot be applied adds its message to Errors and
    // the scan goes on. References are recorded and resolved by FixupReferences.
    void AttributesToObject(const QByteArray& text, TfrxPersistent& object);
    void FixupReferences();
    void DropFixups() { fixups_.clear(); }

    // Writes the component (and with children its subtree) into the item, or, without an
    // item, as an indented document with header to the stream.
    void WriteTree(TfrxComponent& root, bool withChildren, TfrxXMLItem* item = nullptr);
    // Reads the item (or a document loaded from the stream) into root: the root element's
    // attributes go to root, child elements become (or update, by Name) its descendants.
    // Malformed text is rethrown after what was read has been applied.
    void ReadTree(TfrxComponent& root, TfrxXMLItem* item = nullptr);

    // "ClassName attributes".
    QByteArray ObjectToString(const TfrxComponent& object);
    // Creates an object of the named registered class under owner and applies the
    // attributes; null (with an error line) for an unknown class.
    TfrxComponent* StringToObject(TfrxComponent* owner, const QByteArray& text, bool dropFixups = false);

private:
    struct Fixup {
        TfrxPersistent* object;
        const PropInfo* prop;
        QString name;
    };
    void addError(const QString& line);
    void appendAttributes(std::string& out, const TfrxPersistent& object, const QByteArray& prefix,
                          const TfrxPersistent* ancestor);
    void writeProperties(std::string& out, const TfrxPersistent& object, QByteArray& prefix,
                         const TfrxPersistent* ancestor);
    // The object attributes are applied to, with what it is.
    struct Target {
        TfrxPersistent& object;
        TfrxComponent* component;
        TfrxCustomMemoView* memo;
    };
    // An element's Name attribute as it stands, decoded, and the component of the report
    // that bears the name (null for none), looked up before its attributes are applied.
    struct KnownName {
        QByteArrayView raw;
        QString name;
        const TfrxComponent* owner;
    };
    // known answers the first Name attribute of the text, if it is the one looked up.
    void applyAttributes(const QByteArray& text, TfrxPersistent& object, const KnownName* known);
    // The three kinds of attribute: the one-letter names of Left, Top, Width, Height and a
    // memo's text; the object's own Text, PropData and Name (which takes known and uses it
    // up); and published properties by their (dotted) names. The first two answer whether
    // the name was theirs.
    bool applyShortName(const Target& self, char name, QByteArrayView rawValue);
    bool applyOwnAttribute(const Target& self, QByteArrayView name, QByteArrayView rawValue, const KnownName*& known);
    void applyProperty(TfrxPersistent& object, QByteArrayView name, QByteArrayView rawValue);
    const PropInfo* findProperty(const ClassInfo& info, QByteArrayView name);
    void readChildren(TfrxComponent& root, TfrxXMLItem& rootItem);
    TfrxComponent* dataSource(const QString& name) const;
    void finishLoading();

    QIODevice* stream_;
    QStringList errors_;
    std::vector<Fixup> fixups_;
    TfrxComponent* root_ = nullptr;
    NameIndex names_; // the root's components
    struct PropertyCache;
    std::unique_ptr<PropertyCache> propertyCache_; // attribute spellings found, by class
    QList<TfrxComponent*> loaded_;
};

// Strings of the attribute text: UTF-8, and text that is not valid UTF-8 read as GBK.
QString decodeAttributeText(QByteArrayView bytes);

} // namespace report
