#include "db/quotation_records.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/detail/statement.h"
#include "db/search_text.h"
#include "db/transaction.h"
#include <QRegularExpression>
#include <algorithm>

namespace db {

namespace {

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss"); // as QuotationRecord::created
constexpr int kNameSize = 50;

// Every quotation, newest first: those with a row (their lines counted through the index on
// the number, which holds the amounts too) and the numbers of lines stored without one. With
// `oneNumber` only the quotation of the number bound to ?1.
QByteArray listSql(bool oneNumber)
{
    return QByteArray("SELECT * FROM ("
                      "SELECT q.DIY_ID, q.DIY_NM, q.CUST_NM, q.CUST_TEL, q.CUST_NOTE, q.DIY_RQ,"
                      " (SELECT count(*) FROM DIY d WHERE d.DIY_ID = q.DIY_ID) AS N,"
                      " (SELECT coalesce(sum(d.DIY_CASH), 0.0) FROM DIY d WHERE d.DIY_ID = q.DIY_ID) AS T,"
                      " (SELECT max(d.DIY_SYS_ID) FROM DIY d WHERE d.DIY_ID = q.DIY_ID) AS LAST, q.rowid AS MADE"
                      " FROM QUOTE q")
        + (oneNumber ? " WHERE q.DIY_ID = ?1" : "")
        + " UNION ALL "
          "SELECT DIY_ID, max(DIY_NM), NULL, NULL, NULL, NULL, count(*), coalesce(sum(DIY_CASH), 0.0), max(DIY_SYS_ID), NULL"
          " FROM DIY WHERE DIY_ID IS NOT NULL AND DIY_ID NOT IN (SELECT DIY_ID FROM QUOTE)"
        + (oneNumber ? " AND DIY_ID = ?1" : "")
        + " GROUP BY DIY_ID) AS LISTED ORDER BY DIY_RQ IS NULL, DIY_RQ DESC, LAST DESC, MADE DESC";
}

QuotationRecord recordOf(const detail::Statement& row)
{
    QuotationRecord r;
    r.number = row.text(0);
    r.name = row.text(1);
    r.customer = row.text(2);
    r.phone = row.text(3);
    r.note = row.text(4);
    r.created = row.text(5);
    r.lines = int(row.integer(6));
    r.total = row.real(7);
    return r;
}

bool exists(Engine* handle, const QString& number)
{
    detail::Statement found(handle, "SELECT 1 FROM QUOTE WHERE DIY_ID = ?1 UNION ALL SELECT 1 FROM DIY WHERE DIY_ID = ?1");
    found.bind(1, number);
    return found.step();
}

void requireQuotation(Engine* handle, const QString& number)
{
    if (!exists(handle, number))
        throw DbError(QStringLiteral("没有单据编号为“%1”的装机单。").arg(number));
}

// A quotation with lines only gets its row, named after its lines.
void ensureRow(Engine* handle, const QString& number)
{
    detail::Statement insert(handle, "INSERT INTO QUOTE (DIY_ID, DIY_NM) "
                                     "SELECT ?1, (SELECT max(DIY_NM) FROM DIY WHERE DIY_ID = ?1) "
                                     "WHERE NOT EXISTS (SELECT 1 FROM QUOTE WHERE DIY_ID = ?1)");
    insert.bind(1, number).run();
}


void insertRow(Engine* handle, const QString& number, const QString& name, const QDateTime& now)
{
    detail::Statement insert(handle, "INSERT INTO QUOTE (DIY_ID, DIY_NM, DIY_RQ) VALUES (?, ?, ?)");
    insert.bind(1, number).bind(2, detail::notNull(name)).bind(3, now.toString(kTimeFormat)).run();
}

bool matches(const QuotationRecord& r, const QStringList& words)
{
    if (words.isEmpty())
        return true;
    const QString fields[] = {foldForSearch(r.number), foldForSearch(r.name), foldForSearch(r.customer),
                              foldForSearch(r.phone)};
    return std::all_of(words.cbegin(), words.cend(), [&](const QString& word) {
        return std::any_of(std::cbegin(fields), std::cend(fields), [&](const QString& f) { return f.contains(word); });
    });
}

} // namespace

QString dayNumber(const QDate& day, int counter)
{
    return day.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-') + QString::number(counter).rightJustified(2, u'0');
}

QString nextFreeNumber(Connection& connection, const QDate& day)
{
    // The numbers from "yyyyMMdd-" up to "yyyyMMdd." (the sign after "-"), by the indexes.
    const QString from = day.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('-');
    const QString to = day.toString(QStringLiteral("yyyyMMdd")) + QLatin1Char('.');
    detail::Statement numbers(connection.handle(), "SELECT DIY_ID FROM QUOTE WHERE DIY_ID >= ?1 AND DIY_ID < ?2 "
                                                   "UNION SELECT DIY_ID FROM DIY WHERE DIY_ID >= ?1 AND DIY_ID < ?2");
    numbers.bind(1, from).bind(2, to);
    static const QRegularExpression counter(QStringLiteral("^\\d{8}-(\\d{1,6})$"));
    int highest = 0;
    while (numbers.step()) {
        const QRegularExpressionMatch m = counter.match(numbers.text(0));
        if (m.hasMatch())
            highest = std::max(highest, m.captured(1).toInt());
    }
    return dayNumber(day, highest + 1);
}

QString reserveQuotation(Connection& connection, const QString& number, const QString& name, bool offered,
                         const QDateTime& now)
{
    Transaction transaction(connection);
    Engine* handle = connection.handle();
    QString kept = number;
    if (exists(handle, number)) {
        if (!offered) {
            ensureRow(handle, number);
            transaction.commit();
            return number;
        }
        // Taken since it was offered: the operator meant a new quotation.
        const QDate day = QDate::fromString(number.left(8), QStringLiteral("yyyyMMdd"));
        kept = nextFreeNumber(connection, day.isValid() ? day : now.date());
    }
    insertRow(handle, kept, name, now);
    transaction.commit();
    return kept;
}

std::optional<QuotationRecord> findQuotation(Connection& connection, const QString& number)
{
    detail::Statement row(connection.handle(), listSql(true));
    row.bind(1, number);
    if (!row.step())
        return std::nullopt;
    return recordOf(row);
}

void saveCustomer(Connection& connection, const QString& number, const QString& customer, const QString& phone,
                  const QString& note)
{
    Transaction transaction(connection);
    Engine* handle = connection.handle();
    requireQuotation(handle, number);
    ensureRow(handle, number);
    detail::Statement update(handle, "UPDATE QUOTE SET CUST_NM = ?, CUST_TEL = ?, CUST_NOTE = ? WHERE DIY_ID = ?");
    update.bind(1, detail::notNull(customer)).bind(2, detail::notNull(phone)).bind(3, detail::notNull(note)).bind(4, number).run();
    transaction.commit();
}

QList<QuotationRecord> listQuotations(Connection& connection, const QString& search)
{
    const QStringList words = searchWords(search);
    detail::Statement rows(connection.handle(), listSql(false));
    QList<QuotationRecord> list;
    while (rows.step()) {
        QuotationRecord r = recordOf(rows);
        if (matches(r, words))
            list << std::move(r);
    }
    return list;
}

QList<QuotationRecord> narrowQuotations(const QList<QuotationRecord>& list, const QString& search)
{
    const QStringList words = searchWords(search);
    QList<QuotationRecord> found;
    for (const QuotationRecord& r : list)
        if (matches(r, words))
            found << r;
    return found;
}

QString copyQuotation(Connection& connection, const QString& number, const QDateTime& now)
{
    Transaction transaction(connection);
    Engine* handle = connection.handle();
    const std::optional<QuotationRecord> source = findQuotation(connection, number);
    if (!source)
        throw DbError(QStringLiteral("没有单据编号为“%1”的装机单。").arg(number));
    const QString copy = nextFreeNumber(connection, now.date());
    insertRow(handle, copy, source->name, now);
    detail::Statement customer(handle, "UPDATE QUOTE SET CUST_NM = ?, CUST_TEL = ?, CUST_NOTE = ? WHERE DIY_ID = ?");
    customer.bind(1, source->customer).bind(2, source->phone).bind(3, source->note).bind(4, copy).run();
    detail::Statement lines(handle, "INSERT INTO DIY (DIY_ID, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM) "
                                    "SELECT ?, DIY_NM, HW_ID, L2_ID, HW_MS, DIY_SL, DIY_JG, DIY_CASH, L2_NM "
                                    "FROM DIY WHERE DIY_ID = ? ORDER BY DIY_SYS_ID");
    lines.bind(1, copy).bind(2, number).run();
    transaction.commit();
    return copy;
}

void renameQuotation(Connection& connection, const QString& number, const QString& name)
{
    if (name.size() > kNameSize)
        throw DbError(QStringLiteral("单据名称最多 %1 个字。").arg(kNameSize));
    Transaction transaction(connection);
    Engine* handle = connection.handle();
    requireQuotation(handle, number);
    ensureRow(handle, number);
    for (const char* sql : {"UPDATE QUOTE SET DIY_NM = ? WHERE DIY_ID = ?", "UPDATE DIY SET DIY_NM = ? WHERE DIY_ID = ?"}) {
        detail::Statement update(handle, sql);
        update.bind(1, detail::notNull(name)).bind(2, number).run();
    }
    transaction.commit();
}

void forgetQuotation(Connection& connection, const QString& number)
{
    detail::Statement remove(connection.handle(), "DELETE FROM QUOTE WHERE DIY_ID = ?");
    remove.bind(1, number).run();
}

void forgetEmptyQuotationsNamed(Connection& connection, const QString& name)
{
    detail::Statement remove(connection.handle(), "DELETE FROM QUOTE WHERE DIY_NM = ? "
                                                  "AND DIY_ID NOT IN (SELECT DIY_ID FROM DIY WHERE DIY_ID IS NOT NULL)");
    remove.bind(1, name).run();
}

} // namespace db
