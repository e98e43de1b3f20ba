// Quotations with rows of their own: numbers of the day that never collide, the customer,
// the list with its search, copy as new and rename.
#include "db_fixture.h"

#include "db/db_error.h"
#include "db/quotation_records.h"
#include "db/shop_details.h"

namespace {

const QDate kDay(2026, 12, 9);

QDateTime at(int hour, int minute = 0)
{
    return QDateTime(kDay, QTime(hour, minute));
}

class QuotationRecords : public CatalogueTest {
protected:
    // "1、建立清单" with OK on the number offered.
    QString createOffered(db::Connection& on, const QString& name, const QDateTime& when)
    {
        const QString offered = db::nextFreeNumber(on, when.date());
        return db::reserveQuotation(on, offered, name, true, when);
    }

    QStringList numbers(const QString& search = {})
    {
        QStringList out;
        for (const auto& q : db::listQuotations(connection, search))
            out << q.number;
        return out;
    }
};

TEST_F(QuotationRecords, TwoQuotationsOfOneDayGetDifferentNumbersEvenFromTwoCopiesOfTheProgram)
{
    EXPECT_EQ(createOffered(connection, QStringLiteral("配置单"), at(9)), QStringLiteral("20261209-01"));
    EXPECT_EQ(createOffered(connection, QStringLiteral("配置单"), at(9, 5)), QStringLiteral("20261209-02"));
    // The next day counts from 1 again.
    EXPECT_EQ(db::nextFreeNumber(connection, kDay.addDays(1)), QStringLiteral("20261210-01"));

    // A second copy was offered the same number before the first took it: it gets the next.
    db::Connection other(QStringLiteral("other"));
    other.setConnectionString(connection.connectionString());
    other.open();
    const QString offeredToBoth = db::nextFreeNumber(other, kDay);
    EXPECT_EQ(db::reserveQuotation(connection, offeredToBoth, QStringLiteral("甲"), true, at(10)), offeredToBoth);
    EXPECT_EQ(db::reserveQuotation(other, offeredToBoth, QStringLiteral("乙"), true, at(10)),
              QStringLiteral("20261209-04"));

    // Numbers of lines stored without a row count as taken; a number typed that exists is
    // kept (the quotation opens) and gains its row, named after its lines.
    addLine(QStringLiteral("20261209-07"), QStringLiteral("旧单"), 10);
    EXPECT_EQ(db::nextFreeNumber(connection, kDay), QStringLiteral("20261209-08"));
    EXPECT_EQ(db::reserveQuotation(connection, QStringLiteral("20261209-07"), QStringLiteral("别的名字"), false, at(11)),
              QStringLiteral("20261209-07"));
    const auto old = db::findQuotation(connection, QStringLiteral("20261209-07"));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->name, QStringLiteral("旧单"));
    EXPECT_EQ(numbers().size(), 5);
}

TEST_F(QuotationRecords, TheListIsNewestFirstWithCountsAndSumsAndNarrowedBySearchWords)
{
    const QString a = createOffered(connection, QStringLiteral("办公电脑"), at(9));
    const QString b = createOffered(connection, QStringLiteral("游戏主机"), at(14));
    const QString c = createOffered(connection, QStringLiteral("配置单"), at(11));
    addLine(QStringLiteral("OLD-1"), QStringLiteral("老客户单"), 5); // lines only, date unknown
    addLine(b, QStringLiteral("游戏主机"), 4999);
    addLine(b, QStringLiteral("游戏主机"), 0.5);
    db::saveCustomer(connection, a, QStringLiteral("Zhang San"), QStringLiteral("13800138000"), QStringLiteral("下午取货"));
    db::saveCustomer(connection, c, QStringLiteral("李四"), QStringLiteral("13912345678"), {});

    EXPECT_EQ(numbers(), (QStringList{b, c, a, QStringLiteral("OLD-1")}));
    const db::QuotationRecord game = db::listQuotations(connection).first();
    EXPECT_EQ(game.lines, 2);
    EXPECT_DOUBLE_EQ(game.total, 4999.5);
    EXPECT_EQ(game.created, QStringLiteral("2026-12-09 14:00:00"));

    // By number, name, customer or phone; every word must be found; case, blanks and
    // full-width forms aside.
    EXPECT_EQ(numbers(QStringLiteral("游戏")), (QStringList{b}));
    EXPECT_EQ(numbers(QStringLiteral("ｚｈａｎｇ san")), (QStringList{a}));
    EXPECT_EQ(numbers(QStringLiteral("1391")), (QStringList{c}));
    EXPECT_EQ(numbers(QStringLiteral("old")), (QStringList{QStringLiteral("OLD-1")}));
    EXPECT_EQ(numbers(QStringLiteral("20261209")), (QStringList{b, c, a}));
    EXPECT_EQ(numbers(QStringLiteral("李四 办公")), QStringList{});
    // The note is not searched: it is no name of the customer.
    EXPECT_EQ(numbers(QStringLiteral("取货")), QStringList{});

    EXPECT_DB_ERROR(db::saveCustomer(connection, QStringLiteral("无此单"), QStringLiteral("x"), {}, {}),
                    "没有单据编号为“无此单”的装机单。");
}

TEST_F(QuotationRecords, CopyAsNewTakesTheLinesInOrderAndTheCustomerUnderANewNumber)
{
    const QString source = createOffered(connection, QStringLiteral("王五的主机"), at(9));
    addLine(source, QStringLiteral("王五的主机"), 899);
    addLine(source, QStringLiteral("王五的主机"), 1299.9);
    db::saveCustomer(connection, source, QStringLiteral("王五"), QStringLiteral("137"), QStringLiteral("要发票"));

    const QString copy = db::copyQuotation(connection, source, at(16));
    EXPECT_EQ(copy, QStringLiteral("20261209-02"));
    const auto q = db::findQuotation(connection, copy);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->name, QStringLiteral("王五的主机"));
    EXPECT_EQ(q->customer, QStringLiteral("王五"));
    EXPECT_EQ(q->phone, QStringLiteral("137"));
    EXPECT_EQ(q->note, QStringLiteral("要发票"));
    EXPECT_EQ(q->created, QStringLiteral("2026-12-09 16:00:00"));
    auto lines = query(QStringLiteral("q"), QStringLiteral("SELECT DIY_ID, DIY_NM, DIY_CASH FROM DIY ORDER BY DIY_SYS_ID"));
    QStringList rows;
    for (lines->first(); !lines->eof(); lines->next())
        rows << lines->value(QStringLiteral("DIY_ID")).toString() + u' ' + lines->value(QStringLiteral("DIY_CASH")).toString();
    EXPECT_EQ(rows, (QStringList{source + QStringLiteral(" 899"), source + QStringLiteral(" 1299.9"),
                                 copy + QStringLiteral(" 899"), copy + QStringLiteral(" 1299.9")}));
    EXPECT_EQ(numbers().first(), copy);
    EXPECT_DB_ERROR(db::copyQuotation(connection, QStringLiteral("nothing"), at(17)), "没有单据编号为“nothing”的装机单。");
}

TEST_F(QuotationRecords, RenameReachesEveryLineAndDeletesForgetTheRowsOfEmptyQuotations)
{
    const QString a = createOffered(connection, QStringLiteral("配置单"), at(9));
    const QString b = createOffered(connection, QStringLiteral("配置单"), at(10));
    addLine(a, QStringLiteral("配置单"), 1);
    addLine(a, QStringLiteral("配置单"), 2);
    addLine(b, QStringLiteral("配置单"), 3);
    db::renameQuotation(connection, a, QStringLiteral("赵六's PC"));
    auto names = query(QStringLiteral("q"), QStringLiteral("SELECT DISTINCT DIY_NM FROM DIY WHERE DIY_ID=") +
                                                db::statements::textLiteral(a));
    EXPECT_EQ(names->recordCount(), 1);
    EXPECT_EQ(names->value(QStringLiteral("DIY_NM")).toString(), QStringLiteral("赵六's PC"));
    EXPECT_EQ(db::findQuotation(connection, a)->name, QStringLiteral("赵六's PC"));
    EXPECT_EQ(db::findQuotation(connection, b)->name, QStringLiteral("配置单"));
    EXPECT_THROW(db::renameQuotation(connection, a, QString(51, u'长')), db::DbError);

    // By name: the row of b goes with its lines; a keeps its row while it has lines.
    connection.execute(db::statements::deleteLinesOfName(QStringLiteral("配置单")));
    db::forgetEmptyQuotationsNamed(connection, QStringLiteral("配置单"));
    EXPECT_EQ(numbers(), (QStringList{a}));
    connection.execute(db::statements::deleteLinesOfNumber(a));
    db::forgetQuotation(connection, a);
    EXPECT_TRUE(numbers().isEmpty());
}

TEST_F(QuotationRecords, ShopDetailsReadBackAsSavedLogoIncluded)
{
    EXPECT_TRUE(db::loadShopDetails(connection).isEmpty());
    const db::ShopDetails shop{QStringLiteral("小明电脑城"), QStringLiteral("中关村大街1号"), QStringLiteral("010-1234"),
                               QStringLiteral("报价7天有效\n整机保修一年"), QByteArray("\x89PNG\r\n\x1a\n\0\1", 10)};
    db::saveShopDetails(connection, shop);
    EXPECT_EQ(db::loadShopDetails(connection), shop);
    db::saveShopDetails(connection, {QStringLiteral("小明电脑城"), {}, {}, {}, {}});
    const db::ShopDetails cleared = db::loadShopDetails(connection);
    EXPECT_TRUE(cleared.logo.isEmpty());
    EXPECT_TRUE(cleared.note.isEmpty());
    EXPECT_FALSE(cleared.isEmpty());
}

} // namespace
