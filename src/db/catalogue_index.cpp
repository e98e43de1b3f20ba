#include "db/catalogue_index.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/search_text.h"
#include "db/engine.h"
#include <QStringMatcher>
#include <algorithm>

namespace db {

namespace {

// Separate an item's name from its parameters and one item from the next, so no word
// matches across them (folded words hold no control characters).
constexpr QChar kFieldSeparator(0x1F);
constexpr QChar kItemSeparator(0x1E);
// Beyond this many changed rows one read of everything is quicker than reading each again.
constexpr qsizetype kMostRowsReadAgain = 2000;

QString foldedText(const QString& name, const QString& parameters)
{
    return foldForSearch(name) + kFieldSeparator + foldForSearch(parameters);
}

} // namespace

CatalogueIndex::CatalogueIndex(Connection& connection) : connection_(connection) {}

CatalogueIndex::~CatalogueIndex()
{
    // A handle closed meanwhile took the hook along; one that is still open must not call a
    // destroyed index.
    if (hooked_ && hooked_ == connection_.handle() && hooked_->serial() == hookedSerial_)
        if (hooked_->rowWriteObserverOwner() == this)
            hooked_->setRowWriteObserver({}, nullptr);
}

void CatalogueIndex::onRowWritten(const QString& table, qint64 key)
{
    if (table == QLatin1String("HW")) {
        if (key >= 0 && dirtyItems_.size() < kMostRowsReadAgain)
            dirtyItems_.insert(key);
        else
            everythingDirty_ = true;
    } else if (table.startsWith(QLatin1Char('L'))) {
        categoriesDirty_ = true;
    }
}

qint64 CatalogueIndex::dataVersion(Engine* handle) const
{
    return handle->dataVersion();
}

void CatalogueIndex::bringUpToDate()
{
    Engine* handle = connection_.handle();
    if (!handle)
        throw DbError(connection_.name() + QStringLiteral(": Operation is not allowed when the object is closed"));
    // Another engine than the one observed (the connection was closed and opened) means the
    // changes in between went unseen.
    const bool newEngine = handle != hooked_ || handle->serial() != hookedSerial_ || handle->rowWriteObserverOwner() != this;
    if (newEngine)
        handle->setRowWriteObserver([this](const QString& table, qint64 key) { onRowWritten(table, key); }, this);
    const qint64 version = dataVersion(handle);
    const bool stale = !loaded_ || newEngine || version != dataVersion_ || everythingDirty_;
    const bool changed = stale || categoriesDirty_ || !dirtyItems_.isEmpty();
    if (stale) {
        hooked_ = handle;
        hookedSerial_ = handle->serial();
        reloadAll(handle);
        dataVersion_ = version;
    } else {
        if (categoriesDirty_) {
            categories_ = CatalogueCategories::load(handle);
            categoriesDirty_ = false;
        }
        if (!dirtyItems_.isEmpty())
            rereadItems(handle);
    }
    // What was read inside a transaction may yet be rolled back, which no hook reports.
    if (changed && handle->inTransaction())
        everythingDirty_ = true;
}

void CatalogueIndex::reloadAll(Engine* handle)
{
    loaded_ = false;
    joinedStale_ = true;
    dirtyItems_.clear();
    everythingDirty_ = false;
    categoriesDirty_ = false;
    categories_ = CatalogueCategories::load(handle);
    items_.clear();
    itemIndex_.clear();
    detail::Statement rows(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_CS, HW_JG FROM HW ORDER BY HW_ID");
    while (rows.step()) {
        Item item{static_cast<int>(rows.integer(0)), static_cast<int>(rows.integer(1)), rows.text(2),
                  rows.optionalReal(4), {}};
        item.folded = foldedText(item.name, rows.text(3));
        itemIndex_.insert(item.id, items_.size());
        items_.append(std::move(item));
    }
    loaded_ = true;
}

void CatalogueIndex::rereadItems(Engine* handle)
{
    QList<qint64> ids(dirtyItems_.begin(), dirtyItems_.end());
    std::sort(ids.begin(), ids.end());
    dirtyItems_.clear();
    detail::Statement row(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_CS, HW_JG FROM HW WHERE HW_ID = ?");
    bool removed = false;
    for (qint64 id : ids) {
        row.bind(1, id);
        const auto at = itemIndex_.constFind(static_cast<int>(id));
        if (row.step()) {
            Item item{static_cast<int>(id), static_cast<int>(row.integer(1)), row.text(2), row.optionalReal(4), {}};
            item.folded = foldedText(item.name, row.text(3));
            if (at != itemIndex_.cend()) {
                joinedStale_ = joinedStale_ || items_[*at].folded != item.folded;
                items_[*at] = std::move(item);
            } else if (!items_.isEmpty() && items_.back().id > id) {
                removed = true; // a key below the last one: put in order below
                items_.append(std::move(item));
            } else {
                joinedStale_ = true;
                itemIndex_.insert(item.id, items_.size());
                items_.append(std::move(item));
            }
        } else if (at != itemIndex_.cend()) {
            items_[*at].id = 0; // gone; dropped below
            removed = true;
        }
        row.reset();
    }
    if (!removed)
        return;
    joinedStale_ = true;
    items_.removeIf([](const Item& item) { return item.id == 0; });
    std::sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) { return a.id < b.id; });
    itemIndex_.clear();
    for (qsizetype k = 0; k < items_.size(); ++k)
        itemIndex_.insert(items_[k].id, k);
}

int CatalogueIndex::size()
{
    bringUpToDate();
    return static_cast<int>(items_.size());
}

void CatalogueIndex::joinTexts()
{
    if (!joinedStale_)
        return;
    qsizetype length = 0;
    for (const Item& item : items_)
        length += item.folded.size() + 1;
    joined_.clear();
    joined_.reserve(length);
    starts_.clear();
    starts_.reserve(items_.size());
    for (const Item& item : items_) {
        starts_.append(joined_.size());
        joined_.append(item.folded);
        joined_.append(kItemSeparator);
    }
    joinedStale_ = false;
}

bool CatalogueIndex::matchesAll(qsizetype item, const QStringList& words) const
{
    const QStringView text = QStringView(joined_).sliced(starts_[item], items_[item].folded.size());
    return std::all_of(words.cbegin(), words.cend(), [&](const QString& w) { return text.contains(w); });
}

SearchResult CatalogueIndex::search(const QString& typed, int limit)
{
    bringUpToDate();
    SearchResult result;
    QStringList words = searchWords(typed);
    if (words.isEmpty())
        return result;
    joinTexts();
    // The longest word is looked for in all texts at once; each item it is found in is then
    // checked for the other words.
    std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    const QStringMatcher first(words.front());
    const QStringList others = words.mid(1);
    for (qsizetype at = first.indexIn(joined_); at >= 0;) {
        const qsizetype item = std::upper_bound(starts_.cbegin(), starts_.cend(), at) - starts_.cbegin() - 1;
        const qsizetype next = item + 1 < starts_.size() ? starts_[item + 1] : joined_.size();
        at = next < joined_.size() ? first.indexIn(joined_, next) : -1;
        if (!matchesAll(item, others))
            continue;
        const Item& found = items_[item];
        const auto path = categories_.pathOf(found.l4Id);
        if (!path)
            continue; // filed under no complete category path: no tree reaches it
        ++result.total;
        if (result.hits.size() < limit)
            result.hits.append({found.id, found.l4Id,
                                {(*path)[0]->name, (*path)[1]->name, (*path)[2]->name, (*path)[3]->name},
                                found.name, found.price});
    }
    return result;
}

} // namespace db
