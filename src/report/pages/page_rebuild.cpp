// Rebuilding prepared pages into real page objects, the page cache, and the operations
// that write whole pages into the tree.

#include "report/pages/detail/pages_state.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/model/extra_data.h"
#include "report/storage/xml_serializer.h"

#include <algorithm>
#include <cmath>

namespace report {

using detail::DictEntry;

namespace {

constexpr int kPageCacheSize = 50;
// Pages this program prepares nest objects a few levels deep (page, band, object, its
// parts). Objects deeper than this in a damaged or crafted file are left out with their
// subtrees: every later step (positions, drawing) walks up through the parents, so the
// depth would otherwise multiply the cost of each object.
constexpr std::size_t kMaxObjectDepth = 256;

// A size in whole pixels; a damaged file may give any number, infinite ones included.
int wholePixels(double value)
{
    constexpr double kLimit = 1e9;
    return std::isfinite(value) ? int(std::lround(std::clamp(value, -kLimit, kLimit))) : 0;
}

class PageBuilder {
public:
    explicit PageBuilder(detail::PagesState& state) : state_(state) {}

    // Objects of the element's descendants become descendants of parent, in document order,
    // without recursion: a damaged or crafted file may nest objects to any depth.
    void readObjects(const TfrxXMLItem& element, TfrxComponent& parent)
    {
        struct Frame {
            const TfrxXMLItem* element;
            TfrxComponent* object;
            int next;
        };
        std::vector<Frame> stack{{&element, &parent, 0}};
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next >= top.element->count()) {
                stack.pop_back();
                continue;
            }
            const TfrxXMLItem* child = top.element->item(top.next++);
            if (stack.size() > kMaxObjectDepth)
                continue;
            TfrxComponent* object = makeObject(*child);
            if (!object)
                continue; // an unknown class: its subtree goes with it
            object->SetParent(top.object);
            names_.insert(object, child->name());
            stack.push_back({child, object, 0}); // top is not used past this point
        }
    }

    std::unique_ptr<TfrxPage> build(const TfrxXMLItem& element)
    {
        std::unique_ptr<TfrxPage> page;
        const int source = detail::PagesState::sourceIndexOf(element.name());
        if (source >= 0 && source < int(state_.sourcePages.size())) {
            const TfrxPage& sourcePage = *state_.sourcePages[std::size_t(source)].page;
            page = makePage(sourcePage.ClassName().toLatin1());
            page->Assign(sourcePage);
            page->SetName(sourcePage.Name());
        } else {
            // A page stored in full, or (from a damaged file) a page without its source:
            // its own attributes and objects are all there is.
            page = makePage(element.name());
            if (source < 0)
                serializer_.AttributesToObject(element.text(), *page);
        }
        readObjects(element, *page);
        return page;
    }

    QHash<const TfrxComponent*, QByteArray> takeNames() { return std::move(names_); }

private:
    static std::unique_ptr<TfrxPage> makePage(const QByteArray& className)
    {
        const ClassInfo* info = findClass(QString::fromLatin1(className));
        if (info && info->factory() && info->inheritsFrom(TfrxReportPage::staticClassInfo()))
            return std::unique_ptr<TfrxPage>(static_cast<TfrxPage*>(info->factory()(nullptr)));
        return std::make_unique<TfrxReportPage>();
    }

    TfrxComponent* makeObject(const TfrxXMLItem& element)
    {
        DictEntry* entry = state_.entryByName(element.name());
        if (!entry) {
            // Stored without a source object: the element names its class. Objects of
            // pages stored in full are made anew even when names repeat.
            return serializer_.StringToObject(nullptr, element.name() + ' ' + element.text(), true);
        }
        TfrxComponent* object = fromPrototype(*entry, element.text());
        if (!object)
            return nullptr;
        try {
            object->SetName(entry->source->Name());
        } catch (const std::exception&) {
        }
        if (auto* picture = dynamic_cast<TfrxPictureView*>(object); picture && picture->Picture.isEmpty()) {
            const int index = picture->ImageIndex;
            if (index >= 1 && index <= int(state_.pictures.size()))
                picture->Picture = state_.pictures[std::size_t(index - 1)];
        }
        return object;
    }

    // Same as reading the source string followed by the element's attributes: a copy of
    // the object the source string reads as, then the attributes.
    TfrxComponent* fromPrototype(DictEntry& entry, const QByteArray& attributes)
    {
        if (!entry.prototype) {
            entry.prototype.reset(serializer_.StringToObject(nullptr, entry.sourceString, true));
            if (!entry.prototype)
                return nullptr;
            ExtraDataWriter writer;
            entry.prototype->WriteExtraData(writer);
            entry.prototypeExtra = writer.data();
            const std::unique_ptr<TfrxComponent> fresh(entry.prototype->classInfo().factory()(nullptr));
            entry.prototypeChanges = changedProperties(*entry.prototype, *fresh);
        }
        const TfrxComponent& prototype = *entry.prototype;
        TfrxComponent* object = prototype.classInfo().factory()(nullptr);
        object->IsLoading = true; // the stored ParentFont decides, not the order of values
        auto& source = const_cast<TfrxComponent&>(prototype);
        for (const PropInfo* p : entry.prototypeChanges) {
            if (p->kind == PropKind::Object)
                copySameClass(*p->sub(source), *p->sub(*object));
            else
                p->set(*object, p->get(prototype));
        }
        if (!entry.prototypeExtra.isEmpty())
            ExtraDataReader(entry.prototypeExtra).readProperties(*object);
        serializer_.AttributesToObject(attributes, *object);
        serializer_.DropFixups();
        object->IsLoading = false;
        object->Loaded();
        return object;
    }

    // Properties of a new object that must be set to make it the prototype: scalars that
    // differ, and whole sub-objects with any difference inside (their setters reach into
    // each other, as a frame's colour does into its lines).
    static std::vector<const PropInfo*> changedProperties(const TfrxPersistent& prototype, const TfrxPersistent& fresh)
    {
        std::vector<const PropInfo*> changed;
        for (const PropInfo* p : prototype.classInfo().properties()) {
            if (p->kind == PropKind::Object) {
                auto& a = *p->sub(const_cast<TfrxPersistent&>(prototype));
                auto& b = *p->sub(const_cast<TfrxPersistent&>(fresh));
                if (!changedProperties(a, b).empty())
                    changed.push_back(p);
            } else if (p->set && p->get(prototype) != p->get(fresh)) {
                changed.push_back(p);
            }
        }
        return changed;
    }

    // Both objects are of one class, so the property lists match one to one.
    static void copySameClass(const TfrxPersistent& source, TfrxPersistent& target)
    {
        auto& src = const_cast<TfrxPersistent&>(source);
        for (const PropInfo* p : target.classInfo().properties()) {
            if (p->kind == PropKind::Object)
                copySameClass(*p->sub(src), *p->sub(target));
            else if (p->set)
                p->set(target, p->get(source));
        }
    }

    detail::PagesState& state_;
    TfrxXMLSerializer serializer_;
    QHash<const TfrxComponent*, QByteArray> names_;
};

} // namespace

TfrxReportPage* TfrxPreviewPages::GetPreparedPage(int index)
{
    if (index < 0 || index >= PageCount())
        return nullptr;
    auto& cache = d_->cache;
    for (std::size_t i = 0; i < cache.size(); ++i) {
        if (cache[i].index != index)
            continue;
        if (!d_->engine.Running) {
            std::swap(cache[0], cache[i]);
            return cache[0].page.get();
        }
        cache.erase(cache.begin() + std::ptrdiff_t(i)); // the engine may have changed it
        break;
    }
    const TfrxXMLItem* element = d_->pageItem(index);
    PageBuilder builder(*d_);
    std::unique_ptr<TfrxPage> built = builder.build(*element);
    built->AlignChildren();
    auto* page = static_cast<TfrxReportPage*>(built.release());
    cache.insert(cache.begin(),
                 detail::CachedPage{index, std::unique_ptr<TfrxReportPage>(page), builder.takeNames()});
    if (cache.size() > std::size_t(kPageCacheSize)) {
        const int dropped = cache.back().index;
        cache.pop_back();
        TfrxXMLItem* list = d_->pages();
        if (d_->report.EngineOptions().UseFileCache && dropped < list->count()
            && list->item(dropped)->unloadable())
            d_->doc.unloadItem(list->item(dropped));
    }
    return page;
}

QByteArray TfrxPreviewPages::ElementNameOf(const TfrxComponent& object) const
{
    for (const detail::CachedPage& cached : d_->cache)
        if (auto it = cached.elementNames.constFind(&object); it != cached.elementNames.cend())
            return *it;
    return {};
}

QSize TfrxPreviewPages::GetPreparedPageSize(int index)
{
    if (index < 0 || index >= PageCount())
        return {0, 0};
    const int source = detail::PagesState::sourceIndexOf(d_->pages()->item(index)->name());
    if (source >= 0 && source < int(d_->sourcePages.size())) {
        const TfrxPage& page = *d_->sourcePages[std::size_t(source)].page;
        if (const auto* report = dynamic_cast<const TfrxReportPage*>(&page))
            return {wholePixels(report->PaperWidth() * fr01cm), wholePixels(report->PaperHeight() * fr01cm)};
        return {wholePixels(page.Width()), wholePixels(page.Height())};
    }
    const TfrxReportPage* page = GetPreparedPage(index);
    return page ? QSize(wholePixels(page->Width()), wholePixels(page->Height())) : QSize(0, 0);
}

void TfrxPreviewPages::ReplacePage(int index, TfrxReportPage& page)
{
    TfrxXMLItem* item = d_->pageItem(index);
    if (!item)
        return;
    item->setUnloadable(false);
    item->clear();
    item->setLoaded(true);
    TfrxXMLSerializer serializer;
    serializer.WriteTree(page, true, item);
    d_->clearCache();
}

void TfrxPreviewPages::AppendPagesFrom(TfrxPreviewPages& other)
{
    const int count = other.PageCount();
    TfrxXMLSerializer serializer;
    for (int i = 0; i < count; ++i) {
        TfrxReportPage* page = other.GetPreparedPage(i);
        if (!page)
            continue;
        TfrxXMLItem* item = d_->pages()->addChild();
        serializer.WriteTree(*page, true, item);
    }
    d_->clearCache();
}

bool TfrxPreviewPages::ExportPages(TfrxExportFilter& filter)
{
    if (!filter.Start())
        return false;
    for (int i = 0; i < PageCount(); ++i)
        if (TfrxReportPage* page = GetPreparedPage(i))
            filter.ExportPage(*page, i);
    filter.Finish();
    return true;
}

} // namespace report
