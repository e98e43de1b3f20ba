// The program reads and shows dates, numbers and names the Chinese way, and Qt's own dialog
// texts are Chinese, whatever the session's locale. The session's locale is fixed when a
// process starts, so each case runs this test program again under LANG=C, German and
// Chinese, and the answers must be the same.
#include "app/data_folder.h"
#include "app/desktop_conventions.h"
#include "app/main_window.h"
#include "db/connection.h"
#include "db/dataset.h"
#include "db/statements.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_grid.h"
#include "platform/chinese_conventions.h"
#include "platform/operator_text.h"
#include "support/test_paths.h"
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <gtest/gtest.h>

using testing_support::TempFolder;

namespace {

const char* const kAnswerFile = "QMX_CONVENTIONS_ANSWER";

QString cellText(const dbaware::DBGrid* grid, const char* field)
{
    const auto columns = grid->columns();
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].fieldName == QLatin1String(field))
            return grid->model()->index(0, i).data().toString();
    return QStringLiteral("(no column)");
}

// What the program shows, one item a line, in this process's locale.
QStringList whatTheProgramShows()
{
    app::useChineseConventions(*qApp);
    TempFolder folder;
    app::ensureCatalogue(folder.path());
    app::TFrm_main w(folder.path());
    w.FormCreate();
    w.ADOConnection1->execute(
        QStringLiteral("UPDATE HW SET HW_RQ = '2026-12-09 22:18:05', HW_JG = 1299.5 WHERE HW_ID = 1"));
    db::openStatement(*w.ADOQueryHW, QStringLiteral("SELECT * FROM HW WHERE HW_ID = 1"));

    QStringList shown;
    shown << cellText(w.catalogue.DBGrid1, "HW_RQ") << cellText(w.catalogue.DBGrid1, "HW_JG")
          << w.record.DBEdit6->text() << w.record.DBEdit7->text();
    // The date read back as typed keeps its seconds; a new one typed reads in the same form.
    w.ADOQueryHW->edit();
    w.ADOQueryHW->setText(QStringLiteral("HW_RQ"), cellText(w.catalogue.DBGrid1, "HW_RQ"));
    shown << w.ADOQueryHW->value(QStringLiteral("HW_RQ")).toDateTime().toString(Qt::ISODate);
    w.ADOQueryHW->setText(QStringLiteral("HW_RQ"), QStringLiteral("2027-01-02 08:05"));
    w.ADOQueryHW->setText(QStringLiteral("HW_JG"), QStringLiteral("88.25"));
    w.ADOQueryHW->post();
    shown << cellText(w.catalogue.DBGrid1, "HW_RQ") << cellText(w.catalogue.DBGrid1, "HW_JG");
    // The default quotation number: today in the same form.
    shown << QString(w.currentQuotation.number == platform::shortDate(QDate::currentDate()) ? "today" : "not today");

    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        shown << box.button(b)->text();
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Save);
    shown << buttons.button(QDialogButtonBox::Open)->text() << buttons.button(QDialogButtonBox::Save)->text();
    // The context menu Qt draws for a text field.
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    shown << menu->actions().value(0)->text().section(u'\t', 0, 0);

    QStringList names{QStringLiteral("张三"), QStringLiteral("王五"), QStringLiteral("10号机"), QStringLiteral("阿明"),
                      QStringLiteral("李四"), QStringLiteral("2号机"), QStringLiteral("Zotac"), QStringLiteral("asus")};
    QStringList byQt = names;
    platform::sortNames(names);
    shown << names.join(u' ');
    // Qt's own locale-aware order (sorting proxies, QCollator()) follows the same rule.
    std::sort(byQt.begin(), byQt.end(), [](const QString& a, const QString& b) { return a.localeAwareCompare(b) < 0; });
    shown << QString(byQt.mid(2, 4) == names.mid(2, 4) ? "Qt sorts Han by pinyin" : byQt.join(u' '));
    return shown;
}

QStringList askUnder(const char* lang)
{
    QProcess child;
    TempFolder out;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_NUMERIC"));
    env.remove(QStringLiteral("LC_TIME"));
    env.remove(QStringLiteral("LANGUAGE"));
    env.insert(QStringLiteral("LANG"), QLatin1String(lang));
    env.insert(QLatin1String(kAnswerFile), out.file(QStringLiteral("answer.txt")));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ConventionsChild.*")});
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return {QStringLiteral("child failed: ") + QString::fromLocal8Bit(child.readAll())};
    QFile answer(out.file(QStringLiteral("answer.txt")));
    if (!answer.open(QIODevice::ReadOnly))
        return {QStringLiteral("no answer")};
    return QString::fromUtf8(answer.readAll()).split(u'\n');
}

} // namespace

// Runs only as the child of the test below, which names the answer file.
TEST(ConventionsChild, WritesWhatTheProgramShows)
{
    const QString path = qEnvironmentVariable(kAnswerFile);
    if (path.isEmpty())
        GTEST_SKIP() << "run by ChineseConventions.TheSameWhateverTheSessionLocale";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(whatTheProgramShows().join(u'\n').toUtf8());
}

TEST(ChineseConventions, TheSameWhateverTheSessionLocale)
{
    const QStringList expected{
        "2026-12-09 22:18", "1299.5", "2026-12-09 22:18", "1299.5",
        "2026-12-09T22:18:05", // shown to the minute, kept to the second
        "2027-01-02 08:05", "88.25", "today",
        "是(&Y)", "否(&N)", "取消", "打开", "保存",
        "撤消(&U)",
        "2号机 10号机 阿明 李四 王五 张三 asus Zotac", // digits by value, Han by pinyin
        "Qt sorts Han by pinyin",
    };
    for (const char* lang : {"C", "de_DE.UTF-8", "zh_CN.UTF-8", "en_US.UTF-8"}) {
        const QStringList shown = askUnder(lang);
        EXPECT_EQ(shown, expected) << lang << ": " << shown.join(u'|').toStdString();
    }
}
