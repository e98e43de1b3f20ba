// Compaction of a 50 MB catalogue database with half its items deleted: the routine alone
// (sqlcipher_export into tmpDB.mdb, check, atomic move), and step 1 plus step 2 through the
// main window; against a plain copy of the same file as the machine's yardstick.
#include "app/data_folder.h"
#include "app/main_window.h"
#include "db/catalogue_file.h"
#include "db/compaction.h"
#include "db/connection.h"
#include "platform/file_operations.h"
#include "platform/widgets/dialogs.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kItems = 1000;
constexpr int kPictureBytes = 48 * 1024;

double megabytes(const QString& path)
{
    return QFileInfo(path).size() / (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString database = folder.filePath(QString::fromLatin1(db::kDatabaseFileName));
    const QString copy = folder.filePath(QString::fromLatin1(db::kCompactionCopyName));
    db::createCatalogue(database, false);
    {
        db::Connection c;
        c.setConnectionString(db::ConnectionString::build(app::withSlash(folder.path())));
        c.open();
        c.execute(QStringLiteral("INSERT INTO L1 (L1_NM) VALUES ('电脑')"));
        c.execute(QStringLiteral("BEGIN"));
        c.execute(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                                 "INSERT INTO HW (L4_ID, HW_MC, HW_CS, HW_JG, HW_TP) "
                                 "SELECT 1, '显卡 #' || i, '显存 16GB GDDR6X', 4999, randomblob(%2) FROM n")
                      .arg(kItems)
                      .arg(kPictureBytes));
        c.execute(QStringLiteral("COMMIT"));
        c.execute(QStringLiteral("DELETE FROM HW WHERE HW_ID % 2 = 0"));
    }
    const double sizeBefore = megabytes(database);

    // The machine's yardstick: a plain copy of the file (written and flushed).
    QElapsedTimer t;
    t.start();
    platform::copyFile(database, copy);
    const double copyMs = t.nsecsElapsed() / 1e6;

    // The routine alone, on the copy.
    t.restart();
    db::compactInPlace(copy, QString::fromLatin1(db::kDatabasePassword));
    const double routineMs = t.nsecsElapsed() / 1e6;
    const double sizeAfter = megabytes(copy);
    platform::deleteFile(copy);

    // Both steps through the window (without the three seconds between them).
    app::TFrm_main w(folder.path());
    w.shell.Timer1->stop();
    w.FormCreate();
    w.btn_refreshClick();
    QString failure;
    platform::setDialogResponder([&](const platform::DialogRequest& request) {
        failure = request.text;
        return platform::DialogAnswer{};
    });
    t.restart();
    w.N27Click();
    const double step1Ms = t.nsecsElapsed() / 1e6;
    t.restart();
    w.Timer3Timer();
    const double step2Ms = t.nsecsElapsed() / 1e6;
    platform::setDialogResponder({});

    std::printf("database before compaction: %.1f MB (%d items with %d KB pictures, half deleted)\n", sizeBefore,
                kItems, kPictureBytes / 1024);
    std::printf("compaction routine (export, check, atomic move): %.0f ms; result %.1f MB\n", routineMs, sizeAfter);
    std::printf("plain copy of the same file: %.0f ms; routine / copy = %.1f\n", copyMs, routineMs / copyMs);
    std::printf("through the window: step 1 (close, copy) %.0f ms, step 2 (refresh, compact, put back, reopen) %.0f ms; "
                "database now %.1f MB\n",
                step1Ms, step2Ms, megabytes(database));
    if (!failure.isEmpty())
        std::printf("compaction failed: %s\n", qPrintable(failure));
    return failure.isEmpty() && megabytes(database) < sizeBefore ? 0 : 1;
}
