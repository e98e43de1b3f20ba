// Writing a price list: every item under a complete category path, in the tree's order, as
// CSV in UTF-8 with a byte-order mark (spreadsheet programs on Chinese systems then read it
// as UTF-8) and CR LF line ends.
#include "db/catalogue_categories.h"
#include "db/connection.h"
#include "platform/csv_text.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/price_list.h"
#include "platform/error.h"
#include "platform/file_operations.h"
#include <QHash>
#include <QSet>

namespace db {

namespace {

struct ItemRow {
    int id;
    QString name, parameters, webAddress;
    std::optional<double> price;
};

// Items by level-4 id, each list in key order.
QHash<int, QList<ItemRow>> itemsByCategory(Engine* handle)
{
    QHash<int, QList<ItemRow>> items;
    detail::Statement rows(handle, "SELECT HW_ID, L4_ID, HW_MC, HW_CS, HW_JG, HW_URL FROM HW ORDER BY HW_ID");
    while (rows.step()) {
        if (rows.isNull(1))
            continue;
        items[static_cast<int>(rows.integer(1))].append(
            {static_cast<int>(rows.integer(0)), rows.text(2), rows.text(3), rows.text(5), rows.optionalReal(4)});
    }
    return items;
}

void appendLine(QString& out, const QStringList& fields)
{
    for (qsizetype k = 0; k < fields.size(); ++k) {
        if (k > 0)
            out.append(QLatin1Char(','));
        out.append(platform::csv::quoted(fields[k]));
    }
    out.append(QLatin1String("\r\n"));
}

} // namespace

QByteArray priceListBytes(Connection& connection, ExportScope scope, const Progress& progress, int* itemCount)
{
    Engine* handle = connection.handle();
    const CatalogueCategories categories = CatalogueCategories::load(handle);
    QList<int> level4 = categories.level4InTreeOrder();
    if (scope.level > 0) {
        if (!categories.find(scope.level, scope.id))
            throw DbError(QStringLiteral("要导出的分类已不在数据库中"));
        const QList<int> below = categories.level4Below(scope.level, scope.id);
        const QSet<int> wanted(below.begin(), below.end());
        level4.removeIf([&](int id) { return !wanted.contains(id); });
    }
    const QHash<int, QList<ItemRow>> items = itemsByCategory(handle);
    QString out;
    appendLine(out, priceListHeader());
    int written = 0;
    for (qsizetype k = 0; k < level4.size(); ++k) {
        const auto path = categories.pathOf(level4[k]);
        if (!path)
            continue;
        for (const ItemRow& item : items.value(level4[k])) {
            // Texts that a spreadsheet would run as formulas are guarded; the price is a number.
            auto text = [](const QString& t) { return platform::csv::guardedFormula(t); };
            appendLine(out, {text((*path)[0]->name), text((*path)[1]->name), text((*path)[2]->name),
                             text((*path)[3]->name), text(item.name), text(item.parameters),
                             item.price ? formatPrice(*item.price) : QString(), text(item.webAddress)});
            ++written;
        }
        if (progress && k % 64 == 0 && !progress(k, level4.size()))
            throw DbError(QStringLiteral("已取消"));
    }
    if (itemCount)
        *itemCount = written;
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

int exportPriceList(Connection& connection, const QString& path, ExportScope scope, const Progress& progress)
{
    int items = 0;
    const QByteArray bytes = priceListBytes(connection, scope, progress, &items);
    try {
        platform::writeFileAtomically(path, bytes);
    } catch (const platform::Error& e) {
        throw DbError(e.message());
    }
    return items;
}

} // namespace db
