// The server stopped while the operator works, and started again: the command that failed
// says the connection was lost, what was typed stays (record panel and quotation lines), and
// the next command finds the server again by itself.
#include "category_fixture.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_navigator.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <unistd.h>

using namespace category_testing;
using Button = dbaware::DBNavigator::Button;
using platform::DialogKind;

namespace {

// A PostgreSQL server of the test's own (scripts/pg_test_server), which it may stop and start.
class OwnServer {
public:
    OwnServer()
    {
        dir_.setAutoRemove(true);
        QFile::setPermissions(dir_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                               | QFileDevice::ReadOther | QFileDevice::ExeOther
                                               | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
        QProcess start;
        start.start(script(), {"start", dir_.path(), QString::number(QCoreApplication::applicationPid())});
        start.waitForFinished(60000);
        address_ = QString::fromUtf8(start.readAllStandardOutput()).trimmed();
        if (start.exitCode() != 0 || address_.isEmpty())
            why_ = QString::fromUtf8(start.readAllStandardError());
        port_ = QUrlQuery(QUrl(address_)).queryItemValue("port");
    }
    ~OwnServer() { QProcess::execute(script(), {"stop", dir_.path()}); }

    const QString& address() const { return address_; }
    const QString& why() const { return why_; }
    bool stop() const { return runPgCtl({"-D", dir_.path() + "/data", "-m", "fast", "-w", "stop"}); }
    bool start() const
    {
        return runPgCtl({"-D", dir_.path() + "/data", "-l", dir_.path() + "/data/server.log", "-w", "-t", "30", "-o",
                         QStringLiteral("-k %1 -p %2 -c listen_addresses='' -c fsync=off").arg(dir_.path(), port_),
                         "start"});
    }

private:
    static QString script() { return testing_support::sourcePath("scripts/pg_test_server"); }
    static QString pgctl(const QString& program)
    {
        QStringList found = QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        return found.isEmpty() ? program : "/usr/lib/postgresql/" + found.last() + "/bin/" + program;
    }
    bool runPgCtl(const QStringList& arguments) const
    {
        QProcess run;
        // The server refuses to run as root; it runs as the postgres user then, as the script does.
        if (geteuid() == 0)
            run.start("runuser", QStringList{"-u", "postgres", "--", pgctl("pg_ctl")} + arguments);
        else
            run.start(pgctl("pg_ctl"), arguments);
        run.waitForFinished(60000);
        return run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
    }

    QTemporaryDir dir_{QDir::tempPath() + "/qmx-own-server.XXXXXX"};
    QString address_, why_, port_;
};

} // namespace

TEST(ServerReconnectTest, TheTypedValuesOutliveTheServerAndTheNextCommandReconnects)
{
    OwnServer server;
    ASSERT_FALSE(server.address().isEmpty()) << server.why().toStdString();
    // The server is the test's alone: its first database holds the catalogue.
    Catalogue cat(server.address());
    const int l4 = cat.l4(cat.l3(cat.l2(cat.l1("电脑"), "配件"), "内存"), "DDR5");
    const int item = cat.item(l4, "金士顿 32GB");
    cat.run("INSERT INTO DIY (DIY_ID, DIY_NM, HW_MS, DIY_SL, DIY_JG, DIY_CASH) VALUES ('Q1', '甲', '内存', 1, 100, 100)");
    Dialogs dialogs;
    auto w = openWindow(cat);
    w->show();
    mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR5"}));
    ASSERT_EQ(w->ADOQueryHW->asInteger("HW_ID"), item);
    w->N19Click();
    w->management.cmb_diy_id->setCurrentText("Q1");
    w->btn_diy_id_listClick();
    ASSERT_EQ(w->ADOQueryDIY->recordCount(), 1);

    // The operator types; meanwhile the server goes away.
    w->record.DBEdit3->setFocus();
    w->record.DBEdit3->selectAll();
    QTest::keyClicks(w->record.DBEdit3, "Kingston 48GB");
    ASSERT_TRUE(server.stop());
    w->record.DBNavigator1->button(Button::Post)->click();
    auto reports = dialogs.of(DialogKind::ErrorReport);
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].text.contains("连接已断开") || reports[0].text.contains("无法连接数据库服务器"))
        << reports[0].text.toStdString();
    EXPECT_EQ(w->record.DBEdit3->text(), "Kingston 48GB");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Edit);
    w->record.DBNavigator1->button(Button::Cancel)->click();

    // A line of the quotation edited while the server is away keeps its quantity too.
    w->ADOQueryDIY->edit();
    w->ADOQueryDIY->setValue("DIY_SL", 3);
    dialogs.seen.clear();
    w->quotation.DBNV3->button(Button::Post)->click();
    EXPECT_EQ(dialogs.of(DialogKind::ErrorReport).size(), 1);
    EXPECT_EQ(w->ADOQueryDIY->state(), db::Dataset::State::Edit);
    EXPECT_EQ(w->ADOQueryDIY->value("DIY_SL").toInt(), 3);

    // The server is back: the same command goes through on a connection made anew.
    ASSERT_TRUE(server.start());
    dialogs.seen.clear();
    w->quotation.DBNV3->button(Button::Post)->click();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty())
        << dialogs.of(DialogKind::ErrorReport).value(0).text.toStdString();
    w->record.DBEdit3->setFocus();
    w->record.DBEdit3->selectAll();
    QTest::keyClicks(w->record.DBEdit3, "Kingston 48GB");
    w->record.DBNavigator1->button(Button::Post)->click();
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty())
        << dialogs.of(DialogKind::ErrorReport).value(0).text.toStdString();
    // As another workstation reads them (the fixture's own connection was cut off too).
    Catalogue reader(server.address());
    EXPECT_EQ(reader.column("select HW_MC as v from HW", "v"), QStringList{"Kingston 48GB"});
    EXPECT_EQ(reader.count("select DIY_SL as n from DIY"), 3);
}
