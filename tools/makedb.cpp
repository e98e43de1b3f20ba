// qmxdiy-makedb PATH [--sample]: creates an empty catalogue file, or one holding the sample
// catalogue. An existing file is never overwritten.
#include "db/catalogue_file.h"
#include "db/db_error.h"
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool sample = args.removeAll(QStringLiteral("--sample")) > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--"))) {
        std::fprintf(stderr, "usage: qmxdiy-makedb PATH [--sample]\n");
        return 2;
    }
    try {
        db::createCatalogue(args.first(), sample);
    } catch (const db::DbError& e) {
        std::fprintf(stderr, "qmxdiy-makedb: %s\n", e.what());
        return 1;
    }
    std::printf("created %s\n", qPrintable(args.first()));
    return 0;
}
