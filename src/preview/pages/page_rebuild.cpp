// Rebuilding prepared pages into real page objects, the page cache, and the operations
// that write whole pages into the tree.

#include "preview/pages/detail/pages_state.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/storage/xml_serializer.h"

#include <cmath>

namespace report {

using detail::DictEntry;

namespace {

constexpr int kPageCacheSize = 50;

class PageBuilder {
public:
    explicit PageBuilder(detail::PagesState& state) : state_(state) {}

    // Objects of the element's children become children of parent, recursively.
    void readObjects(const TfrxXMLItem& element, TfrxComponent& parent)
    {
        for (int i = 0; i < element.count(); ++i) {
            const TfrxXMLItem* child = element.item(i);
            TfrxComponent* object = makeObject(*child);
            if (!object)
                continue; // an unknown class: its subtree goes with it
            object->SetParent(&parent);
            names_.insert(object, child->name());
            readObjects(*child, *object);
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
        const DictEntry* entry = state_.entryByName(element.name());
        if (!entry) {
            // Stored without a source object: the element names its class. Objects of
            // pages stored in full are made anew even when names repeat.
            return serializer_.StringToObject(nullptr, element.name() + ' ' + element.text(), true);
        }
        TfrxComponent* object = serializer_.StringToObject(nullptr, entry->sourceString + ' ' + element.text(), true);
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
            return {int(std::round(report->PaperWidth() * fr01cm)), int(std::round(report->PaperHeight() * fr01cm))};
        return {int(std::round(page.Width())), int(std::round(page.Height()))};
    }
    const TfrxReportPage* page = GetPreparedPage(index);
    return page ? QSize(int(std::round(page->Width())), int(std::round(page->Height()))) : QSize(0, 0);
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
