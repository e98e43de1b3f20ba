// Writing: objects to attribute text, trees of components to elements.
#include "report/storage/xml_serializer.h"

#include "report/model/extra_data.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/xml/xml_form.h"
#include "report/xml/xml_number.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

const QByteArray kInherited = QByteArrayLiteral("inherited");

void append(std::string& out, const QByteArray& bytes)
{
    out.append(bytes.constData(), size_t(bytes.size()));
}

void appendOrdinal(std::string& out, const PropInfo& p, int ordinal)
{
    if (p.kind == PropKind::Boolean) {
        out += ordinal != 0 ? "True" : "False";
    } else if (p.kind == PropKind::Enum) {
        if (p.enumInfo && ordinal >= 0 && size_t(ordinal) < p.enumInfo->names.size())
            out += p.enumInfo->names[size_t(ordinal)];
        else
            appendIntText(out, ordinal);
    } else {
        appendIntText(out, ordinal);
    }
}

QString joinLines(const QStringList& lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

// Floats closer than this are one value: what a write and a read give back.
bool sameFloat(double a, double b)
{
    return std::abs(a - b) < 1e-6;
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

// Extra data is compared by checksum; equal bytes, the usual case, need no checksum.
bool differentExtraData(const QByteArray& data, const QByteArray& ancestorData)
{
    return data != ancestorData && crc32(data) != crc32(ancestorData);
}

// Whether a value is written: not the ancestor's value, or without an ancestor not the
// declared default (a property without one is always written).
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

// Texts and lists: not empty; or emptied where the value on creation is not empty, which a
// reader would otherwise bring back.
bool stringWritten(const PropInfo& p, const QString& value, const TfrxPersistent* ancestor)
{
    if (ancestor)
        return value != p.getString(*ancestor);
    return !value.isEmpty() || !p.initString.isEmpty();
}

bool linesWritten(const PropInfo& p, const QStringList& value, const TfrxPersistent* ancestor)
{
    if (ancestor)
        return value != p.getStrings(*ancestor);
    return !joinLines(value).isEmpty() || !joinLines(p.init.toStringList()).isEmpty();
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

// " Name=\"value\"" of a property that is no sub-object, when it is written.
void appendProperty(std::string& out, const QByteArray& prefix, const PropInfo& p, const TfrxPersistent& object,
                    const TfrxPersistent* ancestor, bool all)
{
    switch (p.kind) {
    case PropKind::Integer:
    case PropKind::Set:
    case PropKind::Enum:
    case PropKind::Boolean: {
        const int value = p.getInt(object);
        if (!all && !intWritten(p, value, ancestor))
            return;
        appendName(out, prefix, p);
        appendOrdinal(out, p, value);
        break;
    }
    case PropKind::Float: {
        const double value = p.getFloat(object);
        if (!all && !floatWritten(p, value, ancestor))
            return;
        appendName(out, prefix, p);
        appendFloatText(out, value);
        break;
    }
    case PropKind::String: {
        const QString value = p.getString(object);
        if (!all && !stringWritten(p, value, ancestor))
            return;
        appendName(out, prefix, p);
        appendEscapedXML(out, value);
        break;
    }
    case PropKind::Strings: {
        const QStringList value = p.getStrings(object);
        if (!all && !linesWritten(p, value, ancestor))
            return;
        appendName(out, prefix, p);
        appendEscapedXML(out, joinLines(value));
        break;
    }
    case PropKind::Reference: {
        const TfrxComponent* value = p.getReference(object);
        if (!all && (ancestor ? value == p.getReference(*ancestor) : !value))
            return;
        appendName(out, prefix, p);
        if (value)
            appendEscapedXML(out, value->Name());
        else
            out += "nil";
        break;
    }
    case PropKind::Variant: {
        const QVariant value = p.get(object);
        if (!all && ancestor && value == p.get(*ancestor))
            return;
        appendName(out, prefix, p);
        appendEscapedXML(out, variantString(value));
        break;
    }
    case PropKind::WideStrings:
    case PropKind::Object: return;
    }
    out += '"';
}

// Whether every published property equals the ancestor's, by the rules appendProperty writes
// by. Properties that are not stored are compared too: a difference there only means the
// caller writes the text to find out.
bool sameProperties(const TfrxPersistent& object, const TfrxPersistent& ancestor)
{
    if (&object.classInfo() != &ancestor.classInfo())
        return false;
    for (const PropInfo* p : object.classInfo().properties()) {
        if (!p->published)
            continue;
        switch (p->kind) {
        case PropKind::Integer:
        case PropKind::Set:
        case PropKind::Enum:
        case PropKind::Boolean:
            if (p->getInt(object) != p->getInt(ancestor))
                return false;
            break;
        case PropKind::Float:
            if (!sameFloat(p->getFloat(object), p->getFloat(ancestor)))
                return false;
            break;
        case PropKind::String:
            if (p->getString(object) != p->getString(ancestor))
                return false;
            break;
        case PropKind::Strings:
            if (p->getStrings(object) != p->getStrings(ancestor))
                return false;
            break;
        case PropKind::Reference:
            if (p->getReference(object) != p->getReference(ancestor))
                return false;
            break;
        case PropKind::Variant:
            if (p->get(object) != p->get(ancestor))
                return false;
            break;
        case PropKind::Object:
            if (!sameProperties(*p->sub(const_cast<TfrxPersistent&>(object)),
                                *p->sub(const_cast<TfrxPersistent&>(ancestor))))
                return false;
            break;
        case PropKind::WideStrings: break;
        }
    }
    return true;
}

} // namespace

bool TfrxXMLSerializer::SameAsAncestor(const TfrxComponent& object, const TfrxComponent& ancestor)
{
    if (!sameProperties(object, ancestor))
        return false;
    if (object.classInfo().inheritsFrom(TfrxCustomMemoView::staticClassInfo())
        && static_cast<const TfrxCustomMemoView&>(object).Memo != static_cast<const TfrxCustomMemoView&>(ancestor).Memo)
        return false;
    return object.SameExtraData(ancestor);
}

void TfrxXMLSerializer::addError(const QString& line)
{
    const auto at = std::lower_bound(errors_.begin(), errors_.end(), line);
    if (at == errors_.end() || *at != line)
        errors_.insert(at, line);
}

void TfrxXMLSerializer::writeProperties(std::string& out, const TfrxPersistent& object, QByteArray& prefix,
                                        const TfrxPersistent* ancestor)
{
    auto& self = const_cast<TfrxPersistent&>(object);
    for (const PropInfo* p : object.classInfo().properties()) {
        if (!p->published || p->kind == PropKind::WideStrings)
            continue;
        if (p->stored && !p->stored(object))
            continue;
        if (p->kind != PropKind::Object) {
            appendProperty(out, prefix, *p, object, ancestor, SerializeDefaultValues);
            continue;
        }
        TfrxPersistent* ancestorSub = nullptr;
        // An ancestor of the object's own class has the property; others are asked by name.
        if (ancestor && (&ancestor->classInfo() == &object.classInfo() || ancestor->classInfo().find(p->name) == p))
            ancestorSub = p->sub(const_cast<TfrxPersistent&>(*ancestor));
        // The prefix grows by the step and is cut back after it.
        const qsizetype length = prefix.size();
        prefix += p->latin1Name;
        prefix += '.';
        writeProperties(out, *p->sub(self), prefix, ancestorSub);
        prefix.truncate(length);
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
        if (!extra.data().isEmpty() && (!ancestor || differentExtraData(extra.data(), extraData(*ancestor)))) {
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
        doc.setAutoIndent(Indent);
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

} // namespace report
