// The catalogue on a PostgreSQL server against the catalogue file, measured in the same run
// on the same data (the file's catalogue is migrated into the server): the category tree's
// refresh (the window's statements through the window's datasets, 10,000 categories), a
// level-4 click that opens 5,000 items, search over 100,000 items through the program's
// index, the migration of that 100,000-item file, and how soon a change made on one
// connection is seen on another. scripts/bench server starts the private server
// (scripts/pg_test_server) and gives its address in QMX_PG_TEST_URL.
#include "big_catalogue.h"
#include "category_tree_data.h"
#include "db/catalogue_index.h"
#include "db/category_levels.h"
#include "db/catalogue_migration.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "db/catalogue_file.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <libpq-fe.h>
#include <memory>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

constexpr int kClickItems = 5000;
constexpr int kRepeats = 7;

const QStringList kTypical = {"金士顿", "rtx 4070", "ＲＴＸ４０７０", "酷鱼 2tb", "ddr", "三星 990", "16gb 3200mhz",
                              "m12345", "罗技 g502", "pcie 4.0"};

void adminRun(const QByteArray& sql)
{
    PGconn* c = PQconnectdb(qgetenv("QMX_PG_TEST_URL").constData());
    PGresult* r = PQexec(c, sql.constData());
    if (PQresultStatus(r) != PGRES_COMMAND_OK)
        std::fprintf(stderr, "%s: %s", sql.constData(), PQerrorMessage(c));
    PQclear(r);
    PQfinish(c);
}

// A new empty database on the server, dropped at the end.
class ServerDatabase {
public:
    explicit ServerDatabase(const char* purpose)
        : name_(QByteArray("qmx_bench_") + purpose + '_' + QByteArray::number(QCoreApplication::applicationPid()))
    {
        adminRun("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
        adminRun("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8'");
        QUrl url(QString::fromUtf8(qgetenv("QMX_PG_TEST_URL")));
        url.setPath(QLatin1Char('/') + QString::fromLatin1(name_));
        address_ = url.toString();
    }
    ~ServerDatabase() { adminRun("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)"); }
    const QString& address() const { return address_; }

private:
    QByteArray name_;
    QString address_;
};

std::unique_ptr<db::Connection> open(const QString& connectionString)
{
    auto c = std::make_unique<db::Connection>();
    c->setConnectionString(connectionString);
    c->open();
    return c;
}

QString fileAddress(const QTemporaryDir& folder)
{
    return db::ConnectionString::build(folder.path() + QLatin1Char('/'));
}

// The refresh as the window ran it before: a dataset per level, one statement per parent row.
int refreshTree(db::Connection& c)
{
    db::Dataset l1(QStringLiteral("ADOQueryL1"), &c), l2(QStringLiteral("ADOQueryL2"), &c),
        l3(QStringLiteral("ADOQueryL3"), &c), l4(QStringLiteral("ADOQueryL4"), &c);
    int nodes = 0;
    db::openStatement(l1, db::statements::allL1());
    for (l1.first(); !l1.eof(); l1.next(), ++nodes) {
        (void)l1.asString(QStringLiteral("L1_NM"));
        db::openStatement(l2, db::statements::l2Of(l1.asInteger(QStringLiteral("L1_ID"))));
        for (l2.first(); !l2.eof(); l2.next(), ++nodes) {
            (void)l2.asString(QStringLiteral("L2_NM"));
            db::openStatement(l3, db::statements::l3Of(l2.asInteger(QStringLiteral("L2_ID"))));
            for (l3.first(); !l3.eof(); l3.next(), ++nodes) {
                (void)l3.asString(QStringLiteral("L3_NM"));
                db::openStatement(l4, db::statements::l4Of(l3.asInteger(QStringLiteral("L3_ID"))));
                for (l4.first(); !l4.eof(); l4.next(), ++nodes)
                    (void)l4.asString(QStringLiteral("L4_NM"));
            }
        }
    }
    return nodes;
}

// The refresh as the window runs it now: each level in one statement, children grouped in memory.
int refreshTreeByLevels(db::Connection& c)
{
    db::Dataset l1(QStringLiteral("ADOQueryL1"), &c), l2(QStringLiteral("ADOQueryL2"), &c),
        l3(QStringLiteral("ADOQueryL3"), &c), l4(QStringLiteral("ADOQueryL4"), &c);
    const db::CategoryLevels levels({&l1, &l2, &l3, &l4});
    int nodes = 0;
    const auto walk = [&](auto& self, int level, qint64 parentId) -> void {
        for (int row : levels.childRows(level, parentId)) {
            ++nodes;
            (void)levels.name(level, row);
            if (level < 4)
                self(self, level + 1, levels.id(level, row));
        }
    };
    walk(walk, 1, 0);
    (void)levels.fingerprint();
    return nodes;
}

// A level-4 click: the category's items opened into the items grid's dataset.
int click(db::Connection& c)
{
    db::Dataset hw(QStringLiteral("ADOQueryHW"), &c);
    db::openStatement(hw, db::statements::itemsUnderL4Named(QStringLiteral("品类 1")));
    return hw.recordCount();
}

double timedMs(const std::function<void()>& body)
{
    QElapsedTimer t;
    t.start();
    body();
    return double(t.nsecsElapsed()) / 1e6;
}

std::vector<double> repeated(int times, const std::function<void()>& body)
{
    std::vector<double> ms;
    for (int r = 0; r < times; ++r)
        ms.push_back(timedMs(body));
    return ms;
}

void compare(const char* what, double file, double server, const char* goal)
{
    std::printf("%-44s file %9.1f ms   server %9.1f ms   server/file %6.1f   (%s)\n", what, file, server, server / file, goal);
    std::fflush(stdout);
}

// Milliseconds from a commit on one connection until another's data version changes.
double visibleAfterMs(db::Connection& writer, db::Connection& reader, int round)
{
    const qint64 seen = reader.dataVersion();
    QElapsedTimer t;
    t.start();
    writer.execute(QStringLiteral("UPDATE HW SET HW_JG = %1 WHERE HW_ID = 1").arg(100 + round));
    while (reader.dataVersion() == seen) {
        if (t.elapsed() > 5000)
            return 5000;
        QThread::usleep(200);
    }
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (qEnvironmentVariableIsEmpty("QMX_PG_TEST_URL")) {
        std::fprintf(stderr, "QMX_PG_TEST_URL is not set: run scripts/bench server, which starts the server\n");
        return 2;
    }

    // Tree and click.
    QTemporaryDir treeFolder;
    db::createCatalogue(treeFolder.filePath(QLatin1String(db::kDatabaseFileName)), false);
    auto treeFile = open(fileAddress(treeFolder));
    bench_support::fillCategoryTree(*treeFile, kClickItems);
    ServerDatabase treeServer("tree");
    auto treeOnServer = open(treeServer.address());
    db::migrateCatalogue(*treeFile, *treeOnServer);
    int fileNodes = 0, serverNodes = 0;
    const double treeFileMs = median(repeated(kRepeats, [&] { fileNodes = refreshTreeByLevels(*treeFile); }));
    const double treeServerMs = median(repeated(kRepeats, [&] { serverNodes = refreshTreeByLevels(*treeOnServer); }));
    compare("tree refresh, 10000 categories (a statement per level)", treeFileMs, treeServerMs,
            "goal: server/file <= 2");
    const double perParentFileMs = median(repeated(kRepeats, [&] { fileNodes = refreshTree(*treeFile); }));
    const double perParentServerMs = median(repeated(kRepeats, [&] { serverNodes = refreshTree(*treeOnServer); }));
    compare("the refresh before: a statement per parent (1111)", perParentFileMs, perParentServerMs, "for comparison");
    int fileItems = 0, serverItems = 0;
    const double clickFileMs = median(repeated(kRepeats, [&] { fileItems = click(*treeFile); }));
    const double clickServerMs = median(repeated(kRepeats, [&] { serverItems = click(*treeOnServer); }));
    compare("level-4 click opening 5000 items", clickFileMs, clickServerMs, "goal: server <= 100 ms");

    // The big catalogue: migrated, then searched.
    QTemporaryDir bigFolder;
    bench_support::createBigCatalogue(bigFolder.path() + QLatin1Char('/'));
    auto bigFile = open(fileAddress(bigFolder));
    QTemporaryDir copyFolder;
    db::createCatalogue(copyFolder.filePath(QLatin1String(db::kDatabaseFileName)), false);
    auto fileCopy = open(fileAddress(copyFolder));
    const double migrateFileMs = timedMs([&] { db::migrateCatalogue(*bigFile, *fileCopy); });
    ServerDatabase bigServer("big");
    auto bigOnServer = open(bigServer.address());
    db::MigrationCounts copied;
    const double migrateServerMs = timedMs([&] { copied = db::migrateCatalogue(*bigFile, *bigOnServer); });
    compare("migration of the 100000-item file (to a file, to the server)", migrateFileMs, migrateServerMs,
            "goal: server <= 10000 ms");

    auto searchMs = [&](db::Connection& c, double& firstMs) {
        db::CatalogueIndex index(c);
        long long hits = 0;
        firstMs = timedMs([&] { hits += index.search(kTypical[0]).total; });
        std::vector<double> ms;
        for (int k = 1; k <= 50; ++k)
            ms.push_back(timedMs([&] { hits += index.search(kTypical[k % kTypical.size()]).total; }));
        return hits > 0 ? median(ms) : -1.0;
    };
    double firstFile = 0, firstServer = 0;
    const double searchFile = searchMs(*bigFile, firstFile);
    const double searchServer = searchMs(*bigOnServer, firstServer);
    compare("search of 100000 items, first (reads the index)", firstFile, firstServer, "no goal");
    compare("search of 100000 items, median after the first", searchFile, searchServer, "goal: server <= 50 ms");

    // A change seen by another connection.
    auto fileReader = open(fileAddress(bigFolder));
    auto serverReader = open(bigServer.address());
    std::vector<double> fileDelay, serverDelay;
    for (int round = 0; round < 20; ++round) {
        fileDelay.push_back(visibleAfterMs(*bigFile, *fileReader, round));
        serverDelay.push_back(visibleAfterMs(*bigOnServer, *serverReader, round));
    }
    compare("a change seen by another connection (median)", median(fileDelay), median(serverDelay), "goal: <= 1000 ms");
    std::printf("(checks: nodes %d/%d, click items %d/%d, items copied %lld)\n", fileNodes, serverNodes, fileItems,
                serverItems, copied.items);
    return fileNodes == 10000 && serverNodes == 10000 && fileItems == kClickItems && serverItems == kClickItems
               && copied.items == bench_support::kBigCatalogueItems
        ? 0
        : 1;
}
