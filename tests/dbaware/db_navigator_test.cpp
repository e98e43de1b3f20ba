#include "dbaware/db_navigator.h"
#include "dbaware_fixture.h"
#include "db/db_error.h"
#include <QAbstractButton>
#include <QTest>

using dbaware::DBNavigator;
using Button = DBNavigator::Button;
using State = db::Dataset::State;

namespace {

const Button kAll[] = {Button::First, Button::Prior, Button::Next,  Button::Last,   Button::Insert,
                       Button::Delete, Button::Edit, Button::Post, Button::Cancel, Button::Refresh};

class DBNavigatorTest : public DbawareTest {
protected:
    void SetUp() override
    {
        DbawareTest::SetUp();
        addItems(3);
        ds = openItems();
        nav.setDataset(ds.get());
        nav.resize(290, 25);
        nav.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&nav));
    }

    void press(Button b) { QTest::mouseClick(nav.button(b), Qt::LeftButton); }
    // The enabled buttons, as a string of their initials in order (e.g. "NLIDER").
    QString enabledButtons() const
    {
        static const char initials[] = "FPNLIDEpcR";
        QString s;
        for (Button b : kAll)
            if (nav.isButtonEnabled(b))
                s += QLatin1Char(initials[static_cast<int>(b)]);
        return s;
    }
    int rowsInTable() { return stored(QStringLiteral("select count(*) from HW")).toInt(); }

    std::unique_ptr<db::Dataset> ds;
    DBNavigator nav;
};

} // namespace

TEST_F(DBNavigatorTest, ButtonsStandInTheirOrderWithTheStandardHints)
{
    const QStringList hints = {"First record", "Prior record", "Next record", "Last record", "Insert record",
                               "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"};
    int left = -1;
    for (Button b : kAll) {
        EXPECT_EQ(nav.button(b)->toolTip(), hints[static_cast<int>(b)]);
        EXPECT_GT(nav.button(b)->x(), left);
        left = nav.button(b)->x();
    }
    EXPECT_EQ(nav.button(Button::Refresh)->geometry().right(), nav.width() - 1);

    // The lines navigator: four buttons over 88 pixels, the rest hidden but still usable.
    nav.setVisibleButtons({Button::Edit, Button::Post, Button::Cancel, Button::Refresh});
    nav.resize(88, 22);
    int width = 0;
    for (Button b : kAll) {
        const bool shown = b == Button::Edit || b == Button::Post || b == Button::Cancel || b == Button::Refresh;
        EXPECT_EQ(nav.isButtonVisible(b), shown);
        EXPECT_EQ(nav.button(b)->isVisible(), shown);
        if (shown) {
            EXPECT_EQ(nav.button(b)->x(), width);
            EXPECT_EQ(nav.button(b)->height(), 22);
            width += nav.button(b)->width();
        }
    }
    EXPECT_EQ(width, 88);
    ds->setCurrentRow(1);
    confirmAnswer = true;
    nav.btnClick(Button::Delete); // hidden, still performed
    EXPECT_EQ(rowsInTable(), 2);
}

TEST_F(DBNavigatorTest, ButtonsAreEnabledByPositionAndState)
{
    EXPECT_EQ(enabledButtons(), "NLIDER");
    ds->next();
    EXPECT_EQ(enabledButtons(), "FPNLIDER");
    ds->last();
    EXPECT_EQ(enabledButtons(), "FPIDER");
    ds->edit();
    EXPECT_EQ(enabledButtons(), "FPIDpc"); // posting or cancelling; moving would post
    ds->cancel();
    ds->close();
    EXPECT_EQ(enabledButtons(), "");

    auto empty = openQuery(QStringLiteral("select * from HW where HW_ID < 0"));
    nav.setDataset(empty.get());
    EXPECT_EQ(enabledButtons(), "IER"); // editing an empty result starts a new row
    auto computed = openQuery(QStringLiteral("select count(*) as N from HW"), QStringLiteral("ADOQuery_LIST"));
    nav.setDataset(computed.get());
    EXPECT_EQ(enabledButtons(), "R");
}

TEST_F(DBNavigatorTest, PressedButtonsDriveTheDataset)
{
    press(Button::Last);
    EXPECT_EQ(ds->currentRow(), 2);
    press(Button::Prior);
    EXPECT_EQ(ds->currentRow(), 1);
    press(Button::First);
    EXPECT_EQ(ds->currentRow(), 0);
    press(Button::Next);
    EXPECT_EQ(ds->currentRow(), 1);
    press(Button::Insert);
    EXPECT_EQ(ds->state(), State::Insert);
    EXPECT_EQ(ds->recordCount(), 4);
    press(Button::Cancel);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 3);
    press(Button::Edit);
    EXPECT_EQ(ds->state(), State::Edit);
    ds->setValue(QStringLiteral("HW_MC"), QStringLiteral("posted"));
    press(Button::Post);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 2")).toString(), "posted");
    addItems(1);
    press(Button::Refresh);
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_TRUE(dialogs.isEmpty());
}

TEST_F(DBNavigatorTest, DeleteAsksFirstAndCancelKeepsTheRow)
{
    ds->setCurrentRow(1);
    confirmAnswer = false;
    press(Button::Delete);
    ASSERT_EQ(requestsOf(platform::DialogKind::Confirm).size(), 1);
    EXPECT_EQ(requestsOf(platform::DialogKind::Confirm)[0].text, "删除这条记录?");
    EXPECT_EQ(ds->recordCount(), 3);
    EXPECT_EQ(rowsInTable(), 3);

    confirmAnswer = true;
    press(Button::Delete);
    EXPECT_EQ(ds->recordCount(), 2);
    EXPECT_EQ(rowsInTable(), 2);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from HW where HW_ID = 2")).toInt(), 0);

    // Through the action: the same question, the same answer rule.
    confirmAnswer = false;
    nav.btnClick(Button::Delete);
    EXPECT_EQ(requestsOf(platform::DialogKind::Confirm).size(), 3);
    EXPECT_EQ(rowsInTable(), 2);
}

TEST_F(DBNavigatorTest, ActionsDoNothingAtAllWhileTheDatasetIsClosed)
{
    ds->close();
    for (Button b : kAll)
        EXPECT_NO_THROW(nav.btnClick(b));
    EXPECT_TRUE(dialogs.isEmpty()); // not even the delete question
    EXPECT_FALSE(ds->active());
    EXPECT_EQ(rowsInTable(), 3);
    nav.setDataset(nullptr);
    EXPECT_NO_THROW(nav.btnClick(Button::Insert));
}

TEST_F(DBNavigatorTest, AFailedPostIsReportedWhenPressedAndThrownWhenCalled)
{
    ds->edit();
    ds->setValue(QStringLiteral("HW_DW"), QStringLiteral("12345678901")); // the field takes 10
    press(Button::Post);
    ASSERT_EQ(errorReports().size(), 1);
    EXPECT_TRUE(errorReports()[0].startsWith("ADOQueryHW: 字段“HW_DW”的内容太长")) << errorReports()[0].toStdString();
    EXPECT_EQ(ds->state(), State::Edit);
    EXPECT_TRUE(nav.isButtonEnabled(Button::Post));

    EXPECT_THROW(nav.btnClick(Button::Post), db::DbError);
    EXPECT_EQ(errorReports().size(), 1); // the caller's guard decides what to show
    nav.btnClick(Button::Cancel);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_NO_THROW(nav.btnClick(Button::Post)); // nothing to post
    EXPECT_EQ(stored(QStringLiteral("select HW_DW from HW where HW_ID = 1")).toString(), "个");
}
