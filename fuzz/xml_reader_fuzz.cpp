// Fuzz target: the XML text form read from arbitrary bytes.
//
// Whatever the bytes, reading must either succeed or raise TfrxInvalidXMLException, and
// the tree that was read (all of it, or the part before the fault) must then behave:
// - every attribute can be asked for, replaced and removed;
// - writing it, compact or indented, gives text that reads back without fault as the same
//   tree;
// - moving an element to the spill file and back, or writing while it is there, changes
//   nothing that is written.
#include "report/xml/xml_form.h"

#include "fuzz_check.h"

#include <QBuffer>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

using report::TfrxInvalidXMLException;
using report::TfrxXMLDocument;
using report::TfrxXMLItem;

QByteArray save(const TfrxXMLDocument& doc, bool indent)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const_cast<TfrxXMLDocument&>(doc).setAutoIndent(indent);
    doc.saveToStream(buffer);
    return bytes;
}

void load(TfrxXMLDocument& doc, const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    doc.loadFromStream(buffer);
}

// The names of the pairs in an attribute text, as a reader of it would take them.
std::vector<QByteArray> attributeNames(const QByteArray& text)
{
    std::vector<QByteArray> names;
    qsizetype at = 0;
    while (at < text.size() && names.size() < 16) {
        while (at < text.size() && text[at] == ' ')
            ++at;
        const qsizetype eq = text.indexOf('=', at);
        if (eq < 0)
            break;
        names.push_back(text.mid(at, eq - at));
        const qsizetype open = text.indexOf('"', eq);
        const qsizetype close = open < 0 ? -1 : text.indexOf('"', open + 1);
        if (close < 0)
            break;
        at = close + 1;
    }
    return names;
}

void exerciseAttributes(TfrxXMLItem* item)
{
    for (const QByteArray& name : attributeNames(item->text())) {
        const QByteArray value = item->getAttr(name);
        FUZZ_CHECK(item->getAttr(name.toLower()) == item->getAttr(name.toUpper()));
        if (value.contains("&quot;"))
            continue; // written as one escaped quote: reads back as '"'
        FUZZ_CHECK(report::UnescapeXML(report::EscapeXML(value)) == value);
        if (name.contains('"') || name.contains(' '))
            continue; // such a name cannot be found again once written
        // Putting the value back keeps it; an appended pair is found and can be removed.
        item->setAttr(name, value);
        FUZZ_CHECK(item->getAttr(name) == value);
        item->setAttr("zz_fuzz", value + "<&quot;>");
        FUZZ_CHECK(item->getAttr("ZZ_FUZZ") == (value + "<\">"));
        item->removeAttr("zz_fuzz");
        FUZZ_CHECK(item->getAttr("zz_fuzz").isEmpty() || item->text().contains("zz_fuzz=\""));
    }
    (void)item->getAttr("Name");
    (void)item->getAttr("");
}

// The trees have the same names, texts and shape; with `written`, b was read from what a
// writer made of a, so its texts lack a leading blank that a's texts had.
bool sameTree(const TfrxXMLItem* a, const TfrxXMLItem* b, bool written)
{
    std::vector<std::pair<const TfrxXMLItem*, const TfrxXMLItem*>> pending{{a, b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        QByteArrayView text = x->text();
        if (written && text.startsWith(' '))
            text = text.sliced(1);
        if (x->name() != y->name() || text != y->text() || x->count() != y->count())
            return false;
        for (int i = 0; i < x->count(); ++i)
            pending.emplace_back(x->item(i), y->item(i));
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    TfrxXMLDocument doc;
    {
        QBuffer buffer;
        buffer.setData(input);
        buffer.open(QIODevice::ReadOnly);
        try {
            doc.loadFromStream(buffer);
        } catch (const TfrxInvalidXMLException&) {
            // what was read stays in the tree and is looked at below
        }
        FUZZ_CHECK(buffer.pos() <= qint64(size));
    }

    // Every item, without recursion (the input may nest deeply).
    std::vector<TfrxXMLItem*> items{doc.root()};
    int depth = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i < 2000)
            exerciseAttributes(items[i]);
        for (int c = 0; c < items[i]->count(); ++c)
            items.push_back(items[i]->item(c));
        int level = 0;
        for (const TfrxXMLItem* up = items[i]; up->parent() && level <= 200; up = up->parent())
            ++level;
        depth = std::max(depth, level);
    }

    // A tree whose root has no name (no element was read) cannot be written as text.
    if (doc.root()->name().isEmpty())
        return 0;

    // Written text reads back as the same tree. The one loss the form has: the writer puts
    // no blank of its own before a text that begins with one, so that blank is taken as the
    // separator when the text is read again.
    // (Indented text grows with the square of the depth: only for trees of sensible depth.)
    const QByteArray compact = save(doc, false);
    TfrxXMLDocument fromCompact;
    try {
        load(fromCompact, compact);
    } catch (const TfrxInvalidXMLException&) {
        FUZZ_FAIL("written text does not read back");
    }
    FUZZ_CHECK(sameTree(doc.root(), fromCompact.root(), true));
    if (depth <= 200) {
        TfrxXMLDocument fromIndented;
        try {
            load(fromIndented, save(doc, true));
        } catch (const TfrxInvalidXMLException&) {
            FUZZ_FAIL("indented text does not read back");
        }
        FUZZ_CHECK(sameTree(fromCompact.root(), fromIndented.root(), false));
    }

    // The spill file: the first child of the root that has children goes there and back.
    TfrxXMLItem* page = nullptr;
    for (int c = 0; c < doc.root()->count() && !page; ++c)
        if (doc.root()->item(c)->count() > 0)
            page = doc.root()->item(c);
    if (page) {
        page->setUnloadable(true);
        const QByteArray before = save(doc, false);
        const int children = page->count();
        doc.unloadItem(page);
        FUZZ_CHECK(!page->loaded() && page->count() == 0);
        FUZZ_CHECK(save(doc, false) == before);
        FUZZ_CHECK(page->count() == 0);
        doc.loadItem(page);
        FUZZ_CHECK(page->loaded() && page->count() == children);
        FUZZ_CHECK(save(doc, false) == before);
    }
    return 0;
}
