// One element of the XML text form: children and the raw attribute text.
#include "report/xml/xml_form.h"
#include "report/xml/xml_ascii.h"

#include <algorithm>
#include <cstring>

namespace report {

using detail::equalsIgnoringCase;

namespace {

// Where the pair of an attribute stands in the attribute text: the text is searched,
// ignoring case, for a blank, the name, '=' and '"', with a blank put in front of the text
// (so the first pair is found too). The first occurrence wins.
struct Pair {
    qsizetype start = -1;     // first byte of the name; -1 when not found
    qsizetype valueStart = 0; // first byte after the opening quote
    qsizetype valueEnd = 0;   // the closing quote, or the text's end when there is none
    bool closed = false;      // a closing quote was found
};

Pair findPair(const QByteArray& text, QByteArrayView name)
{
    Pair pair;
    const qsizetype n = name.size();
    const char* data = text.constData();
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i + n + 2 <= size) {
        if (data[i + n] == '=' && data[i + n + 1] == '"'
            && equalsIgnoringCase(QByteArrayView(data + i, n), name)) {
            pair.start = i;
            pair.valueStart = i + n + 2;
            const char* quote = detail::findByte(data + pair.valueStart, size - pair.valueStart, '"');
            pair.closed = quote != nullptr;
            pair.valueEnd = quote ? quote - data : size;
            return pair;
        }
        // the next candidate starts after the next blank
        const char* blank = detail::findByte(data + i, size - i, ' ');
        if (!blank)
            break;
        i = blank - data + 1;
    }
    return pair;
}

} // namespace

TfrxXMLItem::TfrxXMLItem() = default;

TfrxXMLItem::TfrxXMLItem(QByteArray name) : name_(std::move(name)) {}

TfrxXMLItem::~TfrxXMLItem()
{
    detachFromParent();
    clear();
}

void TfrxXMLItem::detachFromParent()
{
    if (!parent_)
        return;
    auto& siblings = parent_->children_;
    // Items are most often destroyed from the end of a list.
    const auto it = std::find(siblings.rbegin(), siblings.rend(), this);
    if (it != siblings.rend())
        siblings.erase(std::next(it).base());
    parent_ = nullptr;
}

void TfrxXMLItem::adopt(TfrxXMLItem* item, std::size_t index)
{
    Q_ASSERT(item);
    // An item cannot hold itself or one of its ancestors.
    for (const TfrxXMLItem* up = this; up; up = up->parent_)
        if (up == item)
            return;
    item->detachFromParent();
    index = std::min(index, children_.size());
    children_.insert(children_.begin() + std::ptrdiff_t(index), item);
    item->parent_ = this;
}

TfrxXMLItem* TfrxXMLItem::addChild()
{
    auto* child = new TfrxXMLItem;
    children_.push_back(child);
    child->parent_ = this;
    return child;
}

TfrxXMLItem* TfrxXMLItem::addChild(QByteArray name)
{
    TfrxXMLItem* child = addChild();
    child->name_ = std::move(name);
    return child;
}

void TfrxXMLItem::addItem(TfrxXMLItem* item)
{
    adopt(item, children_.size());
}

void TfrxXMLItem::insertItem(int index, TfrxXMLItem* item)
{
    adopt(item, std::size_t(std::max(index, 0)));
}

std::unique_ptr<TfrxXMLItem> TfrxXMLItem::takeItem(int index)
{
    TfrxXMLItem* child = children_.at(std::size_t(index));
    children_.erase(children_.begin() + index);
    child->parent_ = nullptr;
    return std::unique_ptr<TfrxXMLItem>(child);
}

int TfrxXMLItem::indexOf(const TfrxXMLItem* item) const
{
    const auto it = std::find(children_.begin(), children_.end(), item);
    return it == children_.end() ? -1 : int(it - children_.begin());
}

int TfrxXMLItem::findChild(QByteArrayView name) const
{
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (equalsIgnoringCase(children_[i]->name_, name))
            return int(i);
    return -1;
}

TfrxXMLItem* TfrxXMLItem::childByName(QByteArrayView name)
{
    const int index = findChild(name);
    return index >= 0 ? children_[std::size_t(index)] : addChild(name.toByteArray());
}

void TfrxXMLItem::clear()
{
    // Without recursion, so that a deeply nested tree cannot exhaust the stack; children are
    // detached before they are destroyed, so no destructor searches a sibling list.
    std::vector<TfrxXMLItem*> pending = std::move(children_);
    children_.clear();
    while (!pending.empty()) {
        TfrxXMLItem* item = pending.back();
        pending.pop_back();
        pending.insert(pending.end(), item->children_.begin(), item->children_.end());
        item->children_.clear();
        item->parent_ = nullptr;
        delete item;
    }
    if (unloadable_)
        loaded_ = false;
}

QByteArray TfrxXMLItem::getAttr(QByteArrayView name) const
{
    return UnescapeXML(rawAttr(name));
}

QByteArrayView TfrxXMLItem::rawAttr(QByteArrayView name) const
{
    const Pair pair = findPair(text_, name);
    if (pair.start < 0 || !pair.closed)
        return {};
    return QByteArrayView(text_).sliced(pair.valueStart, pair.valueEnd - pair.valueStart);
}

void TfrxXMLItem::setAttr(QByteArrayView name, QByteArrayView value)
{
    const Pair pair = findPair(text_, name);
    qsizetype at = text_.size();
    if (pair.start >= 0) {
        at = pair.start;
        text_.remove(at, pair.valueEnd + (pair.closed ? 1 : 0) - at);
    }
    const QByteArray escaped = EscapeXML(value);
    QByteArray inserted;
    inserted.reserve(name.size() + escaped.size() + 4);
    if (at > 0 && text_[at - 1] != ' ')
        inserted += ' ';
    inserted += name;
    inserted += "=\"";
    inserted += escaped;
    inserted += '"';
    text_.insert(at, inserted);
}

void TfrxXMLItem::removeAttr(QByteArrayView name)
{
    const Pair pair = findPair(text_, name);
    if (pair.start < 0)
        return;
    qsizetype end = pair.valueEnd + (pair.closed ? 1 : 0);
    if (end < text_.size() && text_[end] == ' ')
        ++end;
    text_.remove(pair.start, end - pair.start);
}

} // namespace report
