#include "report/storage/xml_serializer.h"

#include "report/frx_resources.h"
#include "report/model/frx_datasets.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/model/extra_data.h"
#include "report/xml/xml_form.h"

#include <QBuffer>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <cmath>

namespace report {

namespace {

const QByteArray kInherited = QByteArrayLiteral("inherited");

void appendInt(std::string& out, int value)
{
    char buffer[16];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, size_t(end - buffer));
}

void append(std::string& out, const QByteArray& bytes)
{
    out.append(bytes.constData(), size_t(bytes.size()));
}

void appendFloat(std::string& out, double value)
{
    // Whole numbers, the most common, need no search for the shortest form.
    if (value == std::trunc(value) && std::abs(value) < 1e9)
        appendInt(out, int(value));
    else
        appendFloatText(out, value);
}

void appendOrdinal(std::string& out, const PropInfo& p, int ordinal)
{
    if (p.kind == PropKind::Boolean) {
        out += ordinal != 0 ? "True" : "False";
    } else if (p.kind == PropKind::Enum) {
        if (p.enumInfo && ordinal >= 0 && size_t(ordinal) < p.enumInfo->names.size())
            out += p.enumInfo->names[size_t(ordinal)];
        else
            appendInt(out, ordinal);
    } else {
        appendInt(out, ordinal);
    }
}

// Appends the text of a value straight to the attribute text: no piece of its own.
void appendValue(std::string& out, const PropInfo& p, const QVariant& value)
{
    switch (p.kind) {
    case PropKind::Enum:
    case PropKind::Integer:
    case PropKind::Set:
        appendOrdinal(out, p, variantInt(value));
        break;
    case PropKind::Boolean:
        appendOrdinal(out, p, variantBool(value));
        break;
    case PropKind::Float:
        appendFloat(out, variantDouble(value));
        break;
    case PropKind::String:
    case PropKind::Variant:
        appendEscapedXML(out, variantString(value));
        break;
    case PropKind::Strings:
    case PropKind::WideStrings:
        appendEscapedXML(out, value.toStringList().join(QStringLiteral("\r\n")));
        break;
    case PropKind::Reference: {
        const TfrxComponent* c = value.value<TfrxComponent*>();
        if (c)
            appendEscapedXML(out, c->Name());
        else
            out += "nil";
        break;
    }
    case PropKind::Object:
        break;
    }
}

QString joinLines(const QVariant& lines)
{
    return lines.toStringList().join(QStringLiteral("\r\n"));
}

// Floats closer than this are one value: what a write and a read give back.
bool sameFloat(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

bool sameValue(const PropInfo& p, const QVariant& a, const QVariant& b)
{
    switch (p.kind) {
    case PropKind::Float:
        return sameFloat(variantDouble(a), variantDouble(b));
    case PropKind::Boolean:
        return variantBool(a) == variantBool(b);
    case PropKind::Integer:
    case PropKind::Set:
    case PropKind::Enum:
        return variantInt(a) == variantInt(b);
    case PropKind::Reference:
        return a.value<TfrxComponent*>() == b.value<TfrxComponent*>();
    case PropKind::Strings:
    case PropKind::WideStrings:
        return a.toStringList() == b.toStringList();
    default:
        return a == b;
    }
}

QByteArray extraData(const TfrxPersistent& object)
{
    const auto* component = dynamic_cast<const TfrxComponent*>(&object);
    if (!component)
        return {};
    ExtraDataWriter writer;
    component->WriteExtraData(writer);
    return writer.data();
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

TfrxXMLSerializer::TfrxXMLSerializer(QIODevice* stream) : stream_(stream) {}

TfrxXMLSerializer::~TfrxXMLSerializer() = default;

void TfrxXMLSerializer::addError(const QString& line)
{
    const auto at = std::lower_bound(errors_.begin(), errors_.end(), line);
    if (at == errors_.end() || *at != line)
        errors_.insert(at, line);
}

// ---- writing ----

namespace {

// Whether a value read through the typed access is written: not the ancestor's value, or
// without an ancestor not the declared default (a property without one is always written).
bool intWritten(const PropInfo& p, int value, const TfrxPersistent* ancestor)
{
    if (ancestor)
        return value != p.getInt(*ancestor);
    return !p.hasDefault || value != p.initInt;
}

bool floatWritten(const PropInfo& p, double value, const TfrxPersistent* ancestor)
{
    const double other = ancestor ? p.getFloat(*ancestor) : p.initFloat;
    return (!ancestor && !p.hasDefault) || !sameFloat(value, other);
}

bool stringWritten(const PropInfo& p, const QString& value, const TfrxPersistent* ancestor)
{
    if (ancestor)
        return value != p.getString(*ancestor);
    // Not empty; or emptied where the value on creation is not empty, which a reader would
    // otherwise bring back.
    return !value.isEmpty() || !p.initString.isEmpty();
}

// The same decision for any value, through QVariant.
bool variantWritten(const PropInfo& p, const QVariant& value, const TfrxPersistent* ancestor)
{
    if (ancestor)
        return !sameValue(p, value, p.get(*ancestor));
    switch (p.kind) {
    case PropKind::Variant: return true;
    case PropKind::String: return !variantString(value).isEmpty() || !variantString(p.init).isEmpty();
    case PropKind::Strings: return !joinLines(value).isEmpty() || !joinLines(p.init).isEmpty();
    case PropKind::Reference: return value.value<TfrxComponent*>() != nullptr;
    default: return !p.hasDefault || !sameValue(p, value, p.init);
    }
}

void appendName(std::string& out, const QByteArray& prefix, const PropInfo& p)
{
    out += ' ';
    append(out, prefix);
    append(out, p.latin1Name);
    if (p.kind == PropKind::Strings)
        out += ".Text";
    out += "=\"";
}

} // namespace

void TfrxXMLSerializer::writeProperties(std::string& out, const TfrxPersistent& object, QByteArray& prefix,
                                        const TfrxPersistent* ancestor)
{
    auto& self = const_cast<TfrxPersistent&>(object);
    const bool all = SerializeDefaultValues;
    for (const PropInfo* p : object.classInfo().properties()) {
        if (!p->published || p->kind == PropKind::WideStrings)
            continue;
        if (p->stored && !p->stored(object))
            continue;
        if (p->kind == PropKind::Object) {
            TfrxPersistent* ancestorSub = nullptr;
            if (ancestor && ancestor->classInfo().find(p->name) == p)
                ancestorSub = p->sub(const_cast<TfrxPersistent&>(*ancestor));
            // The prefix grows by the step and is cut back after it.
            const qsizetype length = prefix.size();
            prefix += p->latin1Name;
            prefix += '.';
            writeProperties(out, *p->sub(self), prefix, ancestorSub);
            prefix.truncate(length);
            continue;
        }
        if (p->intTyped()) {
            const int value = p->getInt(object);
            if (all || intWritten(*p, value, ancestor)) {
                appendName(out, prefix, *p);
                appendOrdinal(out, *p, value);
                out += '"';
            }
        } else if (p->floatTyped()) {
            const double value = p->getFloat(object);
            if (all || floatWritten(*p, value, ancestor)) {
                appendName(out, prefix, *p);
                appendFloat(out, value);
                out += '"';
            }
        } else if (p->stringTyped()) {
            const QString value = p->getString(object);
            if (all || stringWritten(*p, value, ancestor)) {
                appendName(out, prefix, *p);
                appendEscapedXML(out, value);
                out += '"';
            }
        } else {
            const QVariant value = p->get(object);
            if (all || variantWritten(*p, value, ancestor)) {
                appendName(out, prefix, *p);
                appendValue(out, *p, value);
                out += '"';
            }
        }
    }
}

QByteArray TfrxXMLSerializer::ObjectToAttributes(const TfrxPersistent& object, const QByteArray& prefix,
                                                 const TfrxPersistent* ancestor)
{
    std::string out;
    appendAttributes(out, object, prefix, ancestor);
    return QByteArray(out.data(), qsizetype(out.size()));
}

void TfrxXMLSerializer::appendAttributes(std::string& out, const TfrxPersistent& object, const QByteArray& prefix,
                                         const TfrxPersistent* ancestor)
{
    auto* component = dynamic_cast<TfrxComponent*>(const_cast<TfrxPersistent*>(&object));
    if (component)
        component->IsWriting = true;
    QByteArray steps = prefix;
    writeProperties(out, object, steps, ancestor);
    if (const auto* memo = dynamic_cast<const TfrxCustomMemoView*>(&object)) {
        const auto* ancestorMemo = dynamic_cast<const TfrxCustomMemoView*>(ancestor);
        if (!ancestorMemo || ancestorMemo->Memo != memo->Memo) {
            out += ' ';
            append(out, prefix);
            out += "Text=\"";
            // The lines joined by CR LF, escaped as they are appended.
            for (qsizetype i = 0; i < memo->Memo.size(); ++i) {
                if (i > 0)
                    out += "&#13;&#10;";
                appendEscapedXML(out, memo->Memo[i]);
            }
            out += '"';
        }
    }
    if (component) {
        ExtraDataWriter extra;
        component->WriteExtraData(extra);
        if (!extra.data().isEmpty() && (!ancestor || crc32(extra.data()) != crc32(extraData(*ancestor)))) {
            out += ' ';
            append(out, prefix);
            out += "PropData=\"";
            append(out, extra.data().toHex().toUpper());
            out += '"';
        }
        component->IsWriting = false;
    }
}

void TfrxXMLSerializer::WriteTree(TfrxComponent& root, bool withChildren, TfrxXMLItem* item)
{
    if (!item) {
        TfrxXMLDocument doc;
        doc.setAutoIndent(true);
        WriteTree(root, withChildren, doc.root());
        if (stream_)
            doc.saveToStream(*stream_);
        return;
    }
    item->setName(root.IsAncestor ? kInherited : root.classInfo().latin1Name());
    item->setText(ObjectToAttributes(root));
    if (!withChildren)
        return;
    // Depth first without recursion. Each element's text is made in one buffer and copied
    // out at its size.
    std::string text;
    QList<std::pair<const TfrxComponent*, TfrxXMLItem*>> pending{{&root, item}};
    while (!pending.isEmpty()) {
        auto [component, parentItem] = pending.takeLast();
        for (TfrxComponent* child : component->Objects()) {
            TfrxXMLItem* childItem = parentItem->addChild();
            childItem->setName(child->IsAncestor ? kInherited : child->classInfo().latin1Name());
            text.clear();
            text += " Name=\"";
            appendEscapedXML(text, child->Name());
            text += '"';
            appendAttributes(text, *child, {}, nullptr);
            childItem->setText(QByteArray(text.data(), qsizetype(text.size())));
            pending.append({child, childItem});
        }
    }
}

QByteArray TfrxXMLSerializer::ObjectToString(const TfrxComponent& object)
{
    return object.classInfo().latin1Name() + ObjectToAttributes(object);
}

// ---- reading ----

void TfrxXMLSerializer::AttributesToObject(const QByteArray& text, TfrxPersistent& object)
{
    // What the object is, found once for all its attributes.
    Target target{object, dynamic_cast<TfrxComponent*>(&object), dynamic_cast<TfrxCustomMemoView*>(&object)};
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
            applyPair(target, name, value);
        } catch (const std::exception& e) {
            addError(platform::errorMessage(e));
        }
    }
}

void TfrxXMLSerializer::applyPair(const Target& self, QByteArrayView name, QByteArrayView rawValue)
{
    TfrxPersistent& object = self.object;
    TfrxComponent* const component = self.component;
    if (name.size() == 1 && component) {
        const char c = name[0];
        const auto number = [&] { return textToFloat(rawValue); };
        switch (c) {
        case 'l': component->SetLeft(number()); return;
        case 't': component->SetTop(number()); return;
        case 'w': component->SetWidth(number()); return;
        case 'h': component->SetHeight(number()); return;
        case 'u':
        case 'x':
            if (TfrxCustomMemoView* memo = self.memo) {
                const QByteArray bytes = UnescapeXML(rawValue);
                setStoredText(*memo, c == 'u' ? QString::fromUtf8(bytes) : decodeAttributeText(bytes));
            }
            return;
        default: break;
        }
    }

    // Walk the dotted steps through sub-objects.
    TfrxPersistent* target = &object;
    QByteArrayView rest = name;
    for (;;) {
        const qsizetype dot = rest.indexOf('.');
        if (dot < 0)
            break;
        const PropInfo* p = findProperty(target->classInfo(), rest.first(dot));
        if (!p || !p->published)
            return;
        if ((p->kind == PropKind::Strings || p->kind == PropKind::WideStrings)
            && qstrnicmp(rest.sliced(dot + 1).data(), rest.size() - dot - 1, "Text", 4) == 0) {
            if (p->set) {
                const QString text = decodeAttributeText(UnescapeXML(rawValue));
                p->set(*target, text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n")));
            }
            return;
        }
        if (p->kind != PropKind::Object)
            return;
        target = p->sub(*target);
        rest = rest.sliced(dot + 1);
    }

    const auto is = [&rest](const char* word) {
        const auto n = qsizetype(std::strlen(word));
        return rest.size() == n && qstrnicmp(rest.data(), n, word, n) == 0;
    };
    if (target == &object) {
        if (is("Text") && self.memo) {
            setStoredText(*self.memo, QString::fromUtf8(rawValue.contains('&') ? QByteArrayView(UnescapeXML(rawValue)) : rawValue));
            return;
        }
        if (is("PropData")) {
            if (component) {
                ExtraDataReader reader(QByteArray::fromHex(rawValue.toByteArray()));
                reader.readProperties(*component);
            }
            return;
        }
        if (is("Name") && component) {
            if (dynamic_cast<TfrxReport*>(&object))
                return;
            if (root_) {
                // While a tree is read the reader's map of names keeps them unique. The
                // element's own name was looked up just before its attributes, and nothing
                // has renamed since: that answer holds, once.
                const bool known = lookedUp_ && rawValue == lookedUpRaw_;
                lookedUp_ = false;
                const QString name = known ? lookedUpName_ : attributeText(rawValue);
                const TfrxComponent* other = known ? lookedUpOwner_ : names_.find(name);
                if (other && other != component)
                    throw ReportError(frxGet(QStringLiteral("prDupl")));
                const QString oldName = component->Name();
                component->SetName(name);
                names_.remove(component, oldName);
                names_.insert(component);
                return;
            }
        }
    }

    const PropInfo* p = findProperty(target->classInfo(), rest);
    if (!p || !p->published || !p->set)
        return;
    // Numbers and names of elements are ASCII: read straight from the bytes.
    const bool escaped = rawValue.contains('&');
    const QByteArray unescaped = escaped ? UnescapeXML(rawValue) : QByteArray();
    const QByteArrayView bytes = escaped ? QByteArrayView(unescaped) : rawValue;
    switch (p->kind) {
    case PropKind::Float:
        if (p->setFloat)
            p->setFloat(*target, textToFloat(bytes));
        else
            p->set(*target, textToFloat(bytes));
        return;
    case PropKind::Integer:
    case PropKind::Set:
        if (p->setInt)
            p->setInt(*target, textToInt(bytes));
        else
            p->set(*target, textToInt(bytes));
        return;
    case PropKind::Enum:
    case PropKind::Boolean: {
        const EnumInfo& info = p->kind == PropKind::Boolean ? BooleanInfo : *p->enumInfo;
        int ordinal = plainOrdinal(info, bytes);
        if (ordinal == kNotPlain) {
            const QString text = decodeAttributeText(bytes).trimmed();
            bool isNumber = false;
            ordinal = text.toInt(&isNumber);
            if (!isNumber)
                ordinal = info.ordinalOf(text);
        }
        if (ordinal < 0 || size_t(ordinal) >= info.names.size())
            throw ReportError(QStringLiteral("Invalid property value: %1=%2").arg(p->name, decodeAttributeText(bytes)));
        if (p->setInt)
            p->setInt(*target, ordinal);
        else
            p->set(*target, p->kind == PropKind::Boolean ? QVariant(ordinal != 0) : QVariant(ordinal));
        return;
    }
    default:
        break;
    }
    const QString text = decodeAttributeText(bytes);
    switch (p->kind) {
    case PropKind::String:
        if (p->setString)
            p->setString(*target, text);
        else
            p->set(*target, text);
        break;
    case PropKind::Variant:
        p->set(*target, text);
        break;
    case PropKind::Reference:
        fixups_.push_back({target, p, text});
        break;
    default:
        break;
    }
}

// Every object of a class spells its attributes the same way: each spelling is looked up in
// the class's table once and then found again by its bytes.
struct TfrxXMLSerializer::PropertyCache {
    struct Entry {
        const ClassInfo* info = nullptr;
        const PropInfo* prop = nullptr;
        qsizetype length = 0;
        char name[40];
    };
    std::array<Entry, 512> entries;
};

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

TfrxComponent* TfrxXMLSerializer::dataSource(const QString& name) const
{
    // Components outside the report: the data sources of the program, by name; a dotted
    // name is a component of another owner, found by its last part.
    const QString last = name.section(u'.', -1);
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
                f.prop->set(*f.object, QVariant::fromValue(c));
                if (f.prop->get(*f.object).value<TfrxComponent*>())
                    continue;
            }
            if (TfrxComponent* ds = dataSource(f.name))
                f.prop->set(*f.object, QVariant::fromValue(ds));
        } catch (const std::exception& e) {
            addError(platform::errorMessage(e));
        }
    }
}

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
        lookedUp_ = true;
        lookedUpRaw_ = rawName;
        lookedUpName_ = name;
        lookedUpOwner_ = created ? nullptr : component;
        AttributesToObject(child->text(), *component);
        lookedUp_ = false;
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
