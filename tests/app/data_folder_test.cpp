#include "app/data_folder.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "support/test_paths.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using testing_support::TempFolder;

TEST(DataFolder, CommandLineThenPortableFolderThenXdg)
{
    TempFolder program;
    TempFolder elsewhere;
    const QString prog = program.path();

    auto chosen = app::chooseDataFolder({"qmxdiy", "--data-dir", elsewhere.path()}, prog);
    EXPECT_EQ(chosen.folder, elsewhere.path());
    chosen = app::chooseDataFolder({"qmxdiy", "--data-dir=" + elsewhere.path()}, prog);
    EXPECT_EQ(chosen.folder, elsewhere.path());
    EXPECT_FALSE(app::chooseDataFolder({"qmxdiy", "--data-dir"}, prog).error.isEmpty());

    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", elsewhere.path().toUtf8());
    EXPECT_EQ(app::chooseDataFolder({"qmxdiy"}, prog).folder, elsewhere.path() + QStringLiteral("/qmxdiy"));
    // A relative XDG_DATA_HOME is not to be trusted; the home folder's default is used.
    qputenv("XDG_DATA_HOME", "relative/path");
    EXPECT_EQ(app::chooseDataFolder({"qmxdiy"}, prog).folder, QDir::homePath() + QStringLiteral("/.local/share/qmxdiy"));

    // Portable use: the program's own folder once it holds the catalogue.
    QFile marker(program.file(QStringLiteral("qmxpcdiy.dat")));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_EQ(app::chooseDataFolder({"qmxdiy"}, prog).folder, prog);
    EXPECT_EQ(app::chooseDataFolder({"qmxdiy", "--data-dir", elsewhere.path()}, prog).folder, elsewhere.path());
    qputenv("XDG_DATA_HOME", savedXdg);
    EXPECT_EQ(app::withSlash(QStringLiteral("/a/b")), QStringLiteral("/a/b/"));
    EXPECT_EQ(app::withSlash(QStringLiteral("/a/b/")), QStringLiteral("/a/b/"));
}

TEST(DataFolder, CatalogueIsCreatedOnceWithTheSampleAndNeverReplaced)
{
    TempFolder data;
    const QString sub = data.file(QStringLiteral("new/deeper"));
    EXPECT_EQ(app::ensureCatalogue(sub), QString());
    db::Connection c;
    c.setConnectionString(db::ConnectionString::build(app::withSlash(sub)));
    c.open();
    db::Dataset hw(QStringLiteral("ADOQueryHW"), &c);
    db::openStatement(hw, QStringLiteral("select count(*) as N from HW"));
    const int items = hw.asInteger(QStringLiteral("N"));
    EXPECT_GT(items, 300);
    c.execute(QStringLiteral("delete from HW"));
    c.close();
    EXPECT_EQ(app::ensureCatalogue(sub), QString());
    c.open();
    db::openStatement(hw, QStringLiteral("select count(*) as N from HW"));
    EXPECT_EQ(hw.asInteger(QStringLiteral("N")), 0); // the existing file was kept as it was

    // A damaged file stays exactly as it is.
    TempFolder other;
    QFile broken(other.file(QStringLiteral("qmxpcdiy.dat")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a database");
    broken.close();
    EXPECT_EQ(app::ensureCatalogue(other.path()), QString());
    ASSERT_TRUE(broken.open(QIODevice::ReadOnly));
    EXPECT_EQ(broken.readAll(), QByteArray("not a database"));
}
