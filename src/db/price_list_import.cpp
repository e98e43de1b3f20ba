// Importing a price list: the plan (what would change) and its application in one transaction.
#include "db/price_list_import.h"
#include "db/catalogue_categories.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/field_types.h"
#include "db/detail/statement.h"
#include "db/transaction.h"
#include "db/engine.h"
#include <QDateTime>
#include <algorithm>

namespace db {

namespace {

struct StoredItem {
    int id;
    std::optional<double> price;
};

QString itemKey(int l4Id, const QString& name)
{
    return QString::number(l4Id) + QLatin1Char('/') + CatalogueCategories::nameKey(name);
}

// Items by "level-4 id/name key", each list in key order.
QHash<QString, QList<StoredItem>> storedItems(Engine* handle)
{
    QHash<QString, QList<StoredItem>> items;
    detail::Statement rows(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_JG FROM HW ORDER BY HW_ID");
    while (rows.step()) {
        if (rows.isNull(1) || rows.isNull(2))
            continue;
        items[itemKey(static_cast<int>(rows.integer(1)), rows.text(2))].append(
            {static_cast<int>(rows.integer(0)), rows.optionalReal(3)});
    }
    return items;
}

} // namespace

// New categories and new items refer to their parents by id, negative for a category the plan
// makes (-1 is the first new one). The stamp tells whether anything wrote to the catalogue
// since: another connection's commit changes the data version, this one's writes its count
// of changes.
struct detail::ImportWrites {
    struct Made {
        int level, parentId;
        QString name;
    };
    struct Stamp {
        Engine* handle = nullptr;
        qint64 dataVersion = -1;
        qint64 changes = -1;
        bool operator==(const Stamp&) const = default;
    };
    QList<Made> categories;
    QList<int> newItemCategory; // per new item
    Stamp stamp;
};

namespace {

using Writes = detail::ImportWrites;

Writes::Stamp stampOf(Engine* handle)
{
    return {handle, handle->dataVersion(), handle->totalChanges()};
}

struct WorkedPlan {
    ImportPlan plan;
    Writes writes;
};

class Planner {
public:
    explicit Planner(Engine* handle)
        : categories_(CatalogueCategories::load(handle)), items_(storedItems(handle)) {}

    WorkedPlan run(const PriceListFile& file)
    {
        WorkedPlan worked;
        worked.plan.encoding = file.encoding;
        worked.plan.refused = file.refused;
        QHash<QString, int> taken; // rows seen per item key
        for (const PriceListRow& row : file.rows) {
            const QList<int> l4 = categoriesOf(row.path, worked);
            const QList<StoredItem> matches = itemsNamed(l4, row.name);
            const int n = l4.front() > 0 ? taken[itemKey(l4.front(), row.name)]++ : 0;
            if (n >= matches.size()) {
                worked.plan.newItems.append(row);
                worked.writes.newItemCategory.append(l4.front());
            } else if (row.price && matches[n].price != row.price) {
                worked.plan.priceChanges.append({row.line, matches[n].id, row.path, row.name, matches[n].price, *row.price});
            } else {
                ++worked.plan.unchanged;
            }
        }
        return worked;
    }

private:
    // The level-4 categories a path names (equal names at one level count as one category,
    // as the tree lists them), making in the plan the categories it lacks: then the one
    // answer is the new category's negative id.
    QList<int> categoriesOf(const QStringList& path, WorkedPlan& worked)
    {
        QList<int> ids{0};
        for (int level = 1; level <= 4; ++level) {
            const QString& name = path[level - 1];
            const QList<int> found = ids.front() >= 0 ? categories_.childrenNamed(level, ids, name) : QList<int>();
            if (!found.isEmpty()) {
                ids = found;
                continue;
            }
            const QString key = QStringLiteral("%1/%2/").arg(level).arg(ids.front()) + CatalogueCategories::nameKey(name);
            int made = made_.value(key, 0);
            if (made == 0) {
                worked.writes.categories.append({level, ids.front(), name});
                worked.plan.newCategories.append({level, path.mid(0, level)});
                made = -static_cast<int>(worked.writes.categories.size());
                made_.insert(key, made);
            }
            ids = {made};
        }
        return ids;
    }

    // The items of that name in any of the categories, in key order.
    QList<StoredItem> itemsNamed(const QList<int>& l4, const QString& name) const
    {
        if (l4.front() < 0)
            return {};
        QList<StoredItem> found;
        for (int id : l4)
            found += items_.value(itemKey(id, name));
        if (l4.size() > 1)
            std::sort(found.begin(), found.end(), [](const StoredItem& a, const StoredItem& b) { return a.id < b.id; });
        return found;
    }

    CatalogueCategories categories_;
    QHash<QString, QList<StoredItem>> items_;
    QHash<QString, int> made_;
};

const char* const kInsertCategory[4] = {
    "INSERT INTO L1 (L1_NM) VALUES (?2)",
    "INSERT INTO L2 (L1_ID, L2_NM) VALUES (?1, ?2)",
    "INSERT INTO L3 (L2_ID, L3_NM) VALUES (?1, ?2)",
    "INSERT INTO L4 (L3_ID, L4_NM) VALUES (?1, ?2)",
};

void write(Engine* handle, const ImportPlan& plan, const Writes& writes, const Progress& progress)
{
    const qint64 total = writes.categories.size() + plan.newItems.size() + plan.priceChanges.size();
    qint64 done = 0;
    auto step = [&] {
        if (progress && ++done % 1024 == 0 && !progress(done, total))
            throw DbError(QStringLiteral("已取消"));
    };
    QList<int> madeIds;
    auto real = [&](int id) { return id >= 0 ? id : madeIds[-id - 1]; };
    for (const Writes::Made& made : writes.categories) {
        detail::Statement insert(handle, kInsertCategory[made.level - 1]);
        if (made.level > 1)
            insert.bind(1, qint64(real(made.parentId)));
        insert.bind(2, made.name.trimmed()).run();
        madeIds.append(static_cast<int>(handle->lastInsertKey()));
        step();
    }
    detail::Statement insertItem(handle, "INSERT INTO HW (L4_ID, HW_MC, HW_CS, HW_JG, HW_URL) VALUES (?, ?, ?, ?, ?)");
    for (qsizetype k = 0; k < plan.newItems.size(); ++k) {
        const PriceListRow& row = plan.newItems[k];
        insertItem.bind(1, qint64(real(writes.newItemCategory[k])))
            .bind(2, row.name)
            .bind(3, row.parameters.isEmpty() ? QString() : row.parameters)
            .bind(4, row.price)
            .bind(5, row.webAddress.isEmpty() ? QString() : row.webAddress)
            .run();
        step();
    }
    // The time of the import, stamped by the program: the file and a server write it alike.
    const QString now = detail::dateTimeToStorage(QDateTime::currentDateTime());
    detail::Statement update(handle, "UPDATE HW SET HW_JG = ?, HW_RQ = ? WHERE HW_ID = ?");
    for (const ImportPlan::PriceChange& change : plan.priceChanges) {
        update.bind(1, change.newPrice).bind(2, now).bind(3, qint64(change.itemId)).run();
        step();
    }
}

} // namespace

QString ImportPlan::summary() const
{
    return QStringLiteral("价格变动 %1 项，新产品 %2 项，新分类 %3 个，未变 %4 项，拒绝 %5 行")
        .arg(priceChanges.size())
        .arg(newItems.size())
        .arg(newCategories.size())
        .arg(unchanged)
        .arg(refused.size());
}

ImportPlan planImport(Connection& connection, const PriceListFile& file)
{
    const Writes::Stamp stamp = stampOf(connection.handle());
    WorkedPlan worked = Planner(connection.handle()).run(file);
    worked.writes.stamp = stamp;
    worked.plan.writes = std::make_shared<const Writes>(std::move(worked.writes));
    return std::move(worked.plan);
}

void applyImport(Connection& connection, const PriceListFile& file, const ImportPlan& previewed,
                 const Progress& progress)
{
    Transaction transaction(connection);
    Engine* handle = connection.handle();
    if (previewed.writes && previewed.writes->stamp == stampOf(handle)) {
        write(handle, previewed, *previewed.writes, progress);
        transaction.commit();
        return;
    }
    const WorkedPlan worked = Planner(handle).run(file);
    if (worked.plan.priceChanges != previewed.priceChanges || worked.plan.newCategories != previewed.newCategories
        || worked.plan.newItems.size() != previewed.newItems.size())
        throw DbError(QStringLiteral("预览之后目录已有变化（可能另一个程序修改了它），没有导入任何内容。请重新导入。"));
    write(handle, worked.plan, worked.writes, progress);
    transaction.commit();
}

} // namespace db
