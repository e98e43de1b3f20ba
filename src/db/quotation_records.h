#pragma once
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace db {

class Connection;

// A quotation as the list shows it: its row in QUOTE (name, customer, creation time) with the
// count and sum of its lines in DIY. Quotations made before the rows were kept have lines
// only: their name is their lines' and their creation time unknown.
struct QuotationRecord {
    QString number;
    QString name;
    QString customer;
    QString phone;
    QString note;
    // "yyyy-MM-dd HH:mm:ss" as stored (local time), empty when unknown; kept as text, as
    // the list shows thousands of them and a local date-time costs a time-zone look-up.
    QString created;
    int lines = 0;
    double total = 0;
};

// Quotation numbers of the program's own making: the day of creation and a counter of the
// day, "20261209-01", "20261209-02", ...
QString dayNumber(const QDate& day, int counter);
// The next number of the day that no quotation has (nor its lines): one past the highest.
QString nextFreeNumber(Connection& connection, const QDate& day);

// Gives a quotation its row: a number no quotation has yet is created `now` with the name.
// When the number was the one offered as free and another copy of the program has taken it
// meanwhile, the next free number of its day is created instead. Answers the number kept.
QString reserveQuotation(Connection& connection, const QString& number, const QString& name, bool offered,
                         const QDateTime& now);

std::optional<QuotationRecord> findQuotation(Connection& connection, const QString& number);

// Sets the customer of an existing quotation; DbError when no quotation has the number.
void saveCustomer(Connection& connection, const QString& number, const QString& customer, const QString& phone,
                  const QString& note);

// Every quotation, newest first; with a search text only those whose number, name, customer
// or phone holds every word of it (letter case, blanks and full-width forms aside).
QList<QuotationRecord> listQuotations(Connection& connection, const QString& search = {});
// The same narrowing of a list already read, as the list does while the operator types.
QList<QuotationRecord> narrowQuotations(const QList<QuotationRecord>& list, const QString& search);

// A new quotation of the day of `now` with the same name, customer and lines (in their
// order); answers its number. DbError when no quotation has the number.
QString copyQuotation(Connection& connection, const QString& number, const QDateTime& now);

// The new name goes to the quotation's row and to every line of it, in one transaction.
void renameQuotation(Connection& connection, const QString& number, const QString& name);

// After lines were deleted: the row of the number, or the rows of that name whose quotation
// has no line left.
void forgetQuotation(Connection& connection, const QString& number);
void forgetEmptyQuotationsNamed(Connection& connection, const QString& name);

} // namespace db
