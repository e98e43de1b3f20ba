#include "dbaware_fixture.h"
#include "db/catalogue_file.h"

void DbawareTest::SetUp()
{
    db::createCatalogue(folder.file(QString::fromLatin1(db::kDatabaseFileName)), false);
    connection.setConnectionString(db::ConnectionString::build(folder.path() + QLatin1Char('/')));
    connection.open();
    platform::setDialogResponder([this](const platform::DialogRequest& request) {
        dialogs.append(request);
        platform::DialogAnswer answer;
        answer.accepted = request.kind != platform::DialogKind::Confirm || confirmAnswer;
        return answer;
    });
}

void DbawareTest::TearDown()
{
    platform::setDialogResponder({});
}

void DbawareTest::addItems(int count)
{
    connection.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                      "INSERT INTO HW (L4_ID, HW_MC, HW_DW, HW_JG) "
                                      "SELECT 1, 'item ' || i, '个', i * 10 FROM n")
                           .arg(count));
}

std::unique_ptr<db::Dataset> DbawareTest::openQuery(const QString& sql, const QString& name)
{
    auto ds = std::make_unique<db::Dataset>(name, &connection);
    ds->addSql(sql);
    ds->open();
    return ds;
}

QVariant DbawareTest::stored(const QString& sql)
{
    auto ds = openQuery(sql, QStringLiteral("check"));
    if (ds->isEmpty())
        return QStringLiteral("<no row>");
    return ds->valueAt(0, 0);
}

QList<platform::DialogRequest> DbawareTest::requestsOf(platform::DialogKind kind) const
{
    QList<platform::DialogRequest> found;
    for (const auto& r : dialogs)
        if (r.kind == kind)
            found.append(r);
    return found;
}

QStringList DbawareTest::errorReports() const
{
    QStringList texts;
    for (const auto& r : requestsOf(platform::DialogKind::ErrorReport))
        texts.append(r.text);
    return texts;
}
