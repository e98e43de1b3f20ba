#include "db/statements.h"
#include "db/dataset.h"

namespace db {
namespace statements {

QString textLiteral(const QString& text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString allL1() { return QStringLiteral("select * from L1"); }
QString l2Of(int l1Id) { return QStringLiteral("select * from L2 where L1_ID=") + QString::number(l1Id); }
QString l3Of(int l2Id) { return QStringLiteral("select * from L3 where L2_ID=") + QString::number(l2Id); }
QString l4Of(int l3Id) { return QStringLiteral("select * from L4 where L3_ID=") + QString::number(l3Id); }

QString l2UnderL1Named(const QString& l1Name)
{
    return QStringLiteral("select * from L2 where L1_ID in(select L1_ID from L1 where L1_NM=") + textLiteral(l1Name)
        + QLatin1Char(')');
}

QString l3UnderL2Named(const QString& l2Name)
{
    return QStringLiteral("select * from L3 where L2_ID in(select L2_ID from L2 where L2_NM=") + textLiteral(l2Name)
        + QLatin1Char(')');
}

QString l4UnderL3Named(const QString& l3Name)
{
    return QStringLiteral("select * from L4 where L3_ID in(select L3_ID from L3 where L3_NM=") + textLiteral(l3Name)
        + QLatin1Char(')');
}

QString itemsUnderL4Named(const QString& l4Name)
{
    return QStringLiteral("select * from HW where L4_ID in(select L4_ID from L4 where L4_NM=") + textLiteral(l4Name)
        + QLatin1Char(')');
}

QString linesOfNumber(const QString& number) { return QStringLiteral("SELECT * from DIY where DIY_ID=") + textLiteral(number); }
QString linesOfName(const QString& name) { return QStringLiteral("SELECT * from DIY where DIY_NM=") + textLiteral(name); }
// Each value once, the one whose latest line was added last first.
QString distinctNumbers() { return QStringLiteral("SELECT DIY_ID from DIY group by DIY_ID order by max(DIY_SYS_ID) desc"); }
QString distinctNames() { return QStringLiteral("SELECT DIY_NM from DIY group by DIY_NM order by max(DIY_SYS_ID) desc"); }

QString countLinesOfNumber(const QString& number)
{
    return QStringLiteral("SELECT count(DISTINCT DIY_ID) as quotations, count(*) as lines from DIY where DIY_ID=")
        + textLiteral(number);
}

QString countLinesOfName(const QString& name)
{
    return QStringLiteral("SELECT count(DISTINCT DIY_ID) as quotations, count(*) as lines from DIY where DIY_NM=")
        + textLiteral(name);
}

QString deleteLinesOfNumber(const QString& number)
{
    return QStringLiteral("delete * from DIY where DIY_ID=") + textLiteral(number);
}

QString deleteLinesOfName(const QString& name)
{
    return QStringLiteral("delete * from DIY where DIY_NM=") + textLiteral(name);
}

} // namespace statements

void openStatement(Dataset& query, const QString& sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    query.open();
}

int executeStatement(Dataset& query, const QString& sql)
{
    query.close();
    query.clearSql();
    query.addSql(sql);
    return query.execSql();
}

} // namespace db
