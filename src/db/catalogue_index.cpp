#include "db/catalogue_index.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/sql_query.h"
#include "db/search_text.h"
#include <sqlcipher/sqlite3.h>
#include <algorithm>

namespace db {

namespace {

// Separates an item's name from its parameters, so no word matches across the two.
constexpr QChar kFieldSeparator(0x1F);
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
    if (hooked_ && hooked_ == connection_.handle())
        sqlite3_update_hook(hooked_, nullptr, nullptr);
}

void CatalogueIndex::onUpdate(void* self, int, const char*, const char* table, qint64 rowId)
{
    auto* index = static_cast<CatalogueIndex*>(self);
    if (sqlite3_stricmp(table, "HW") == 0) {
        if (index->dirtyItems_.size() < kMostRowsReadAgain)
            index->dirtyItems_.insert(rowId);
        else
            index->everythingDirty_ = true;
    } else if (table[0] == 'L' || table[0] == 'l') {
        index->categoriesDirty_ = true;
    }
}

qint64 CatalogueIndex::dataVersion(sqlite3* handle) const
{
    detail::SqlQuery version(handle, "PRAGMA data_version");
    return version.step() ? version.integer(0) : -1;
}

void CatalogueIndex::bringUpToDate()
{
    sqlite3* handle = connection_.handle();
    if (!handle)
        throw DbError(connection_.name() + QStringLiteral(": Operation is not allowed when the object is closed"));
    // The hook is set again every time: answering another owner than this index means the
    // handle is new (the connection was closed and opened) and the changes in between unseen.
    void* previous = sqlite3_update_hook(handle, &CatalogueIndex::onUpdate, this);
    const qint64 version = dataVersion(handle);
    const bool stale = !loaded_ || previous != this || handle != hooked_ || version != dataVersion_ || everythingDirty_;
    const bool changed = stale || categoriesDirty_ || !dirtyItems_.isEmpty();
    if (stale) {
        hooked_ = handle;
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
    if (changed && !sqlite3_get_autocommit(handle))
        everythingDirty_ = true;
}

void CatalogueIndex::reloadAll(sqlite3* handle)
{
    loaded_ = false;
    dirtyItems_.clear();
    everythingDirty_ = false;
    categoriesDirty_ = false;
    categories_ = CatalogueCategories::load(handle);
    items_.clear();
    itemIndex_.clear();
    detail::SqlQuery rows(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_CS, HW_JG FROM HW ORDER BY HW_ID");
    while (rows.step()) {
        Item item{static_cast<int>(rows.integer(0)), static_cast<int>(rows.integer(1)), rows.text(2),
                  rows.optionalReal(4), {}};
        item.folded = foldedText(item.name, rows.text(3));
        itemIndex_.insert(item.id, items_.size());
        items_.append(std::move(item));
    }
    loaded_ = true;
}

void CatalogueIndex::rereadItems(sqlite3* handle)
{
    QList<qint64> ids(dirtyItems_.begin(), dirtyItems_.end());
    std::sort(ids.begin(), ids.end());
    dirtyItems_.clear();
    detail::SqlQuery row(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_CS, HW_JG FROM HW WHERE HW_ID = ?");
    bool removed = false;
    for (qint64 id : ids) {
        row.bind(1, id);
        const auto at = itemIndex_.constFind(static_cast<int>(id));
        if (row.step()) {
            Item item{static_cast<int>(id), static_cast<int>(row.integer(1)), row.text(2), row.optionalReal(4), {}};
            item.folded = foldedText(item.name, row.text(3));
            if (at != itemIndex_.cend()) {
                items_[*at] = std::move(item);
            } else if (!items_.isEmpty() && items_.back().id > id) {
                removed = true; // a key below the last one: put in order below
                items_.append(std::move(item));
            } else {
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

SearchResult CatalogueIndex::search(const QString& typed, int limit)
{
    bringUpToDate();
    SearchResult result;
    QStringList words = searchWords(typed);
    if (words.isEmpty())
        return result;
    // The longest word first: it fails soonest.
    std::sort(words.begin(), words.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    for (const Item& item : items_) {
        const bool all = std::all_of(words.cbegin(), words.cend(), [&](const QString& w) {
            return item.folded.contains(w);
        });
        if (!all)
            continue;
        const auto path = categories_.pathOf(item.l4Id);
        if (!path)
            continue; // filed under no complete category path: no tree reaches it
        ++result.total;
        if (result.hits.size() < limit)
            result.hits.append({item.id, item.l4Id,
                                {(*path)[0]->name, (*path)[1]->name, (*path)[2]->name, (*path)[3]->name},
                                item.name, item.price});
    }
    return result;
}

} // namespace db
