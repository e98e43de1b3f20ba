#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Price lists: the catalogue as a spreadsheet file (CSV) and back. A row is the four category
// names, the item name, its parameters, price and web address.
namespace db {

class Connection;

// Answers false to stop; `done` of `total` steps are finished.
using Progress = std::function<bool(qint64 done, qint64 total)>;

inline constexpr qint64 kMaxPriceListBytes = 64 * 1024 * 1024;
inline constexpr int kCategoryNameLength = 50; // L1_NM .. L4_NM
inline constexpr int kItemNameLength = 255;    // HW_MC
inline constexpr int kWebAddressLength = 255;  // HW_URL

// The header row written by the export; the import also takes the catalogue's field names
// (L1_NM .. L4_NM, HW_MC, HW_CS, HW_JG, HW_URL) and a single path column "分类".
QStringList priceListHeader();

struct PriceListRow {
    int line = 0;
    QStringList path; // four category names, level 1 first
    QString name;
    QString parameters;
    std::optional<double> price; // nullopt: the row gives no price
    QString webAddress;
};

struct RefusedRow {
    int line = 0;
    QString reason;
};

struct PriceListFile {
    QString encoding;
    QChar delimiter;
    QList<PriceListRow> rows;
    QList<RefusedRow> refused;
};

// Reads a price list from its bytes. Rows that cannot be used are listed with their reason;
// a file that is not a price list at all (too large, no header, no name column) fails with a
// DbError saying why. The progress runs over the characters read; stopping it fails too.
PriceListFile readPriceList(const QByteArray& bytes, const Progress& progress = {});
// The same from a file; an unreadable file fails with a DbError naming it.
PriceListFile readPriceListFile(const QString& path, const Progress& progress = {});

// A price as the import (and the quotation's prompts) read it: blanks, a leading "¥"/"￥" or a
// trailing "元", and full-width digits allowed, group separators only in groups of three;
// nothing for text that is not a non-negative number.
std::optional<double> parsePrice(const QString& text, QChar delimiter = QLatin1Char(','));
// A price as the export writes it: the shortest plain decimal text (no exponent) that reads
// back as the same number.
QString formatPrice(double price);

// Writes the whole catalogue, or the category {level, id} and everything below it, as CSV in
// UTF-8 with a byte-order mark and CR LF line ends, rows in the tree's order. The file is
// written under a temporary name and renamed into place. Answers the number of items.
struct ExportScope {
    int level = 0; // 0: the whole catalogue
    int id = 0;
};
int exportPriceList(Connection& connection, const QString& path, ExportScope scope = {},
                    const Progress& progress = {});
QByteArray priceListBytes(Connection& connection, ExportScope scope = {}, const Progress& progress = {},
                          int* items = nullptr);

} // namespace db
