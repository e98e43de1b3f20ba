#pragma once

// Internal state of the prepared-pages store, shared by its source files.

#include "report/pages/preview_pages.h"
#include "report/model/frx_component.h"
#include "report/model/frx_pages.h"
#include "report/model/item_kind.h"
#include "report/xml/xml_form.h"

#include <QHash>
#include <memory>
#include <string>
#include <vector>

namespace report::detail {

// A copy of a template object kept on a source page, under its short name.
struct DictEntry {
    QByteArray shortName;
    QByteArray key;          // "Page" + source page index + "." + object name
    TfrxComponent* source;   // owned by its source page
    QByteArray sourceString; // "ClassName attributes" the rebuilt objects start from
    ComponentRef<TfrxComponent> templateObject; // until EndPreparation
    // The object the source string reads as, made on first rebuild: prepared objects are
    // copies of it with their differences applied, which saves parsing the source string
    // for every object. Its extra streamed data, if any, goes along.
    std::unique_ptr<TfrxComponent> prototype;
    QByteArray prototypeExtra;
    // The prototype's properties that differ from a new object's, in property order.
    std::vector<const PropInfo*> prototypeChanges;
};

struct SourcePage {
    std::unique_ptr<TfrxPage> page;
    ComponentRef<TfrxPage> templatePage; // until EndPreparation
};

struct CachedPage {
    int index;
    std::unique_ptr<TfrxReportPage> page;
    QHash<const TfrxComponent*, QByteArray> elementNames; // short name or class of each object
};

struct PagesState {
    explicit PagesState(TfrxReport& r, TfrxPreviewPages& owner) : report(r), self(owner), outline(owner) {}

    TfrxReport& report;
    TfrxPreviewPages& self;
    TfrxXMLDocument doc;
    TfrxEngineLink engine;
    TfrxOutline outline;

    std::vector<SourcePage> sourcePages;
    std::vector<std::unique_ptr<DictEntry>> entries;
    QHash<QByteArray, DictEntry*> byShortName;
    // For a base letter and a start of the halving search: where counting up last ended.
    QHash<QByteArray, int> shortNameResume;
    QHash<const TfrxComponent*, DictEntry*> byTemplate;
    QHash<const TfrxComponent*, DictEntry*> bySource;

    std::vector<QByteArray> pictures; // 1-based ImageIndex
    QHash<const TfrxComponent*, QByteArray> lastStoredPicture;

    std::vector<CachedPage> cache;

    int curPage = -1;
    int passPage = -1;
    int passObjects = 0;
    int logicalCount = 0;
    qint64 estimate = 0;
    // Rich text and the other kinds stored with a full difference: true when their source
    // strings carry all their attributes and their elements only what differs from the
    // source object; false in a store read from a file written before, where the source
    // string is the class name and the element holds every attribute.
    bool fullSources = true;
    // Where appendOneElement builds an element's text, emptied for each: its capacity is
    // kept, since an allocation per stored object costs more than the text.
    std::string elementText;

    // Children of the root, made on first use.
    TfrxXMLItem* child(const char* name) { return doc.root()->childByName(name); }
    TfrxXMLItem* pages() { return child("previewpages"); }
    // A page element with its children in memory.
    TfrxXMLItem* pageItem(int index);

    DictEntry* entryOf(const TfrxComponent& templateObject) const;
    DictEntry* entryByName(const QByteArray& shortName) const { return byShortName.value(shortName); }
    // First free short name for a base letter, by the halving search.
    QByteArray makeShortName(const QByteArray& base);
    DictEntry* addEntry(TfrxComponent& source, int pageIndex, TfrxComponent* templateObject);
    void clearSources();
    void clearCache() { cache.clear(); }
    // Elements of objects, children of the current page included.
    void appendElement(TfrxXMLItem& parent, TfrxComponent& object);
    // The element of the object alone (null for objects not stored).
    TfrxXMLItem* appendOneElement(TfrxXMLItem& parent, TfrxComponent& object);
    bool firstPassOfTwo() const;
    // Number of a page element made by the band engine ("page" + N), or -1.
    static int sourceIndexOf(const QByteArray& elementName);
    // The source string of a source copy (memo bindings are dropped first).
    QByteArray sourceStringOf(TfrxComponent& copy) const;
};

// What a prepared object is, for storing it (the item-kind table's entry): Hidden kinds are
// not stored at all.
PreparedKind preparedKind(const TfrxComponent& object);
inline bool isViewKind(PreparedKind kind) { return kind >= PreparedKind::Memo; }
// The difference text of a prepared object against its source object; only the compact
// part when compactOnly. appendDifference appends it to an element text being built.
void appendDifference(std::string& out, const TfrxComponent& object, const TfrxComponent& source, PreparedKind kind,
                      bool compactOnly);
QByteArray differenceText(const TfrxComponent& object, const TfrxComponent& source, PreparedKind kind,
                          bool compactOnly);
// A number of an attribute, or the fallback when the attribute is missing or empty.
double numberAttr(const TfrxXMLItem& item, const char* name, double fallback);

} // namespace report::detail
