// What the operator types into the record panel is never lost: commands that close or re-run
// the items' query post it first, a post that fails stops the command with a report and keeps
// the text, and closing the window asks what to do with it.
#include "catalogue_fixture.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_navigator.h"
#include <QAbstractButton>
#include <QLabel>
#include <QTimer>

using namespace catalogue_testing;
using Button = dbaware::DBNavigator::Button;
using platform::DialogKind;

namespace {

class UnsavedEditsTest : public CatalogueTest {
protected:
    // Closing the window is part of these tests; the test program goes on afterwards.
    void SetUp() override
    {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        CatalogueTest::SetUp();
    }
    void TearDown() override
    {
        CatalogueTest::TearDown();
        QGuiApplication::setQuitOnLastWindowClosed(true);
    }
    // Opens DDR5 with a real click and types a new name for 金士顿 into the record panel.
    void typeName(const QString& name)
    {
        mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR5"}));
        ASSERT_EQ(w->ADOQueryHW->asInteger("HW_ID"), kingston);
        w->record.DBEdit3->setFocus();
        w->record.DBEdit3->selectAll();
        QTest::keyClicks(w->record.DBEdit3, name);
        ASSERT_EQ(w->record.DBEdit3->text(), name);
    }
    // The file refuses item names containing BAD, as a file with its own rules may.
    void refuseBadNames()
    {
        cat.run("CREATE TRIGGER refuse_bad BEFORE UPDATE ON HW WHEN NEW.HW_MC LIKE '%BAD%' "
                "BEGIN SELECT RAISE(ABORT, 'bad item name'); END");
    }
    void expectOneReportNamingTheCause()
    {
        const auto reports = dialogs.of(DialogKind::ErrorReport);
        ASSERT_EQ(reports.size(), 1);
        EXPECT_TRUE(reports[0].text.contains("ADOQueryHW")) << reports[0].text.toStdString();
        EXPECT_TRUE(reports[0].text.contains("bad item name")) << reports[0].text.toStdString();
    }
};

} // namespace

TEST_F(UnsavedEditsTest, TypedTextIsStoredByAClickOnAnotherCategory)
{
    typeName("Kingston 48GB");
    mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    EXPECT_EQ(stored(kingston, "HW_MC"), "Kingston 48GB");
    EXPECT_EQ(rowsOf(*w->ADOQueryHW, "HW_MC"), QStringList{"威刚 8GB"});
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());

    // The refresh and the compaction's first step save what is typed too.
    mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    w->record.DBEdit3->setFocus();
    w->record.DBEdit3->selectAll();
    QTest::keyClicks(w->record.DBEdit3, "ADATA 16GB");
    w->menu.N27->trigger();
    EXPECT_EQ(stored(adata, "HW_MC"), "ADATA 16GB");
    w->shell.Timer3->stop();
}

TEST_F(UnsavedEditsTest, APostThatFailsStopsTheClickAndKeepsTheText)
{
    refuseBadNames();
    typeName("BAD name");
    mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    expectOneReportNamingTheCause();
    // The click stopped before it changed anything: the items, labels and text stay.
    EXPECT_EQ(w->record.DBEdit3->text(), "BAD name");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Edit);
    EXPECT_EQ(rowsOf(*w->ADOQueryHW, "HW_MC").size(), 3);
    EXPECT_EQ(w->catalogue.Lbl_L4->text(), "DDR5");
    EXPECT_EQ(stored(kingston, "HW_MC"), "金士顿 32GB");

    // Compaction stops at its first step as well: nothing closed, nothing copied.
    dialogs.seen.clear();
    w->menu.N27->trigger();
    expectOneReportNamingTheCause();
    EXPECT_FALSE(w->shell.Timer3->isActive());
    EXPECT_TRUE(w->ADOConnection1->connected());
    EXPECT_EQ(w->record.DBEdit3->text(), "BAD name");

    // The navigator's Cancel still discards.
    w->record.DBNavigator1->button(Button::Cancel)->click();
    EXPECT_EQ(w->record.DBEdit3->text(), "金士顿 32GB");
    dialogs.seen.clear();
    mouseClickNode(*w, node(*w, {"电脑", "配件", "内存", "DDR4"}));
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
    EXPECT_EQ(rowsOf(*w->ADOQueryHW, "HW_MC"), QStringList{"威刚 8GB"});
}

TEST_F(UnsavedEditsTest, ClosingTheWindowAsksWhatToDoWithAPendingEdit)
{
    // Nothing pending: the window closes without a question.
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(dialogs.of(DialogKind::YesNoCancel).isEmpty());
    w->show();

    // Cancel keeps the window and the text.
    typeName("Kingston 64GB");
    dialogs.choice = platform::Choice::Cancel;
    EXPECT_FALSE(w->close());
    ASSERT_EQ(dialogs.of(DialogKind::YesNoCancel).size(), 1);
    EXPECT_EQ(dialogs.of(DialogKind::YesNoCancel)[0].text, "保存修改吗?");
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->record.DBEdit3->text(), "Kingston 64GB");
    EXPECT_EQ(stored(kingston, "HW_MC"), "金士顿 32GB");

    // Yes stores it and closes.
    dialogs.choice = platform::Choice::Yes;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(stored(kingston, "HW_MC"), "Kingston 64GB");
}

TEST_F(UnsavedEditsTest, NoDiscardsAndAFailedSaveKeepsTheWindowOpen)
{
    refuseBadNames();
    typeName("BAD name");
    dialogs.choice = platform::Choice::Yes;
    EXPECT_FALSE(w->close());
    expectOneReportNamingTheCause();
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->record.DBEdit3->text(), "BAD name");

    dialogs.choice = platform::Choice::No;
    EXPECT_TRUE(w->close());
    EXPECT_EQ(stored(kingston, "HW_MC"), "金士顿 32GB");
    EXPECT_EQ(w->ADOQueryHW->state(), db::Dataset::State::Browse);
}
