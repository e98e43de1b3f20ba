// Source pages and the dictionary: copies of the template pages a preparation uses, each
// copied object under a short name with the source string its prepared objects start from.

#include "report/pages/detail/pages_state.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_views.h"
#include "report/storage/xml_serializer.h"

#include <algorithm>

namespace report {

using detail::DictEntry;
using detail::PagesState;

namespace detail {

namespace {

// Memo source strings leave out the text (every prepared memo carries its own) and the
// values of the default font, which cost memory in every rebuilt string: a new object has
// them anyway. ParentFont="False" stays: without it a rebuilt memo would take its band's
// font in place of its own.
const char* const kMemoFragments[] = {
    " Font.Charset=\"1\"", " Font.Color=\"0\"", " Font.Name=\"Arial\"", " Font.Height=\"-13\"",
    " Font.Style=\"0\"",
};

void removeAttribute(QByteArray& text, QByteArrayView name)
{
    const QByteArray needle = QByteArray(" ") + name.toByteArray() + "=\"";
    const qsizetype at = text.indexOf(needle);
    if (at < 0)
        return;
    const qsizetype close = text.indexOf('"', at + needle.size());
    text.remove(at, (close < 0 ? text.size() : close + 1) - at);
}

void copyChildren(const TfrxComponent& from, TfrxComponent& to, std::vector<std::pair<TfrxComponent*, TfrxComponent*>>& made)
{
    for (TfrxComponent* child : from.Objects()) {
        const ClassInfo::Factory make = child->classInfo().factory();
        if (!make)
            continue;
        TfrxComponent* copy = make(&to);
        copy->Assign(*child);
        copy->SetName(child->Name());
        made.push_back({copy, child});
        copyChildren(*child, *copy, made);
    }
}

} // namespace

QByteArray PagesState::sourceStringOf(TfrxComponent& copy) const
{
    if (!fullSources && preparedKind(copy) == PreparedKind::FullDifference)
        return copy.ClassName().toLatin1();
    auto* memo = dynamic_cast<TfrxCustomMemoView*>(&copy);
    if (memo) {
        memo->SetDataSet(nullptr);
        memo->DataField.clear();
        try {
            memo->SetDataSetName(QString());
        } catch (const std::exception&) {
        }
    }
    TfrxXMLSerializer serializer;
    QByteArray text = serializer.ObjectToString(copy);
    if (memo) {
        removeAttribute(text, "Text");
        for (const char* fragment : kMemoFragments) {
            const qsizetype at = text.indexOf(fragment);
            if (at >= 0)
                text.remove(at, qsizetype(qstrlen(fragment)));
        }
    }
    return text;
}

// The first free number from where the halving search stops. Names are only added between
// two clears of the dictionary, so the count from a given start resumes where it last
// ended: the numbers between were taken then and still are. That keeps a band of many
// objects from counting up through all the names before each new one.
QByteArray PagesState::makeShortName(const QByteArray& base)
{
    const auto taken = [&](int n) { return byShortName.contains(base + QByteArray::number(n)); };
    int start = 10000;
    while (start > 1 && !taken(start))
        start /= 2;
    int& resume = shortNameResume[base + '/' + QByteArray::number(start)];
    int n = std::max(start, resume);
    while (taken(n))
        ++n;
    resume = n;
    return base + QByteArray::number(n);
}

DictEntry* PagesState::addEntry(TfrxComponent& source, int pageIndex, TfrxComponent* templateObject)
{
    auto entry = std::make_unique<DictEntry>();
    const QByteArray base = dynamic_cast<const TfrxBand*>(&source)
                                ? QByteArray("b")
                                : source.BaseName().left(1).toLower().toLatin1();
    entry->shortName = makeShortName(base.isEmpty() ? QByteArray("o") : base);
    entry->key = "Page" + QByteArray::number(pageIndex) + '.' + source.Name().toUtf8();
    entry->source = &source;
    entry->sourceString = sourceStringOf(source);
    if (templateObject) {
        entry->templateObject.set(templateObject);
        byTemplate.insert(templateObject, entry.get());
    }
    DictEntry* raw = entry.get();
    byShortName.insert(raw->shortName, raw);
    bySource.insert(&source, raw);
    entries.push_back(std::move(entry));
    return raw;
}

DictEntry* PagesState::entryOf(const TfrxComponent& templateObject) const
{
    DictEntry* entry = byTemplate.value(&templateObject);
    // A destroyed template object's address may have been reused.
    if (entry && entry->templateObject.get() != &templateObject)
        return nullptr;
    return entry;
}

void PagesState::clearSources()
{
    byTemplate.clear();
    bySource.clear();
    byShortName.clear();
    shortNameResume.clear();
    entries.clear();
    sourcePages.clear();
}

} // namespace detail

void TfrxPreviewPages::RegisterSourcePage(TfrxPage& templatePage)
{
    const ClassInfo::Factory make = templatePage.classInfo().factory();
    std::unique_ptr<TfrxComponent> made(make ? make(nullptr) : nullptr);
    auto* page = dynamic_cast<TfrxPage*>(made.get());
    if (!page)
        return;
    made.release();
    detail::SourcePage source;
    source.page.reset(page);
    source.templatePage.set(&templatePage);
    page->Assign(templatePage);
    page->SetName(templatePage.Name());
    std::vector<std::pair<TfrxComponent*, TfrxComponent*>> made2;
    detail::copyChildren(templatePage, *page, made2);
    const int index = int(d_->sourcePages.size());
    d_->sourcePages.push_back(std::move(source));
    for (auto [copy, original] : made2)
        d_->addEntry(*copy, index, original);
}

void TfrxPreviewPages::RegisterSourceObject(TfrxComponent& object)
{
    if (d_->sourcePages.empty())
        return;
    const ClassInfo::Factory make = object.classInfo().factory();
    if (!make)
        return;
    TfrxPage* page = d_->sourcePages.back().page.get();
    TfrxComponent* copy = make(page);
    copy->Assign(object);
    copy->CreateUniqueName();
    d_->addEntry(*copy, int(d_->sourcePages.size()) - 1, &object);
}

void TfrxPreviewPages::SetPreparedPageSize(TfrxPage& templatePage, double width, double height)
{
    for (const detail::SourcePage& source : d_->sourcePages) {
        if (source.templatePage.get() != &templatePage)
            continue;
        if (auto* page = dynamic_cast<TfrxReportPage*>(source.page.get())) {
            page->SetPaperSize(256);
            page->SetPaperWidth(width / fr01cm);
            page->SetPaperHeight(height / fr01cm);
        }
    }
    d_->clearCache();
}

QByteArray TfrxPreviewPages::ShortNameOf(const TfrxComponent& templateObject) const
{
    const DictEntry* entry = d_->entryOf(templateObject);
    return entry ? entry->shortName : QByteArray();
}

} // namespace report
