#include "db/db_error.h"
#include "dbaware/db_combo_box.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_image.h"
#include "dbaware/db_memo.h"
#include "dbaware/db_navigator.h"
#include "dbaware_fixture.h"
#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

using namespace dbaware;
using State = db::Dataset::State;

namespace {

class DBFieldControlTest : public DbawareTest {
protected:
    void SetUp() override
    {
        DbawareTest::SetUp();
        addItems(3);
        connection.execute(QStringLiteral("update HW set HW_CS = 'socket AM4' || char(10) || '8 cores' where HW_ID = 1"));
        ds = openItems();
    }

    template <class Control>
    void bind(Control& control, const QString& field)
    {
        control.setDataset(ds.get());
        control.setFieldName(field);
    }

    std::unique_ptr<db::Dataset> ds;
};

} // namespace

TEST_F(DBFieldControlTest, EditShowsTheCurrentRowAndFollowsEveryChange)
{
    DBEdit name, price;
    bind(name, QStringLiteral("HW_MC"));
    bind(price, QStringLiteral("HW_JG"));
    EXPECT_EQ(name.text(), "item 1");
    ds->next();
    EXPECT_EQ(name.text(), "item 2");
    EXPECT_EQ(price.text(), "20");
    ds->edit();
    ds->setValue(QStringLiteral("HW_MC"), QStringLiteral("changed by the program"));
    EXPECT_EQ(name.text(), "changed by the program");
    ds->cancel();
    EXPECT_EQ(name.text(), "item 2");
    ds->close();
    EXPECT_EQ(name.text(), "");
    EXPECT_TRUE(name.isReadOnly());
    ds->open();
    EXPECT_EQ(name.text(), "item 1");
    EXPECT_FALSE(name.isReadOnly());
}

TEST_F(DBFieldControlTest, TypingStartsTheEditAndThePostWritesTheText)
{
    DBEdit name;
    DBMemo memo;
    DBNavigator nav;
    bind(name, QStringLiteral("HW_MC"));
    bind(memo, QStringLiteral("HW_CS"));
    nav.setDataset(ds.get());
    EXPECT_EQ(memo.toPlainText(), "socket AM4\n8 cores");

    name.end(false);
    QTest::keyClicks(&name, QStringLiteral(" Pro"));
    EXPECT_EQ(ds->state(), State::Edit);
    EXPECT_EQ(name.text(), "item 1 Pro");
    memo.moveCursor(QTextCursor::End);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, QStringLiteral("16 threads"));
    // Neither control has handed its text over yet; the post collects both.
    EXPECT_EQ(ds->value(QStringLiteral("HW_MC")).toString(), "item 1");
    QTest::mouseClick(nav.button(DBNavigator::Button::Post), Qt::LeftButton);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_TRUE(errorReports().isEmpty());
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 1")).toString(), "item 1 Pro");
    EXPECT_EQ(stored(QStringLiteral("select HW_CS from HW where HW_ID = 1")).toString(),
              "socket AM4\n8 cores\n16 threads");

    // Moving to another row posts what was typed too.
    QTest::keyClicks(&name, QStringLiteral("!"));
    ds->next();
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 1")).toString(), "item 1 Pro!");
    EXPECT_EQ(name.text(), "item 2");
}

TEST_F(DBFieldControlTest, EnterHandsTheTextOverAndEscapeCancels)
{
    DBEdit price;
    bind(price, QStringLiteral("HW_JG"));
    price.end(false);
    QTest::keyClicks(&price, QStringLiteral("5"));
    QTest::keyClick(&price, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(ds->value(QStringLiteral("HW_JG")).toDouble(), 105.0);
    EXPECT_EQ(ds->state(), State::Edit); // handed over, not posted

    QTest::keyClicks(&price, QStringLiteral("0"));
    QTest::keyClick(&price, Qt::Key_Escape);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(price.text(), "10");
    EXPECT_DOUBLE_EQ(stored(QStringLiteral("select HW_JG from HW where HW_ID = 1")).toDouble(), 10.0);

    DBMemo memo;
    bind(memo, QStringLiteral("HW_CS"));
    QTest::keyClicks(&memo, QStringLiteral("x"));
    EXPECT_EQ(ds->state(), State::Edit);
    QTest::keyClick(&memo, Qt::Key_Escape);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(memo.toPlainText(), "socket AM4\n8 cores");
}

TEST_F(DBFieldControlTest, LengthLimitAndReadOnlyComeFromTheFieldAndTheProgram)
{
    DBEdit unit, name, id;
    bind(unit, QStringLiteral("HW_DW"));
    bind(name, QStringLiteral("HW_MC"));
    bind(id, QStringLiteral("HW_ID"));
    EXPECT_EQ(unit.maxLength(), 10);
    EXPECT_EQ(name.maxLength(), 255);
    EXPECT_TRUE(id.isReadOnly()); // the auto-number key
    EXPECT_EQ(id.text(), "1");
    QTest::keyClicks(&id, QStringLiteral("9"));
    EXPECT_EQ(ds->state(), State::Browse);

    name.setReadOnly(true);
    QTest::keyClicks(&name, QStringLiteral("x"));
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(name.text(), "item 1");
    ds->close();
    ds->open();
    EXPECT_TRUE(name.isReadOnly()); // the program's setting outlives a reopen
    name.setReadOnly(false);
    EXPECT_FALSE(name.isReadOnly());
}

TEST_F(DBFieldControlTest, RefusedTextIsReportedAndStaysForCorrection)
{
    DBEdit price;
    bind(price, QStringLiteral("HW_JG"));
    price.selectAll();
    QTest::keyClicks(&price, QStringLiteral("abc"));
    QTest::keyClick(&price, Qt::Key_Return);
    ASSERT_EQ(errorReports().size(), 1);
    EXPECT_EQ(errorReports()[0], "ADOQueryHW: “abc”不是数字，请输入数字，例如 1299.5。");
    EXPECT_EQ(price.text(), "abc");
    EXPECT_EQ(ds->state(), State::Edit);
    price.selectAll();
    QTest::keyClicks(&price, QStringLiteral("12.5"));
    ds->post();
    EXPECT_DOUBLE_EQ(stored(QStringLiteral("select HW_JG from HW where HW_ID = 1")).toDouble(), 12.5);
}

TEST_F(DBFieldControlTest, TypingIntoAnEmptyResultStartsANewRowKeepingTheKeystroke)
{
    ds = openQuery(QStringLiteral("select * from HW where HW_ID < 0"));
    DBEdit name;
    bind(name, QStringLiteral("HW_MC"));
    EXPECT_FALSE(name.isReadOnly());
    QTest::keyClicks(&name, QStringLiteral("New"));
    EXPECT_EQ(ds->state(), State::Insert);
    EXPECT_EQ(name.text(), "New");
    ds->post();
    EXPECT_EQ(stored(QStringLiteral("select count(*) from HW where HW_MC = 'New'")).toInt(), 1);
}

TEST_F(DBFieldControlTest, ComboBoxOffersItsListAndTakesAnyText)
{
    DBComboBox year;
    QStringList years;
    for (int y = 1990; y <= 2100; ++y)
        years << QString::number(y);
    year.addItems(years);
    bind(year, QStringLiteral("HW_NF"));
    EXPECT_EQ(year.currentText(), "");
    year.lineEdit()->selectAll();
    QTest::keyClicks(&year, QStringLiteral("1989"));
    EXPECT_EQ(ds->state(), State::Edit);
    QTest::keyClick(&year, Qt::Key_Return);
    EXPECT_EQ(ds->value(QStringLiteral("HW_NF")).toInt(), 1989);
    ds->post();
    EXPECT_EQ(stored(QStringLiteral("select HW_NF from HW where HW_ID = 1")).toInt(), 1989);
    EXPECT_EQ(year.count(), 111); // the typed year did not join the list

    // Picking from the list counts as a change too.
    ds->next();
    year.setCurrentIndex(0);
    QTest::keyClick(&year, Qt::Key_Down);
    EXPECT_EQ(ds->state(), State::Edit);
    ds->post();
    EXPECT_EQ(stored(QStringLiteral("select HW_NF from HW where HW_ID = 2")).toInt(), 1991);
}

TEST_F(DBFieldControlTest, ImageCarriesAPictureIntoTheFieldAndBack)
{
    DBImage image;
    image.hide();
    bind(image, QStringLiteral("HW_TP"));
    EXPECT_FALSE(image.hasPicture());
    EXPECT_TRUE(image.bytes().isEmpty());

    QImage red(20, 10, QImage::Format_RGB32);
    red.fill(Qt::red);
    image.setPicture(red);
    EXPECT_EQ(ds->state(), State::Edit);
    ds->post();

    auto again = openItems();
    DBImage reread;
    reread.setDataset(again.get());
    reread.setFieldName(QStringLiteral("HW_TP"));
    ASSERT_TRUE(reread.hasPicture());
    EXPECT_EQ(reread.picture().size(), QSize(20, 10));
    EXPECT_EQ(reread.picture().pixelColor(5, 5), QColor(Qt::red));
    EXPECT_FALSE(reread.bytes().isEmpty());
    again->next();
    EXPECT_FALSE(reread.hasPicture()); // the next item has none

    image.clearPicture();
    ds->post();
    EXPECT_FALSE(image.hasPicture());
    EXPECT_TRUE(stored(QStringLiteral("select HW_TP from HW where HW_ID = 1")).isNull());

    // Bytes that are not a picture are carried but show nothing.
    connection.execute(QStringLiteral("update HW set HW_TP = x'00010203' where HW_ID = 2"));
    ds->refresh();
    ds->setCurrentRow(1);
    EXPECT_EQ(image.bytes().size(), 4);
    EXPECT_FALSE(image.hasPicture());
}

TEST_F(DBFieldControlTest, RefusedTextStopsAPostStartedByTheProgram)
{
    DBEdit price;
    bind(price, QStringLiteral("HW_JG"));
    price.show();
    price.setFocus();
    price.selectAll();
    QTest::keyClicks(&price, QStringLiteral("ten yuan"));
    // The program posts while the edit still holds text the field cannot take: the post
    // fails, the row stays in edit state and the typed text is still there to correct.
    EXPECT_THROW(ds->post(), db::DbError);
    EXPECT_EQ(ds->state(), State::Edit);
    EXPECT_EQ(price.text(), QStringLiteral("ten yuan"));
    EXPECT_EQ(stored(QStringLiteral("select HW_JG from HW where HW_ID = 1")).toDouble(), 10.0);
    EXPECT_THROW(ds->next(), db::DbError);
    EXPECT_EQ(ds->currentRow(), 0);
}
