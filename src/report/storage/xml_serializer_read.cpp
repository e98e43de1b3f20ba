// Reading: attribute text to objects, trees of elements, single objects, and the references
// resolved after them.
#include "report/storage/xml_serializer.h"
#include "report/storage/detail/report_storage_hooks.h"

#include "platform/hex_digit.h"

#include "report/frx_resources.h"
#include "report/model/extra_data.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"

#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace report {

namespace {

const QByteArray kInherited = QByteArrayLiteral("inherited");

// The bytes are the word, ignoring letter case.
template <qsizetype N>
bool sameWord(QByteArrayView bytes, const char (&word)[N])
{
    return bytes.size() == N - 1 && qstrnicmp(bytes.data(), N - 1, word, N - 1) == 0;
}

// A memo's lines from its stored text: the lines were joined by CR LF, so a text ending in
// a line break had an empty last line, which setting the text alone would drop on every
// save and load.
void setStoredText(TfrxCustomMemoView& memo, const QString& text)
{
    memo.SetText(text);
    if (!text.isEmpty() && (text.back() == u'\n' || text.back() == u'\r'))
        memo.Memo.append(QString());
}

constexpr int kNotPlain = -2;

// The ordinal of an enumeration value written as a bare name of ASCII letters, or as plain
// decimal digits; -1 for a name the enumeration lacks; kNotPlain for any other text, which
// the general reading takes.
int plainOrdinal(const EnumInfo& info, QByteArrayView bytes)
{
    if (bytes.isEmpty() || bytes.size() > 9)
        return kNotPlain;
    bool digits = true, letters = true;
    for (const char c : bytes) {
        digits = digits && c >= '0' && c <= '9';
        letters = letters && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
    }
    if (digits)
        return textToInt(bytes);
    if (!letters || (bytes[0] >= '0' && bytes[0] <= '9'))
        return kNotPlain;
    const qsizetype n = bytes.size();
    for (size_t i = 0; i < info.names.size(); ++i)
        if (qstrnicmp(info.names[i], bytes.data(), n) == 0 && info.names[i][n] == 0)
            return int(i);
    return -1;
}

// An enumeration or boolean value by name (any letter case, blanks around) or ordinal.
int ordinalOf(const PropInfo& p, QByteArrayView bytes)
{
    const EnumInfo& info = p.kind == PropKind::Boolean ? BooleanInfo : *p.enumInfo;
    int ordinal = plainOrdinal(info, bytes);
    if (ordinal == kNotPlain) {
        const QString text = decodeAttributeText(bytes).trimmed();
        bool isNumber = false;
        ordinal = text.toInt(&isNumber);
        if (!isNumber)
            ordinal = info.ordinalOf(text);
    }
    if (ordinal < 0 || size_t(ordinal) >= info.names.size())
        throw ReportError(QStringLiteral("Invalid property value: %1=%2").arg(p.name, decodeAttributeText(bytes)));
    return ordinal;
}

bool isHexDigit(char c)
{
    return platform::hexDigitValue(c) >= 0;
}

// The extra streamed data written as PropData. What was read before a failure stays; the
// failure is the caller's error line. Bytes that are not whole hexadecimal pairs are not
// read at all: a skipped digit would shift every byte after it.
void readExtraData(TfrxComponent& component, QByteArrayView hex)
{
    QString failure;
    if (hex.size() % 2 != 0 || !std::all_of(hex.begin(), hex.end(), isHexDigit)) {
        failure = QStringLiteral("not hexadecimal");
    } else {
        ExtraDataReader reader(QByteArray::fromHex(hex.toByteArray()));
        failure = reader.readProperties(component);
    }
    if (failure.isEmpty())
        return;
    const QString owner = component.Name().isEmpty() ? QString() : component.Name() + u'.';
    throw ReportError(QStringLiteral("Invalid property value: %1PropData (%2)").arg(owner, failure));
}

// An attribute value as a string: unescaped, then decoded.
QString attributeText(QByteArrayView raw)
{
    return decodeAttributeText(raw.contains('&') ? QByteArrayView(UnescapeXML(raw)) : raw);
}

// Elements below the item: about the number of names a tree brings, so the map of names is
// not rebuilt as it grows.
qsizetype countItems(TfrxXMLItem& root)
{
    qsizetype n = 0;
    QList<TfrxXMLItem*> pending{&root};
    while (!pending.isEmpty()) {
        TfrxXMLItem* item = pending.takeLast();
        n += item->count();
        for (int i = 0; i < item->count(); ++i)
            if (item->item(i)->count() > 0)
                pending.append(item->item(i));
    }
    return n;
}

} // namespace

QString decodeAttributeText(QByteArrayView bytes)
{
    if (bytes.isValidUtf8())
        return QString::fromUtf8(bytes);
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    return gbk.isValid() ? QString(gbk(bytes)) : QString::fromUtf8(bytes);
}

// ---- attribute text ----

void TfrxXMLSerializer::AttributesToObject(const QByteArray& text, TfrxPersistent& object)
{
    applyAttributes(text, object, nullptr);
}

void TfrxXMLSerializer::applyAttributes(const QByteArray& text, TfrxPersistent& object, const KnownName* known)
{
    // What the object is, found once for all its attributes.
    const Target target{object, dynamic_cast<TfrxComponent*>(&object), dynamic_cast<TfrxCustomMemoView*>(&object)};
    const char* s = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    for (;;) {
        while (i < n && s[i] == ' ')
            ++i;
        const qsizetype nameStart = i;
        while (i < n && s[i] != '=')
            ++i;
        qsizetype nameEnd = i;
        while (nameEnd > nameStart && s[nameEnd - 1] == ' ')
            --nameEnd;
        if (nameEnd == nameStart || i >= n)
            break;
        const qsizetype open = text.indexOf('"', i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf('"', open + 1);
        if (close < 0)
            break;
        const QByteArrayView name(s + nameStart, nameEnd - nameStart);
        const QByteArrayView value(s + open + 1, close - open - 1);
        i = close + 1;
        try {
            if (name.size() == 1 && target.component && applyShortName(target, name[0], value))
                continue;
            if (applyOwnAttribute(target, name, value, known))
                continue;
            applyProperty(object, name, value);
        } catch (const std::exception& e) {
            addError(platform::errorMessage(e));
        }
    }
}

bool TfrxXMLSerializer::applyShortName(const Target& self, char name, QByteArrayView rawValue)
{
    TfrxComponent& component = *self.component;
    switch (name) {
    case 'l': component.SetLeft(textToFloat(rawValue)); return true;
    case 't': component.SetTop(textToFloat(rawValue)); return true;
    case 'w': component.SetWidth(textToFloat(rawValue)); return true;
    case 'h': component.SetHeight(textToFloat(rawValue)); return true;
    case 'u':
    case 'x':
        if (self.memo) {
            const QByteArray bytes = UnescapeXML(rawValue);
            setStoredText(*self.memo, name == 'u' ? QString::fromUtf8(bytes) : decodeAttributeText(bytes));
        }
        return true;
    default: return false;
    }
}

bool TfrxXMLSerializer::applyOwnAttribute(const Target& self, QByteArrayView name, QByteArrayView rawValue,
                                          const KnownName*& known)
{
    if (sameWord(name, "Text") && self.memo) {
        setStoredText(*self.memo, QString::fromUtf8(rawValue.contains('&') ? QByteArrayView(UnescapeXML(rawValue)) : rawValue));
        return true;
    }
    if (sameWord(name, "PropData")) {
        if (self.component)
            readExtraData(*self.component, rawValue);
        return true;
    }
    if (!sameWord(name, "Name") || !self.component)
        return false;
    if (dynamic_cast<TfrxReport*>(self.component))
        return true;
    if (!root_)
        return false; // a single object takes it as its property
    // While a tree is read the reader's map of names keeps them unique. The element's own
    // name, looked up by the caller, holds for its first Name attribute: nothing has renamed
    // since.
    const bool isKnown = known && rawValue == known->raw;
    const QString newName = isKnown ? known->name : attributeText(rawValue);
    const TfrxComponent* other = isKnown ? known->owner : names_.find(newName);
    known = nullptr;
    TfrxComponent& component = *self.component;
    if (other && other != &component)
        throw ReportError(frxGet(QStringLiteral("prDupl")));
    const QString oldName = component.Name();
    component.SetName(newName);
    names_.remove(&component, oldName);
    names_.insert(&component);
    return true;
}

void TfrxXMLSerializer::applyProperty(TfrxPersistent& object, QByteArrayView name, QByteArrayView rawValue)
{
    // Walk the dotted steps through sub-objects; "List.Text" sets a whole string list.
    TfrxPersistent* target = &object;
    QByteArrayView rest = name;
    for (qsizetype dot; (dot = rest.indexOf('.')) >= 0;) {
        const PropInfo* p = findProperty(target->classInfo(), rest.first(dot));
        if (!p || !p->published)
            return;
        const QByteArrayView after = rest.sliced(dot + 1);
        if ((p->kind == PropKind::Strings || p->kind == PropKind::WideStrings) && sameWord(after, "Text")) {
            if (p->set) {
                const QString text = decodeAttributeText(UnescapeXML(rawValue));
                p->setStrings(*target, text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n")));
            }
            return;
        }
        if (p->kind != PropKind::Object)
            return;
        target = p->sub(*target);
        rest = after;
    }
    const PropInfo* p = findProperty(target->classInfo(), rest);
    if (!p || !p->published || !p->set)
        return;
    // Numbers and names of elements are ASCII: read straight from the bytes.
    const bool escaped = rawValue.contains('&');
    const QByteArray unescaped = escaped ? UnescapeXML(rawValue) : QByteArray();
    const QByteArrayView bytes = escaped ? QByteArrayView(unescaped) : rawValue;
    switch (p->kind) {
    case PropKind::Float: p->setFloat(*target, textToFloat(bytes)); break;
    case PropKind::Integer:
    case PropKind::Set: p->setInt(*target, textToInt(bytes)); break;
    case PropKind::Enum:
    case PropKind::Boolean: p->setInt(*target, ordinalOf(*p, bytes)); break;
    case PropKind::String: p->setString(*target, decodeAttributeText(bytes)); break;
    case PropKind::Variant: p->set(*target, decodeAttributeText(bytes)); break;
    case PropKind::Reference: fixups_.push_back({target, p, decodeAttributeText(bytes)}); break;
    case PropKind::Strings:
    case PropKind::WideStrings:
    case PropKind::Object: break; // lists only as "Name.Text"; sub-objects by their steps
    }
}

// Every object of a class spells its attributes the same way: each spelling is looked up in
// the class's table once and then found again by its bytes. Measured by bench_template:
// without it loading takes about a quarter longer, and a QHash of (class, spelling) in its
// place costs about 5% more of the benchmark's CPU time.
struct TfrxXMLSerializer::PropertyCache {
    struct Entry {
        const ClassInfo* info = nullptr;
        const PropInfo* prop = nullptr;
        qsizetype length = 0;
        char name[40];
    };
    std::array<Entry, 512> entries;
};

// Where PropertyCache is complete.
TfrxXMLSerializer::TfrxXMLSerializer(QIODevice* stream) : stream_(stream) { detail::installReportStorage(); }
TfrxXMLSerializer::~TfrxXMLSerializer() = default;

const PropInfo* TfrxXMLSerializer::findProperty(const ClassInfo& info, QByteArrayView name)
{
    if (name.size() > qsizetype(sizeof(PropertyCache::Entry::name)))
        return info.find(name);
    if (!propertyCache_)
        propertyCache_ = std::make_unique<PropertyCache>();
    // The length and the first and last eight bytes tell the names of one class apart well
    // enough; a clash only costs a lookup in the table.
    std::uint64_t head = 0, tail = 0;
    const size_t n = size_t(name.size());
    std::memcpy(&head, name.data(), std::min<size_t>(n, 8));
    if (n > 8)
        std::memcpy(&tail, name.data() + n - std::min<size_t>(n - 8, 8), std::min<size_t>(n - 8, 8));
    std::uint64_t hash = (reinterpret_cast<std::uintptr_t>(&info) >> 4) ^ (n * 0x9E3779B97F4A7C15ull);
    hash = (hash ^ head) * 0xFF51AFD7ED558CCDull;
    hash = (hash ^ tail) * 0xC4CEB9FE1A85EC53ull;
    hash ^= hash >> 29;
    PropertyCache::Entry& entry = propertyCache_->entries[hash % propertyCache_->entries.size()];
    if (entry.info == &info && entry.length == name.size() && std::memcmp(entry.name, name.data(), size_t(name.size())) == 0)
        return entry.prop;
    entry.info = &info;
    entry.prop = info.find(name);
    entry.length = name.size();
    std::memcpy(entry.name, name.data(), size_t(name.size()));
    return entry.prop;
}

// ---- references ----

TfrxComponent* TfrxXMLSerializer::dataSource(const QString& name) const
{
    // Components outside the report: the data sources of the program, by name; a dotted
    // name is a component of another owner, found by its last part.
    const QString last = name.section(u'.', -1);
    // A name ending in a dot names nothing; it must not find a source that has no name.
    if (last.isEmpty())
        return nullptr;
    const TfrxReport* report = root_ ? root_->Report() : nullptr;
    for (TfrxDataSet* ds : TfrxDataSet::all()) {
        const TfrxReport* owner = ds->Report();
        if ((!owner || owner == report) && ds->Name().compare(last, Qt::CaseInsensitive) == 0)
            return ds;
    }
    return nullptr;
}

void TfrxXMLSerializer::FixupReferences()
{
    const std::vector<Fixup> pending = std::move(fixups_);
    fixups_.clear();
    for (const Fixup& f : pending) {
        if (f.name.isEmpty() || f.name == QLatin1StringView("nil"))
            continue;
        try {
            // An object of the report by that name first. When it is of another kind than
            // the property takes (a page named like the program's data source), the
            // property stays empty and the data sources are tried.
            if (TfrxComponent* c = names_.find(f.name)) {
                f.prop->setReference(*f.object, c);
                if (f.prop->getReference(*f.object))
                    continue;
            }
            if (TfrxComponent* ds = dataSource(f.name))
                f.prop->setReference(*f.object, ds);
        } catch (const std::exception& e) {
            addError(platform::errorMessage(e));
        }
    }
}

// ---- trees and single objects ----

void TfrxXMLSerializer::ReadTree(TfrxComponent& root, TfrxXMLItem* item)
{
    if (!item) {
        TfrxXMLDocument doc;
        if (!stream_)
            return;
        try {
            doc.loadFromStream(*stream_);
        } catch (const TfrxInvalidXMLException&) {
            ReadTree(root, doc.root()); // what was read stays
            throw;
        }
        ReadTree(root, doc.root());
        return;
    }
    root_ = nullptr;
    names_.clear();
    loaded_.clear();
    root.IsLoading = true;
    AttributesToObject(item->text(), root);
    loaded_.append(&root);
    // After the root's own attributes, which may have brought an ancestor's objects.
    root_ = &root;
    names_.reserve(countItems(*item));
    for (TfrxComponent* c : root.AllObjects())
        names_.insert(c);
    readChildren(root, *item);
    finishLoading();
}

// Templates nest objects a few levels deep (report, page, band, object). Deeper elements
// of a damaged or crafted file are left out with their subtrees: every object deeper down
// walks up through its parents in each later step, so depth would multiply the cost of all.
constexpr qsizetype kMaxObjectDepth = 256;

void TfrxXMLSerializer::readChildren(TfrxComponent& root, TfrxXMLItem& rootItem)
{
    const QString cantFind = frxGet(QStringLiteral("xrCantFindClass"));
    // Document order (each element before its children) without recursion.
    struct Frame {
        TfrxComponent* parent;
        TfrxXMLItem* item;
        int next;
    };
    QList<Frame> stack{{&root, &rootItem, 0}};
    QByteArray lastClassName;
    const ClassInfo* lastClass = nullptr;
    while (!stack.isEmpty()) {
        Frame& top = stack.last();
        if (top.next >= top.item->count()) {
            stack.removeLast();
            continue;
        }
        TfrxComponent* parent = top.parent;
        TfrxXMLItem* child = top.item->item(top.next++);
        if (stack.size() > kMaxObjectDepth) {
            addError(frxGet(QStringLiteral("xrTooDeep")).arg(kMaxObjectDepth));
            continue; // with its subtree
        }
        const bool inherited = child->name() == kInherited;
        const ClassInfo* info = nullptr;
        if (!inherited) {
            // Siblings are mostly of one class: look each name up once in a row.
            if (child->name() != lastClassName) {
                lastClassName = child->name();
                lastClass = findClass(QString::fromLatin1(lastClassName));
            }
            info = lastClass;
            if (!info || !info->factory()) {
                addError(cantFind + u' ' + QString::fromUtf8(child->name()));
                continue;
            }
        }
        const QByteArrayView rawName = child->rawAttr("Name");
        const QString name = attributeText(rawName);
        TfrxComponent* component = names_.find(name);
        const bool created = !component;
        if (created) {
            if (inherited)
                continue;
            component = info->factory()(parent);
            if (!parent->IsAcceptedChild(*component)) {
                addError(QStringLiteral("%1 %2 cannot be placed in %3 %4")
                             .arg(component->ClassName(), name, parent->ClassName(), parent->Name()));
                delete component; // with the elements inside it, which are not read
                continue;
            }
        }
        // Every object this reading has touched is loading until it ends, so one already
        // loading is already on the list of objects told when it does.
        const bool firstTouch = !component->IsLoading;
        component->IsLoading = true;
        // Its Name attribute, read there, maps the name to it with this lookup's answer.
        const KnownName known{rawName, name, created ? nullptr : component};
        applyAttributes(child->text(), *component, &known);
        if (firstTouch)
            loaded_.append(component);
        stack.append({component, child, 0});
    }
}

void TfrxXMLSerializer::finishLoading()
{
    FixupReferences();
    for (TfrxComponent* c : std::as_const(loaded_)) {
        c->IsLoading = false;
        if (!dynamic_cast<TfrxReport*>(c))
            c->Loaded();
    }
    loaded_.clear();
}

TfrxComponent* TfrxXMLSerializer::StringToObject(TfrxComponent* owner, const QByteArray& text, bool dropFixups)
{
    const QByteArray trimmed = text.trimmed();
    const qsizetype blank = trimmed.indexOf(' ');
    const QByteArray className = blank < 0 ? trimmed : trimmed.left(blank);
    const ClassInfo* info = findClass(QString::fromLatin1(className));
    if (!info || !info->factory()) {
        addError(frxGet(QStringLiteral("xrCantFindClass")) + u' ' + QString::fromUtf8(className));
        return nullptr;
    }
    root_ = owner;
    names_.clear();
    if (owner) {
        const TfrxComponent* scope = owner->Report() ? owner->Report() : owner;
        for (TfrxComponent* c : scope->AllObjects())
            names_.insert(c);
    }
    TfrxComponent* object = info->factory()(owner);
    object->IsLoading = true;
    if (blank >= 0)
        AttributesToObject(trimmed.mid(blank), *object);
    if (dropFixups)
        fixups_.clear();
    else
        FixupReferences();
    object->IsLoading = false;
    if (!dynamic_cast<TfrxReport*>(object))
        object->Loaded();
    return object;
}

} // namespace report
