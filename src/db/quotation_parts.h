#pragma once
#include <QList>
#include <QString>
#include <optional>

namespace db {

class Connection;

// A quotation line as the compatibility checks read it: the item's category names from the
// outermost down, its name and parameters, and the quantity.
struct QuotationPart {
    QString categoryPath; // "电脑配件 > 处理器 > 英特尔 > 酷睿14代"
    QString name;
    QString parameters;
    int quantity = 0;
};

// The lines of quotation `number` in their order. An item deleted from the catalogue since
// keeps the line's own description and category. Nothing when no line has that number.
// Throws DbError when the file cannot be read.
std::optional<QList<QuotationPart>> quotationParts(Connection& connection, const QString& number);

} // namespace db
