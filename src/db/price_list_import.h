#pragma once
#include "db/price_list.h"

#include <memory>

namespace db {

namespace detail { struct ImportWrites; }

// What an import would change, worked out against the catalogue without changing it.
//
// A row names its item by category path and name (compared as the tree compares names:
// ignoring letter case and blanks at either end). When several rows name the same path and
// name, the n-th of them stands for the n-th such item in key order, and rows beyond the
// items there are become new items; so importing a file a second time changes nothing.
// An existing item takes only the row's price; a new item takes the row's name, parameters,
// price and web address, under its path, whose missing categories are made.
struct ImportPlan {
    struct PriceChange {
        int line = 0;
        int itemId = 0;
        QStringList path;
        QString name;
        std::optional<double> oldPrice;
        double newPrice = 0;
        bool operator==(const PriceChange&) const = default;
    };
    struct NewCategory {
        int level = 0;
        QStringList path; // from level 1 down to the new category
        bool operator==(const NewCategory&) const = default;
    };

    QString encoding;
    QList<PriceChange> priceChanges;
    QList<PriceListRow> newItems;
    QList<NewCategory> newCategories;
    int unchanged = 0;
    QList<RefusedRow> refused;

    // What applying needs beyond the lists (the parents of new categories and items), with
    // the state of the catalogue the plan was worked out against.
    std::shared_ptr<const detail::ImportWrites> writes;

    bool changesNothing() const { return priceChanges.isEmpty() && newItems.isEmpty() && newCategories.isEmpty(); }
    // The preview's counts in one line, e.g. "价格变动 3 项，新产品 2 项，新分类 1 个，未变 10 项，拒绝 1 行".
    QString summary() const;
};

ImportPlan planImport(Connection& connection, const PriceListFile& file);

// Makes the previewed changes in one transaction. When anything wrote to the catalogue since
// the preview, the plan is worked out again inside the transaction, and if it differs the
// import fails and changes nothing, as it does on any failure (the transaction is rolled
// back). Stopping the progress fails too.
void applyImport(Connection& connection, const PriceListFile& file, const ImportPlan& previewed,
                 const Progress& progress = {});

} // namespace db
