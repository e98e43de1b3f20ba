// "※ 压缩数据库(每周一次)" through the main window over real encrypted files: the two
// steps, the copy that stays, the database that opens with the same password and holds the
// same rows, and every way it can fail leaving the database as it was.
#include "category_fixture.h"
#include "db/compaction.h"
#include "db/db_error.h"
#include "dbaware/db_grid.h"
#include "platform/file_operations.h"
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace category_testing;
using platform::DialogKind;

namespace {

const QStringList kTables = {"L1", "L2", "L3", "L4", "HW", "DIY"};

// Every row of every table, as text, read through a connection of its own.
QStringList dump(const QString& folder, const QString& password = QString::fromLatin1(db::kDatabasePassword))
{
    db::Connection connection(QStringLiteral("dump"));
    connection.setConnectionString(db::ConnectionString::build(app::withSlash(folder), password));
    connection.open();
    db::Dataset rows(QStringLiteral("dump"), &connection);
    QStringList lines;
    for (const QString& table : kTables) {
        db::openStatement(rows, QStringLiteral("select * from ") + table + QStringLiteral(" order by rowid"));
        for (int r = 0; r < rows.recordCount(); ++r) {
            QStringList values;
            for (int f = 0; f < rows.fields().size(); ++f) {
                const QVariant v = rows.valueAt(r, f);
                values << (v.typeId() == QMetaType::QByteArray ? QString::fromLatin1(v.toByteArray().toHex())
                                                                : v.toString());
            }
            lines << table + QLatin1Char(':') + values.join(QLatin1Char('|'));
        }
        rows.close();
    }
    return lines;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// Reports what its dialogs would have shown.
class ErrorReports {
public:
    ErrorReports()
    {
        previous_ = platform::setDialogResponder([this](const platform::DialogRequest& request) {
            texts << request.text;
            kinds << request.kind;
            return platform::DialogAnswer{};
        });
    }
    ~ErrorReports() { platform::setDialogResponder(previous_); }
    QStringList texts;
    QList<DialogKind> kinds;

private:
    platform::DialogResponder previous_;
};

class CompactionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A catalogue with pictures, most of them deleted again: space to win back.
        const int l4 = cat.l4(cat.l3(cat.l2(cat.l1("电脑"), "配件"), "存储"), "硬盘");
        cat.l2(cat.l1("外设"), "键盘");
        cat.run("BEGIN");
        for (int k = 0; k < 80; ++k)
            cat.run(QStringLiteral("INSERT INTO HW (L4_ID, HW_MC, HW_JG, HW_TP) VALUES (%1, 'disk %2', %2.5, randomblob(8000))")
                        .arg(l4)
                        .arg(k));
        cat.run("COMMIT");
        cat.run("DELETE FROM HW WHERE HW_ID % 4 != 0");
        cat.run("INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL, DIY_JG, DIY_CASH) VALUES ('Q1', '配置单', 'x', 2, 1.5, 3)");
        cat.connection.close(); // the test's own connection would hold the file open
        database = cat.folder.file("qmxpcdiy.dat");
        copy = cat.folder.file("qmxpcdiy2.dat");
        temp = cat.folder.file("tmpDB.mdb");
        rowsBefore = dump(cat.folder.path());
        sizeBefore = QFileInfo(database).size();
    }

    std::unique_ptr<app::TFrm_main> window()
    {
        auto w = openWindow(cat);
        w->currentQuotation.number = "Q1";
        w->currentQuotation.total = 42;
        return w;
    }

    // Runs `action` inside the first pause of the compaction routine (while it lets pending
    // messages run).
    static void duringTheRoutine(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

    Catalogue cat;
    QString database, copy, temp;
    QStringList rowsBefore;
    qint64 sizeBefore = 0;
};

} // namespace

TEST_F(CompactionTest, CompactsIntoASmallerFileWithTheSamePasswordAndTheSameRows)
{
    auto w = window();
    ErrorReports reports;
    const int treeNodes = w->tree.tv1->topLevelItemCount();
    w->menu.N27->trigger();

    // Step 1: everything closed, the copy taken, the second step three seconds away.
    EXPECT_FALSE(w->ADOConnection1->connected());
    for (db::Dataset* q : {w->ADOQueryL1, w->ADOQueryL2, w->ADOQueryL3, w->ADOQueryL4, w->ADOQueryL1_L4,
                           w->ADOQueryHW, w->ADOQueryDIY, w->ADOQuery_LIST})
        EXPECT_FALSE(q->active()) << q->name().toStdString();
    EXPECT_EQ(w->tree.DBGrid2->model()->rowCount(), 0);
    EXPECT_TRUE(w->shell.Timer3->isActive());
    EXPECT_EQ(w->shell.Timer3->interval(), 3000);
    EXPECT_TRUE(QFileInfo(copy).isFile());

    int cursorDuring = -1;
    duringTheRoutine([&] {
        cursorDuring = QApplication::overrideCursor() ? int(QApplication::overrideCursor()->shape()) : -2;
    });
    w->Timer3Timer();

    EXPECT_TRUE(reports.texts.isEmpty()) << reports.texts.join("\n").toStdString();
    EXPECT_EQ(cursorDuring, int(Qt::WaitCursor));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(w->shell.Timer3->isActive());
    EXPECT_TRUE(QFileInfo(copy).isFile());
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_LT(QFileInfo(database).size(), sizeBefore / 2);

    // Open again, the tree rebuilt; the other views stay closed; the quotation is kept.
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), treeNodes);
    EXPECT_TRUE(w->ADOQueryL1_L4->active());
    EXPECT_FALSE(w->ADOQueryHW->active());
    EXPECT_FALSE(w->ADOQueryDIY->active());
    EXPECT_FALSE(w->ADOQuery_LIST->active());
    EXPECT_EQ(w->currentQuotation.number, "Q1");
    EXPECT_EQ(w->currentQuotation.total, 42);

    EXPECT_EQ(dump(cat.folder.path()), rowsBefore);
    EXPECT_THROW(dump(cat.folder.path(), "wrong"), db::DbError);
    // The window works on the compacted file: a click on the disks lists the 20 left.
    click(*w, node(*w, {"电脑", "配件", "存储", "硬盘"}));
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 20);
}

TEST(CompactionWithoutFilesTest, WithNeitherDatabaseNorCopyTheEngineErrorIsShownAndNothingChanges)
{
    testing_support::TempFolder folder;
    app::TFrm_main w(folder.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    ErrorReports reports;
    w.N27Click();
    EXPECT_TRUE(w.shell.Timer3->isActive());
    w.Timer3Timer();
    ASSERT_EQ(reports.texts.size(), 1);
    EXPECT_EQ(reports.kinds[0], DialogKind::ErrorReport);
    EXPECT_TRUE(reports.texts[0].startsWith("找不到文件“" + folder.file("qmxpcdiy2.dat") + "”。"))
        << reports.texts[0].toStdString();
    EXPECT_TRUE(filesIn(folder.path()).isEmpty()) << filesIn(folder.path()).join(",").toStdString();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(CompactionTest, AFailureInTheMiddleLeavesTheDatabaseAsItWas)
{
    auto w = window();
    ErrorReports reports;
    w->N27Click();
    const QByteArray bytes = platform::readWholeFile(database);
    // The copy is damaged while the routine lets messages run, before the engine reads it.
    duringTheRoutine([&] { platform::writeFileAtomically(copy, QByteArray(8192, 'x')); });
    w->Timer3Timer();

    ASSERT_EQ(reports.texts.size(), 1);
    EXPECT_TRUE(reports.texts[0].contains("不是本程序的目录文件")) << reports.texts[0].toStdString();
    EXPECT_EQ(platform::readWholeFile(database), bytes);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_TRUE(QFileInfo(copy).isFile());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), 2);
    EXPECT_EQ(dump(cat.folder.path()), rowsBefore);
}

TEST_F(CompactionTest, ChangesMadeWhileTheCopyIsCompactedAreNeverOverwritten)
{
    auto w = window();
    ErrorReports reports;
    w->N27Click();
    duringTheRoutine([&] {
        // The window itself has the database open again; another program adds a category.
        db::Connection other(QStringLiteral("other"));
        other.setConnectionString(db::ConnectionString::build(app::withSlash(cat.folder.path())));
        other.open();
        other.execute("INSERT INTO L1 (L1_NM) VALUES ('显示器')");
        other.close();
    });
    w->Timer3Timer();

    ASSERT_EQ(reports.texts.size(), 1);
    EXPECT_TRUE(reports.texts[0].contains("在压缩期间被修改")) << reports.texts[0].toStdString();
    const QStringList after = dump(cat.folder.path());
    EXPECT_TRUE(after.contains("L1:3|显示器"));
    QStringList withoutNew = after;
    withoutNew.removeAll("L1:3|显示器");
    EXPECT_EQ(withoutNew, rowsBefore);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_EQ(w->tree.tv1->topLevelItemCount(), 3);
}

TEST_F(CompactionTest, AnOldCopyIsNeverPutBackWhileAnotherProgramHoldsTheDatabase)
{
    platform::copyFile(database, copy); // an earlier compaction's copy
    db::Connection other(QStringLiteral("other"));
    other.setConnectionString(db::ConnectionString::build(app::withSlash(cat.folder.path())));
    other.open();
    other.execute("INSERT INTO DIY (DIY_ID, DIY_NM, DIY_CASH) VALUES ('Q2', '新单', 7)");

    auto w = window();
    ErrorReports reports;
    w->N27Click();
    w->Timer3Timer();
    ASSERT_EQ(reports.texts.size(), 1);
    EXPECT_TRUE(reports.texts[0].contains("正被其他程序使用")) << reports.texts[0].toStdString();
    other.execute("INSERT INTO DIY (DIY_ID, DIY_NM, DIY_CASH) VALUES ('Q3', '新单', 8)");
    other.close();
    w.reset();
    const QStringList after = dump(cat.folder.path());
    EXPECT_EQ(after.filter("DIY:").size(), 3);
    EXPECT_FALSE(QFileInfo::exists(temp));
}

TEST_F(CompactionTest, AProgramThatOpensTheDatabaseDuringTheRoutineStopsTheCopyBack)
{
    auto w = window();
    ErrorReports reports;
    db::Connection other(QStringLiteral("other"));
    w->N27Click();
    duringTheRoutine([&] {
        other.setConnectionString(db::ConnectionString::build(app::withSlash(cat.folder.path())));
        other.open();
    });
    w->Timer3Timer();
    ASSERT_EQ(reports.texts.size(), 1);
    EXPECT_TRUE(reports.texts[0].contains("正被其他程序使用")) << reports.texts[0].toStdString();
    EXPECT_TRUE(w->ADOConnection1->connected());
    other.close();
    EXPECT_EQ(dump(cat.folder.path()), rowsBefore);
}

TEST_F(CompactionTest, ChoosingTheCommandAgainWhileOneIsUnderWayStartsNoSecond)
{
    auto w = window();
    ErrorReports reports;
    w->N27Click();
    platform::deleteFile(copy);
    w->N27Click(); // between the steps
    EXPECT_FALSE(QFileInfo::exists(copy));
    platform::copyFile(database, copy);

    bool ranInside = false;
    duringTheRoutine([&] {
        w->menu.N27->trigger(); // during step 2
        ranInside = true;
    });
    w->Timer3Timer();
    EXPECT_TRUE(ranInside);
    EXPECT_TRUE(reports.texts.isEmpty()) << reports.texts.join("\n").toStdString();
    EXPECT_FALSE(w->shell.Timer3->isActive());
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_EQ(dump(cat.folder.path()), rowsBefore);

    // Once it has ended the command runs again.
    w->N27Click();
    EXPECT_TRUE(w->shell.Timer3->isActive());
    w->Timer3Timer();
    EXPECT_TRUE(reports.texts.isEmpty());
}

TEST_F(CompactionTest, LeftoversOfAnEarlierRunAreNotTakenIn)
{
    // A log left beside an earlier copy, holding a row that copy never had, and a temporary
    // file of a run that broke off.
    const QString ghost = cat.folder.file("ghost.dat");
    platform::copyFile(database, ghost);
    {
        db::Connection g(QStringLiteral("ghost"));
        g.setConnectionString("Data Source=" + ghost + ";Jet OLEDB:Database Password=" + db::kDatabasePassword);
        g.open();
        g.execute("INSERT INTO L1 (L1_NM) VALUES ('幽灵')");
        platform::copyFile(ghost + "-wal", copy + "-wal");
        platform::writeFileAtomically(temp, "not a database");
        g.close();
    }
    auto w = window();
    ErrorReports reports;
    w->N27Click();
    w->Timer3Timer();
    EXPECT_TRUE(reports.texts.isEmpty()) << reports.texts.join("\n").toStdString();
    EXPECT_EQ(dump(cat.folder.path()), rowsBefore);
    EXPECT_FALSE(QFileInfo::exists(temp));
    EXPECT_FALSE(QFileInfo::exists(copy + "-wal"));
}
