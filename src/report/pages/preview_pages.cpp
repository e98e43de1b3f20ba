// The prepared-pages store while a report is prepared: pages and objects going into the
// tree, passes, cut and paste of objects, and the page operations of the preview.

#include "report/pages/detail/pages_state.h"
#include "report/model/frx_bands.h"
#include "report/model/frx_report.h"
#include "report/model/frx_views.h"
#include "report/storage/xml_serializer.h"
#include "report/xml/xml_number.h"

#include <QImage>
#include <algorithm>

namespace report {

using detail::DictEntry;
using detail::PagesState;

namespace detail {

TfrxXMLItem* PagesState::pageItem(int index)
{
    TfrxXMLItem* list = pages();
    if (index < 0 || index >= list->count())
        return nullptr;
    TfrxXMLItem* item = list->item(index);
    if (!item->loaded())
        doc.loadItem(item);
    return item;
}

bool PagesState::firstPassOfTwo() const
{
    return engine.Running && report.EngineOptions().DoublePass && !engine.FinalPass;
}

int PagesState::sourceIndexOf(const QByteArray& elementName)
{
    if (!elementName.startsWith("page"))
        return -1;
    bool ok = false;
    const int n = elementName.mid(4, 5).toInt(&ok);
    return ok && n >= 0 ? n : -1;
}

void PagesState::appendElement(TfrxXMLItem& parent, TfrxComponent& object)
{
    // Depth first in child order, without recursion: a template may nest objects deeply.
    std::vector<std::pair<TfrxXMLItem*, TfrxComponent*>> pending{{&parent, &object}};
    while (!pending.empty()) {
        const auto [into, next] = pending.back();
        pending.pop_back();
        TfrxXMLItem* item = appendOneElement(*into, *next);
        if (!item)
            continue;
        const QList<TfrxComponent*>& children = next->Objects();
        for (auto it = children.crbegin(); it != children.crend(); ++it)
            pending.emplace_back(item, *it);
    }
}

TfrxXMLItem* PagesState::appendOneElement(TfrxXMLItem& parent, TfrxComponent& object)
{
    const PreparedKind kind = preparedKind(object);
    if (!object.Visible() || kind == PreparedKind::Hidden)
        return nullptr;
    if (kind == PreparedKind::Picture) {
        auto* picture = static_cast<TfrxPictureView*>(&object);
        auto last = lastStoredPicture.constFind(&object);
        if (last == lastStoredPicture.cend() || *last != picture->Picture) {
            // A picture stored for the first time or changed since applies AutoSize.
            if (picture->AutoSize && !picture->Picture.isEmpty()) {
                const QImage image = QImage::fromData(picture->Picture);
                if (!image.isNull())
                    picture->SetBounds(picture->Left(), picture->Top(), image.width(), image.height());
            }
            self.StorePicture(*picture);
            lastStoredPicture.insert(&object, picture->Picture);
        }
    }
    const DictEntry* entry = entryOf(object);
    TfrxXMLItem* item = parent.addChild();
    // The element text is built in one buffer and copied out at its size.
    std::string& text = elementText;
    text.clear();
    if (!entry) {
        item->setName(object.ClassName().toLatin1());
        // The serialiser leaves names to the tree writer; the rebuilt object needs one.
        if (!object.Name().isEmpty()) {
            text += " Name=\"";
            appendEscapedXML(text, object.Name());
            text += '"';
        }
        TfrxXMLSerializer().AppendAttributes(text, object, nullptr);
    } else {
        item->setName(entry->shortName);
        if (firstPassOfTwo()) {
            appendDifference(text, object, *entry->source, kind, true);
        } else if (kind == PreparedKind::FullDifference) {
            // Against the source object when its source string carries its attributes: a
            // rich text stored per row is then mostly its position, not its whole document.
            // One still as its source, the usual case, has no attributes of that part.
            const TfrxComponent* source = fullSources ? entry->source : nullptr;
            if (!source || !TfrxXMLSerializer::SameAsAncestor(object, *source))
                TfrxXMLSerializer().AppendAttributes(text, object, source);
            text += ' ';
            appendDifference(text, object, *entry->source, kind, true);
        } else {
            appendDifference(text, object, *entry->source, kind, false);
        }
    }
    item->setText(QByteArray(text.data(), qsizetype(text.size())));
    estimate += item->name().size() + item->text().size() + qint64(sizeof(TfrxXMLItem)) + 16;
    return item;
}

} // namespace detail

TfrxPreviewPages::TfrxPreviewPages(TfrxReport& report) : d_(std::make_unique<PagesState>(report, *this))
{
    d_->doc.root()->setName("preparedreport");
}

TfrxPreviewPages::~TfrxPreviewPages() = default;

TfrxEngineLink& TfrxPreviewPages::Engine() { return d_->engine; }
TfrxOutline& TfrxPreviewPages::Outline() { return d_->outline; }
TfrxReport& TfrxPreviewPages::Report() const { return d_->report; }
TfrxXMLItem* TfrxPreviewPages::Root() const { return d_->doc.root(); }
qint64 TfrxPreviewPages::MemoryEstimate() const { return d_->estimate; }
int TfrxPreviewPages::CachedPageCount() const { return int(d_->cache.size()); }
QString TfrxPreviewPages::SpillFileName() const { return d_->doc.tempFileName(); }
int TfrxPreviewPages::CurPage() const { return d_->curPage; }

void TfrxPreviewPages::ClearPageCache() { d_->clearCache(); }

void TfrxPreviewPages::SetCurPage(int index)
{
    if (index >= 0 && index < PageCount())
        d_->curPage = index;
}

int TfrxPreviewPages::PageCount() const
{
    const int at = d_->doc.root()->findChild("previewpages");
    return at < 0 ? 0 : d_->doc.root()->item(at)->count();
}

void TfrxPreviewPages::Clear()
{
    d_->clearCache();
    d_->clearSources();
    d_->doc.clear();
    d_->doc.root()->setName("preparedreport");
    d_->doc.root()->setText({});
    d_->pictures.clear();
    d_->lastStoredPicture.clear();
    d_->outline.Reset();
    d_->curPage = -1;
    d_->passPage = -1;
    d_->passObjects = 0;
    d_->logicalCount = 0;
    d_->estimate = 0;
    d_->fullSources = true;
    AddPageAction = AddPageMode::Overwrite;
}

void TfrxPreviewPages::BeginPreparation()
{
    d_->doc.setTempDir(d_->report.EngineOptions().TempDir);
    if (d_->engine.OnProgressStart)
        d_->engine.OnProgressStart();
}

void TfrxPreviewPages::EndPreparation()
{
    d_->clearCache();
    d_->byTemplate.clear();
    for (auto& entry : d_->entries)
        entry->templateObject.set(nullptr);
    for (auto& source : d_->sourcePages)
        source.templatePage.set(nullptr);
    d_->lastStoredPicture.clear();
    if (d_->engine.OnProgressStop)
        d_->engine.OnProgressStop();
}

void TfrxPreviewPages::AppendObject(TfrxComponent& object)
{
    if (TfrxXMLItem* page = d_->pageItem(d_->curPage))
        d_->appendElement(*page, object);
}

void TfrxPreviewPages::StorePicture(TfrxPictureView& view)
{
    if (view.Picture.isEmpty()) {
        view.ImageIndex = 0;
        return;
    }
    d_->pictures.push_back(view.Picture);
    view.ImageIndex = int(d_->pictures.size());
}

void TfrxPreviewPages::StartPage(TfrxPage& templatePage)
{
    const TfrxEngineOptions& options = d_->report.EngineOptions();
    TfrxXMLItem* list = d_->pages();
    if (options.UseFileCache && d_->estimate > qint64(options.MaxMemSize) * 1048576) {
        for (int i = list->count() - 2; i >= 0; --i) {
            TfrxXMLItem* item = list->item(i);
            if (!item->loaded())
                break;
            d_->doc.unloadItem(item);
        }
        d_->estimate = 0;
    }
    ++d_->curPage;
    if (d_->curPage < list->count() && AddPageAction == AddPageMode::Overwrite)
        return;

    int source = -1;
    for (std::size_t i = 0; i < d_->sourcePages.size(); ++i)
        if (d_->sourcePages[i].templatePage.get() == &templatePage)
            source = int(i);
    if (source < 0) {
        // A page that was not registered still needs a source to be rebuilt from.
        RegisterSourcePage(templatePage);
        source = int(d_->sourcePages.size()) - 1;
    }
    TfrxXMLItem* page = list->addChild("page" + QByteArray::number(source));
    if (list->count() > 2)
        page->setUnloadable(true);
    if (d_->engine.OnProgress)
        d_->engine.OnProgress(d_->curPage + 1);
    AddPageAction = AddPageMode::Overwrite;
    d_->curPage = list->count() - 1;
    CountLogicalPage();
}

void TfrxPreviewPages::MarkPassStart()
{
    d_->passPage = PageCount() - 1;
    const TfrxXMLItem* page = d_->pageItem(d_->passPage);
    d_->passObjects = page ? page->count() : 0;
    CloseLogicalPageGroup();
}

void TfrxPreviewPages::RewindToPassStart()
{
    d_->clearCache();
    TfrxXMLItem* root = d_->doc.root();
    if (d_->passPage < 0) {
        // The first pass's logical page numbers and anchors stand for the final pass.
        for (int i = 0; i < root->count(); ++i) {
            TfrxXMLItem* child = root->item(i);
            if (child->name() != "anchors" && child->name() != "logicalpagenumbers")
                child->clear();
        }
        d_->outline.Reset();
    } else {
        TfrxXMLItem* list = d_->pages();
        while (list->count() > d_->passPage + 1)
            delete list->item(list->count() - 1);
        if (TfrxXMLItem* page = d_->pageItem(d_->passPage))
            while (page->count() > d_->passObjects)
                delete page->item(page->count() - 1);
    }
    CloseLogicalPageGroup();
    d_->curPage = d_->passPage;
    d_->estimate = 0;
}

int TfrxPreviewPages::CutObjectsFrom(int index)
{
    TfrxXMLItem* page = d_->pageItem(d_->curPage);
    if (!page)
        return 0;
    TfrxXMLItem* cut = d_->child("cutted");
    index = std::max(index, 0);
    while (page->count() > index)
        cut->addItem(page->item(index));
    return page->count();
}

void TfrxPreviewPages::PasteCutObjects(double x, double y)
{
    TfrxXMLItem* root = d_->doc.root();
    const int at = root->findChild("cutted");
    if (at < 0)
        return;
    TfrxXMLItem* cut = root->item(at);
    TfrxXMLItem* page = d_->pageItem(d_->curPage);
    if (page && cut->count() > 0) {
        // An attribute equal to the source object's value is not stored; the source
        // object's value stands in for it, so that distances between the objects keep.
        const auto sourceValue = [&](const TfrxXMLItem* item, bool left) {
            const DictEntry* entry = d_->entryByName(item->name());
            return entry ? (left ? entry->source->Left() : entry->source->Top()) : 0.0;
        };
        const TfrxXMLItem* first = cut->item(0);
        const double dx = x - detail::numberAttr(*first, "l", sourceValue(first, true));
        const double dy = y - detail::numberAttr(*first, "t", sourceValue(first, false));
        while (cut->count() > 0) {
            TfrxXMLItem* item = cut->item(0);
            const double l = detail::numberAttr(*item, "l", sourceValue(item, true)) + dx;
            const double t = detail::numberAttr(*item, "t", sourceValue(item, false)) + dy;
            item->setAttr("l", floatToText(l).toLatin1());
            item->setAttr("t", floatToText(t).toLatin1());
            page->addItem(item);
        }
    }
    delete cut;
}

bool TfrxPreviewPages::PageHasBand(const TfrxBand& band)
{
    const TfrxXMLItem* page = d_->pageItem(d_->curPage);
    if (!page)
        return false;
    const bool pageFooter = dynamic_cast<const TfrxPageFooter*>(&band) != nullptr;
    const bool columnFooter = dynamic_cast<const TfrxColumnFooter*>(&band) != nullptr;
    for (int i = 0; i < page->count(); ++i) {
        const DictEntry* entry = d_->entryByName(page->item(i)->name());
        if (!entry)
            continue;
        if (entry->templateObject.get() == &band)
            return true;
        if (pageFooter && dynamic_cast<const TfrxPageFooter*>(entry->source))
            return true;
        if (columnFooter && dynamic_cast<const TfrxColumnFooter*>(entry->source))
            return true;
    }
    return false;
}

int TfrxPreviewPages::CurrentObjectCount()
{
    const TfrxXMLItem* page = d_->pageItem(d_->curPage);
    return page ? page->count() : 0;
}

double TfrxPreviewPages::LowestBandBottom()
{
    const TfrxXMLItem* page = d_->pageItem(d_->curPage);
    double lowest = 0;
    for (int i = 0; page && i < page->count(); ++i) {
        const TfrxXMLItem* item = page->item(i);
        const DictEntry* entry = d_->entryByName(item->name());
        if (!entry || !dynamic_cast<const TfrxBand*>(entry->source))
            continue;
        if (dynamic_cast<const TfrxPageFooter*>(entry->source) || dynamic_cast<const TfrxOverlay*>(entry->source))
            continue;
        const double top = detail::numberAttr(*item, "t", entry->source->Top());
        const double height = detail::numberAttr(*item, "h", entry->source->Height());
        lowest = std::max(lowest, top + height);
    }
    return lowest;
}

void TfrxPreviewPages::InsertEmptyPage(int index)
{
    TfrxXMLItem* list = d_->pages();
    if (index < 0 || index >= list->count())
        return;
    list->insertItem(index, new TfrxXMLItem(list->item(index)->name()));
    d_->clearCache();
}

void TfrxPreviewPages::RemovePage(int index)
{
    TfrxXMLItem* list = d_->pages();
    if (list->count() < 2 || index < 0 || index >= list->count())
        return;
    delete list->item(index);
    d_->clearCache();
}

// ---- logical page numbers ----

void TfrxPreviewPages::CountLogicalPage()
{
    if (d_->report.EngineOptions().DoublePass && d_->engine.FinalPass)
        return;
    ++d_->logicalCount;
    d_->child("logicalpagenumbers")->addChild("page")->setAttr("n", QByteArray::number(d_->logicalCount));
}

void TfrxPreviewPages::CloseLogicalPageGroup()
{
    // With no page counted since the last close there is no group to close; walking back
    // would overwrite the closed group's total with 0 (closing twice, as a rewind after
    // a closed group does).
    if ((d_->report.EngineOptions().DoublePass && d_->engine.FinalPass) || d_->logicalCount == 0)
        return;
    TfrxXMLItem* records = d_->child("logicalpagenumbers");
    const QByteArray total = QByteArray::number(d_->logicalCount);
    for (int i = std::min(d_->curPage, records->count() - 1); i > d_->passPage; --i) {
        TfrxXMLItem* record = records->item(i);
        record->setAttr("t", total);
        if (record->getAttr("n") == "1")
            break;
    }
    d_->logicalCount = 0;
}

int TfrxPreviewPages::LogicalPageNumber() const
{
    const TfrxXMLItem* root = d_->doc.root();
    const int at = root->findChild("logicalpagenumbers");
    if (at >= 0 && d_->curPage >= 0 && d_->curPage < root->item(at)->count())
        return root->item(at)->item(d_->curPage)->getAttr("n").toInt();
    return d_->curPage - FirstPage + 1;
}

int TfrxPreviewPages::LogicalPageTotal() const
{
    const TfrxXMLItem* root = d_->doc.root();
    const int at = root->findChild("logicalpagenumbers");
    if (at >= 0 && d_->curPage >= 0 && d_->curPage < root->item(at)->count())
        return root->item(at)->item(d_->curPage)->getAttr("t").toInt();
    return d_->engine.TotalPages - FirstPage;
}

} // namespace report
