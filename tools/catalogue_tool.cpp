// qmxdiy-catalogue: the catalogue's price lists and search on the command line.
#include "catalogue_quotation_commands.h"
#include "app/data_folder.h"
#include "catalogue_backups.h"
#include "catalogue_check.h"
#include "db/catalogue_categories.h"
#include "db/catalogue_index.h"
#include "db/catalogue_migration.h"
#include "db/connection.h"
#include "db/db_error.h"
#include "db/price_list.h"
#include "db/price_list_import.h"
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <climits>
#include <cstdio>

namespace {

const char* const kHelp =
    "Usage: qmxdiy-catalogue [--data-dir DIR | --db FILE | --server URL [--data-dir DIR]]\n"
    "                        COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  export [--category PATH] OUT.csv\n"
    "                  write the catalogue (or the category PATH, names separated by '/',\n"
    "                  and everything below it) as a price list in UTF-8 with a byte-order mark\n"
    "  import IN.csv   print what importing the price list would change: the counts, the\n"
    "                  price changes and the refused rows with their line numbers; changes\n"
    "                  nothing\n"
    "  import --apply IN.csv\n"
    "                  the same, then make the changes in one transaction\n"
    "  search WORDS... print the items whose name or parameters contain every word, one a\n"
    "                  line: id, category path, name, price (separated by tabs)\n"
    "  backup [--to DIR]\n"
    "                  back up the catalogue and its pictures into the backup folder (or DIR);\n"
    "                  a server's backups go into a folder of its own inside the backup folder\n"
    "  backups         list the backups, newest first, one a line: name, time, cause, counts\n"
    "  restore NAME    back up the current state, then restore the backup NAME (or the backup\n"
    "                  file NAME names); on a server, restore it into an empty database\n"
    "  migrate FILE.dat\n"
    "                  with --server: copy the catalogue file FILE.dat (and the pictures in\n"
    "                  PICS beside it) into the server's empty database in one transaction,\n"
    "                  keeping every number, and print what was copied; a database that\n"
    "                  holds a catalogue already is refused (exit 1) and left as it was\n"
    "  check NUMBER    print the quotation's estimated power draw (\"预计功耗: 420W\") and\n"
    "                  its compatibility warnings, one a line; exit 0 with or without\n"
    "                  warnings, 2 when there is no such quotation\n"
    "%1"
    "\n"
    "The catalogue is the data folder's qmxpcdiy.dat (the folder as the program chooses it),\n"
    "the file given with --db, or the database on a PostgreSQL server given with --server\n"
    "(postgresql://USER@HOST/DATABASE; the password in ~/.pgpass); a server's backups go to\n"
    "the data folder's backup folder. Exit status: 0 done, 1 rows were refused, nothing was\n"
    "found or the server's database is not empty, 2 bad usage or a file that cannot be read\n"
    "or written.\n";

enum Exit { kDone = 0, kRefused = 1, kFailed = 2 };

void print(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
}

QString helpText()
{
    return QString::fromLatin1(kHelp).arg(QLatin1String(catalogue_tool::kQuotationHelp));
}

int usage(const QString& message)
{
    print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n\n").arg(message));
    print(stderr, helpText());
    return kFailed;
}

QString fileConnectionString(const QString& path)
{
    return QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=%2").arg(path, QLatin1String(db::kDatabasePassword));
}

QString price(const std::optional<double>& value)
{
    return value ? db::formatPrice(*value) : QStringLiteral("-");
}

int exportCommand(db::Connection& connection, QStringList args)
{
    db::ExportScope scope;
    if (args.size() == 3 && args[0] == QLatin1String("--category")) {
        const QStringList names = args[1].split(QLatin1Char('/'));
        const auto found = db::CatalogueCategories::load(connection.handle()).resolve(names);
        if (!found) {
            print(stderr, QStringLiteral("qmxdiy-catalogue: no category %1\n").arg(args[1]));
            return kRefused;
        }
        scope = {found->first, found->second};
        args = args.mid(2);
    }
    if (args.size() != 1)
        return usage(QStringLiteral("export takes [--category PATH] OUT.csv"));
    const int items = db::exportPriceList(connection, args[0], scope);
    print(stdout, QStringLiteral("exported %1 items to %2\n").arg(items).arg(args[0]));
    return kDone;
}

void printPlan(const db::ImportPlan& plan)
{
    print(stdout, plan.summary() + u'\n');
    for (const auto& change : plan.priceChanges)
        print(stdout, QStringLiteral("第%1行 价格 %2/%3: %4 → %5\n")
                          .arg(change.line)
                          .arg(change.path.join(u'/'), change.name, price(change.oldPrice), price(change.newPrice)));
    for (const auto& category : plan.newCategories)
        print(stdout, QStringLiteral("新分类 %1\n").arg(category.path.join(u'/')));
    for (const auto& item : plan.newItems)
        print(stdout, QStringLiteral("第%1行 新产品 %2/%3: %4\n")
                          .arg(item.line)
                          .arg(item.path.join(u'/'), item.name, price(item.price)));
    for (const auto& refused : plan.refused)
        print(stdout, QStringLiteral("第%1行 拒绝: %2\n").arg(refused.line).arg(refused.reason));
}

int importCommand(db::Connection& connection, QStringList args)
{
    const bool apply = !args.isEmpty() && args[0] == QLatin1String("--apply");
    if (apply)
        args.removeFirst();
    if (args.size() != 1)
        return usage(QStringLiteral("import takes [--apply] IN.csv"));
    const db::PriceListFile file = db::readPriceListFile(args[0]);
    const db::ImportPlan plan = db::planImport(connection, file);
    print(stdout, QStringLiteral("%1: %2\n").arg(args[0], file.encoding));
    printPlan(plan);
    if (apply) {
        db::applyImport(connection, file, plan);
        print(stdout, plan.changesNothing() ? QStringLiteral("没有需要导入的变动\n") : QStringLiteral("已导入\n"));
    }
    return plan.refused.isEmpty() ? kDone : kRefused;
}

int searchCommand(db::Connection& connection, const QStringList& words)
{
    if (words.isEmpty())
        return usage(QStringLiteral("search takes one or more words"));
    db::CatalogueIndex index(connection);
    const db::SearchResult result = index.search(words.join(u' '), INT_MAX);
    for (const db::SearchHit& hit : result.hits)
        print(stdout, QStringLiteral("%1\t%2\t%3\t%4\n").arg(hit.itemId).arg(hit.path.join(u'/'), hit.name, price(hit.price)));
    return result.hits.isEmpty() ? kRefused : kDone;
}

int migrateCommand(const CatalogueLocation& where, const QStringList& args)
{
    if (!where.isServer())
        return usage(QStringLiteral("migrate copies a file into a server: give --server URL"));
    if (args.size() != 1)
        return usage(QStringLiteral("migrate takes the catalogue file FILE.dat"));
    const QString path = QDir().absoluteFilePath(args[0]);
    if (!QFileInfo(path).isFile())
        return usage(QStringLiteral("no file %1").arg(path));
    db::Connection file(QStringLiteral("qmxdiy-catalogue"));
    file.setConnectionString(fileConnectionString(path));
    file.open();
    db::Connection server(QStringLiteral("qmxdiy-catalogue"));
    server.setConnectionString(where.server);
    server.open();
    try {
        const db::MigrationCounts counts = db::migrateCatalogue(file, server, [](const QString& part, qint64 done, qint64 total) {
            print(stderr, QStringLiteral("%1 %2/%3\n").arg(part).arg(done).arg(total));
        });
        print(stdout, QStringLiteral("已复制到 %1：%2\n").arg(server.fileName(), db::migrationSummary(counts)));
        return kDone;
    } catch (const db::TargetNotEmpty& e) {
        print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n").arg(e.text()));
        return kRefused;
    }
}

// The catalogue named by --db, --server or --data-dir (taken off the arguments), else the
// program's own choice of data folder. Empty with `problem` set for bad options.
CatalogueLocation catalogueLocation(QStringList& args, QString& problem)
{
    CatalogueLocation where;
    QString file, dataDir;
    bool dataDirGiven = false;
    while (!args.isEmpty() && args[0].startsWith(QLatin1String("--")) && args[0] != QLatin1String("--help")) {
        const QString option = args[0];
        if (option != QLatin1String("--db") && option != QLatin1String("--data-dir") && option != QLatin1String("--server"))
            break;
        if (args.size() < 2) {
            problem = option + QStringLiteral(" needs a value");
            return {};
        }
        (option == QLatin1String("--db") ? file : option == QLatin1String("--server") ? where.server : dataDir) = args[1];
        dataDirGiven = dataDirGiven || option == QLatin1String("--data-dir");
        args = args.mid(2);
    }
    if (!file.isEmpty() && (dataDirGiven || where.isServer())) {
        problem = QStringLiteral("--db excludes --data-dir and --server");
        return {};
    }
    if (where.isServer() && !db::isServerAddress(where.server)) {
        problem = QStringLiteral("--server takes an address postgresql://USER@HOST/DATABASE");
        return {};
    }
    if (!file.isEmpty()) {
        where.file = QDir().absoluteFilePath(file);
        where.dataFolder = QFileInfo(where.file).absolutePath();
        return where;
    }
    QStringList forFolder{QStringLiteral("qmxdiy-catalogue")};
    if (dataDirGiven)
        forFolder << QStringLiteral("--data-dir") << dataDir;
    const auto choice = app::chooseDataFolder(forFolder, QCoreApplication::applicationDirPath());
    where.dataFolder = choice.folder;
    if (!where.isServer())
        where.file = QDir(choice.folder).filePath(QLatin1String(db::kDatabaseFileName));
    return where;
}

int run(QStringList args)
{
    if (args.isEmpty() || args[0] == QLatin1String("--help"))
        return args.isEmpty() ? usage(QStringLiteral("no command")) : (print(stdout, helpText()), kDone);
    QString problem;
    const CatalogueLocation where = catalogueLocation(args, problem);
    if (!problem.isEmpty())
        return usage(problem);
    if (args.isEmpty())
        return usage(QStringLiteral("no command"));
    const QString command = args.takeFirst();
    // These open the catalogue themselves (a restore replaces it).
    if (command == QLatin1String("backup"))
        return backupCommand(where, args);
    if (command == QLatin1String("backups"))
        return backupsCommand(where, args);
    if (command == QLatin1String("restore"))
        return restoreCommand(where, args);
    if (command == QLatin1String("migrate"))
        return migrateCommand(where, args);
    if (command != QLatin1String("export") && command != QLatin1String("import") && command != QLatin1String("search")
        && command != QLatin1String("check") && !catalogue_tool::isQuotationCommand(command))
        return usage(QStringLiteral("unknown command %1").arg(command));

    db::Connection connection(QStringLiteral("qmxdiy-catalogue"));
    connection.setConnectionString(where.isServer() ? where.server : fileConnectionString(where.file));
    connection.open();
    if (command == QLatin1String("export"))
        return exportCommand(connection, args);
    if (command == QLatin1String("import"))
        return importCommand(connection, args);
    if (catalogue_tool::isQuotationCommand(command))
        return catalogue_tool::runQuotationCommand(connection, command, args, usage);
    if (command == QLatin1String("check"))
        return checkCommand(connection, args);
    return searchCommand(connection, args);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    try {
        return run(QCoreApplication::arguments().mid(1));
    } catch (const db::DbError& e) {
        print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n").arg(e.text()));
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("qmxdiy-catalogue: %1\n").arg(QString::fromUtf8(e.what())));
    }
    return kFailed;
}
