#pragma once
#include "db/catalogue_categories.h"
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

namespace db { class Engine; }

namespace db {

class Connection;

// One item found by the search.
struct SearchHit {
    int itemId = 0;
    int l4Id = 0;
    QStringList path; // the four category names, level 1 first
    QString name;
    std::optional<double> price;
};

struct SearchResult {
    QList<SearchHit> hits; // the first hits, in key order
    int total = 0;         // how many items matched in all
};

// The catalogue's search index, held in memory: every item's name and parameters in the
// folded form of search_text.h, with its category and price. Built on the first search and
// kept in step with the file: writes made through the connection mark their rows (the
// engine's update hook), which the next search reads again; a write by another connection
// or program, or a new handle after the connection was closed and opened again, makes the
// next search read everything again. Nothing is stored in the file.
//
// Measured against a plain scan of the table and an FTS4 table of character pairs (see
// bench/catalogue_search_bench.cpp), the index answers typical searches over 100,000 items in
// a few milliseconds where the others take tens to hundreds.
class CatalogueIndex {
public:
    explicit CatalogueIndex(Connection& connection);
    ~CatalogueIndex();
    CatalogueIndex(const CatalogueIndex&) = delete;
    CatalogueIndex& operator=(const CatalogueIndex&) = delete;

    // The items whose name or parameters contain every word of the typed text (search_text.h);
    // at most `limit` hits are listed. No words, no hits. Fails (DbError) while the connection
    // is closed.
    SearchResult search(const QString& typed, int limit = 200);

    // How many items the index holds (after bringing it up to date).
    int size();

    // The categories as the index last read them.
    const CatalogueCategories& categories() const { return categories_; }

private:
    struct Item {
        int id = 0;
        int l4Id = 0;
        QString name;
        std::optional<double> price;
        QString folded; // name and parameters, folded, separated by a character no word holds
    };
    void onRowWritten(const QString& table, qint64 key);
    void bringUpToDate();
    void reloadAll(Engine* handle);
    void rereadItems(Engine* handle);
    void joinTexts();
    bool matchesAll(qsizetype item, const QStringList& words) const;
    qint64 dataVersion(Engine* handle) const;

    Connection& connection_;
    Engine* hooked_ = nullptr;
    quint64 hookedSerial_ = 0;
    qint64 dataVersion_ = -1;
    bool loaded_ = false;
    bool categoriesDirty_ = false;
    bool everythingDirty_ = false;
    QSet<qint64> dirtyItems_;
    CatalogueCategories categories_;
    QList<Item> items_;               // in key order
    QHash<int, qsizetype> itemIndex_; // key -> position in items_
    // Every item's folded text one after the other, each ended by a separator, and where each
    // begins: one pass of a string matcher over it finds the items holding a word.
    QString joined_;
    QList<qsizetype> starts_;
    bool joinedStale_ = true;
};

} // namespace db
