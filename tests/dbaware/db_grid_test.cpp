#include "dbaware/db_grid.h"
#include "dbaware_fixture.h"
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using dbaware::DBGrid;
using dbaware::GridColumn;
using State = db::Dataset::State;

namespace {

class DBGridTest : public DbawareTest {
protected:
    void SetUp() override
    {
        DbawareTest::SetUp();
        addItems(5);
        ds = openItems();
        grid.setDataset(ds.get());
        grid.resize(900, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    int col(const QString& field) const
    {
        const auto columns = grid.columns();
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].fieldName == field)
                return i;
        ADD_FAILURE() << "no column " << field.toStdString();
        return 0;
    }
    QModelIndex at(int row, const QString& field) const { return grid.model()->index(row, col(field)); }
    QString cell(int row, const QString& field) const { return at(row, field).data().toString(); }
    void clickCell(int row, const QString& field, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(grid.viewport(), button, {}, grid.visualRect(at(row, field)).center());
    }
    void key(int k, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&grid, Qt::Key(k), modifiers); }

    // The in-place editor that is open, if any.
    QWidget* editor() const
    {
        for (auto* w : grid.viewport()->findChildren<QWidget*>())
            if (w->isVisible() && (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w))
                && !qobject_cast<QComboBox*>(w->parentWidget()))
                return w;
        return nullptr;
    }
    // Types into the current cell as an operator does: the first key opens the editor.
    void typeInCell(const QString& text)
    {
        QTest::keyClicks(&grid, text.left(1));
        QWidget* e = editor();
        ASSERT_NE(e, nullptr) << "no cell editor opened";
        QTest::keyClicks(e, text.mid(1));
    }
    void selectCell(int row, const QString& field)
    {
        clickCell(row, field);
        ASSERT_EQ(grid.currentIndex(), at(row, field));
    }
    int rowsInTable() { return stored(QStringLiteral("select count(*) from HW")).toInt(); }

    std::unique_ptr<db::Dataset> ds;
    DBGrid grid;
};

QList<GridColumn> catalogueColumns()
{
    GridColumn name{QStringLiteral("HW_MC"), QStringLiteral("名   称"), 226, {}, Qt::AlignHCenter, true, {}};
    GridColumn id{QStringLiteral("HW_ID"), QStringLiteral("编 号"), 36, Qt::AlignHCenter, Qt::AlignLeft, false, {}};
    GridColumn price{QStringLiteral("HW_JG"), QStringLiteral("价  格"), 60, {}, Qt::AlignHCenter, true, {}};
    GridColumn year{QStringLiteral("HW_NF"), QStringLiteral("出  厂"), 47, Qt::AlignHCenter, Qt::AlignHCenter, true, {}};
    GridColumn missing{QStringLiteral("NO_SUCH"), QStringLiteral("?"), 0, {}, Qt::AlignLeft, true, {}};
    return {name, id, price, year, missing};
}

} // namespace

TEST_F(DBGridTest, WithoutColumnsShowsEveryFieldAndRereadsThemWhenReopened)
{
    QStringList titles;
    for (int i = 0; i < grid.model()->columnCount(); ++i)
        titles << grid.model()->headerData(i, Qt::Horizontal).toString();
    EXPECT_EQ(titles.join(','), "HW_ID,L4_ID,HW_MC,HW_DW,HW_NF,HW_RQ,HW_CS,HW_JG,HW_TP,HW_URL,HW_TP_URL");
    EXPECT_EQ(grid.model()->rowCount(), 5);
    EXPECT_EQ(cell(4, "HW_MC"), "item 5");
    EXPECT_EQ(cell(1, "HW_JG"), "20");

    ds->close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    EXPECT_EQ(grid.model()->columnCount(), 0);
    connection.execute(QStringLiteral("insert into L1 (L1_NM) values ('主机')"));
    ds->clearSql();
    ds->addSql(QStringLiteral("select * from L1"));
    ds->open();
    ASSERT_EQ(grid.model()->columnCount(), 2);
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), "L1_NM");
    EXPECT_EQ(cell(0, "L1_NM"), "主机");
}

TEST_F(DBGridTest, ProgramColumnsKeepOrderTitlesWidthsAlignmentAndHiddenState)
{
    grid.setColumns(catalogueColumns());
    QFont song(QStringLiteral("宋体"));
    song.setPixelSize(12);
    grid.setTitleFont(song);

    auto check = [&] {
        ASSERT_EQ(grid.model()->columnCount(), 5);
        EXPECT_EQ(grid.model()->headerData(0, Qt::Horizontal).toString(), "名   称");
        EXPECT_EQ(grid.columnWidth(0), 226);
        EXPECT_TRUE(grid.isColumnHidden(1));
        EXPECT_FALSE(grid.isColumnHidden(2));
        EXPECT_EQ(cell(2, "HW_MC"), "item 3");
        EXPECT_EQ(cell(2, "NO_SUCH"), "");
        auto align = [&](int column) {
            return Qt::Alignment(grid.model()->index(0, column).data(Qt::TextAlignmentRole).toInt())
                & Qt::AlignHorizontal_Mask;
        };
        EXPECT_EQ(align(0), Qt::AlignLeft);    // text: left by default
        EXPECT_EQ(align(2), Qt::AlignRight);   // float: right by default
        EXPECT_EQ(align(3), Qt::AlignHCenter); // the column's own setting wins
        const auto titleAlign = Qt::Alignment(
            grid.model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt());
        EXPECT_TRUE(titleAlign & Qt::AlignHCenter);
    };
    check();
    // Reopening keeps the program's list (unlike the automatic one).
    ds->close();
    EXPECT_EQ(grid.model()->columnCount(), 5);
    ds->open();
    check();
    EXPECT_EQ(grid.titleFont().pixelSize(), 12);
    EXPECT_EQ(grid.titleFont().family(), "宋体");
}

TEST_F(DBGridTest, CurrentRowFollowsTheDatasetAndClicksMoveIt)
{
    QSignalSpy clicks(&grid, &DBGrid::cellClick);
    ds->setCurrentRow(3);
    EXPECT_EQ(grid.currentIndex().row(), 3);
    ds->last();
    EXPECT_EQ(grid.currentIndex().row(), 4);
    ds->first();
    EXPECT_EQ(grid.currentIndex().row(), 0);

    clickCell(2, "HW_MC");
    EXPECT_EQ(ds->currentRow(), 2);
    ASSERT_EQ(clicks.count(), 1);
    EXPECT_EQ(clicks.takeFirst().at(0).toInt(), col("HW_MC"));

    // The title row and the indicator column are not data cells.
    QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(grid.horizontalHeader()->sectionViewportPosition(col("HW_MC")) + 5, 5));
    EXPECT_EQ(ds->currentRow(), 2);
    QHeaderView* indicator = grid.verticalHeader();
    QTest::mouseClick(indicator->viewport(), Qt::LeftButton, {},
                      QPoint(indicator->width() / 2, indicator->sectionViewportPosition(4) + 3));
    EXPECT_EQ(ds->currentRow(), 4); // the indicator still selects its row
    EXPECT_EQ(clicks.count(), 0);

    // A right click opens the menu over the current row; it does not move it.
    clickCell(1, "HW_MC", Qt::RightButton);
    EXPECT_EQ(ds->currentRow(), 4);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(DBGridTest, KeyDownComesBeforeTheGridMovesAndKeyUpAfter)
{
    QList<std::pair<int, int>> downs, ups; // (key, dataset row when reported)
    QObject::connect(&grid, &DBGrid::keyDown, [&](int k, Qt::KeyboardModifiers) { downs.append({k, ds->currentRow()}); });
    QObject::connect(&grid, &DBGrid::keyUp, [&](int k, Qt::KeyboardModifiers) { ups.append({k, ds->currentRow()}); });

    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Up);
    ASSERT_EQ(downs.size(), 3);
    ASSERT_EQ(ups.size(), 3);
    EXPECT_EQ(downs[0], std::make_pair(int(Qt::Key_Down), 0));
    EXPECT_EQ(ups[0], std::make_pair(int(Qt::Key_Down), 1));
    EXPECT_EQ(downs[2], std::make_pair(int(Qt::Key_Up), 2));
    EXPECT_EQ(ups[2], std::make_pair(int(Qt::Key_Up), 1));

    key(Qt::Key_End);
    EXPECT_EQ(ds->currentRow(), 4);
    key(Qt::Key_Home);
    EXPECT_EQ(ds->currentRow(), 0);
    key(Qt::Key_PageDown);
    EXPECT_GT(ds->currentRow(), 0);
    key(Qt::Key_PageUp);
    EXPECT_EQ(ds->currentRow(), 0);
    EXPECT_EQ(ds->state(), State::Browse);
}

TEST_F(DBGridTest, DownOnTheLastRowAppendsAndAnUntouchedNewRowGoesAwayAgain)
{
    ds->last();
    key(Qt::Key_Down);
    EXPECT_EQ(ds->state(), State::Insert);
    EXPECT_EQ(ds->recordCount(), 6);
    EXPECT_EQ(grid.currentIndex().row(), 5);
    key(Qt::Key_Down); // nothing typed yet: no second new row
    EXPECT_EQ(ds->recordCount(), 6);
    key(Qt::Key_Up);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(ds->currentRow(), 4);
    EXPECT_EQ(rowsInTable(), 5);

    // A default the owner's after-insert handler fills in is no typing: the row still goes.
    ds->afterInsert = [](db::Dataset& d) { d.setValue(QStringLiteral("L4_ID"), 7); };
    key(Qt::Key_Down);
    EXPECT_EQ(grid.model()->rowCount(), 6);
    EXPECT_EQ(ds->value(QStringLiteral("L4_ID")).toInt(), 7);
    key(Qt::Key_Up);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(rowsInTable(), 5);
    EXPECT_EQ(grid.model()->rowCount(), 5);

    ds->last();
    grid.setReadOnly(true);
    key(Qt::Key_Down);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 5);
}

TEST_F(DBGridTest, InsertKeyStartsANewRowBeforeTheCurrentOneAndEscapeDropsIt)
{
    ds->setCurrentRow(2);
    key(Qt::Key_Insert);
    EXPECT_EQ(ds->state(), State::Insert);
    EXPECT_EQ(ds->currentRow(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(cell(2, "HW_MC"), "");
    EXPECT_EQ(cell(3, "HW_MC"), "item 3");
    key(Qt::Key_Escape);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(cell(2, "HW_MC"), "item 3");

    // Down from an untouched new row drops it and lands on the row that was below it.
    key(Qt::Key_Insert);
    key(Qt::Key_Down);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(ds->displayText(QStringLiteral("HW_MC")), "item 3");
    EXPECT_EQ(grid.currentIndex().row(), ds->currentRow());
}

TEST_F(DBGridTest, EditedCellIsWrittenToTheTableWhenTheRowIsLeftOrEnterPressed)
{
    selectCell(1, "HW_MC");
    typeInCell(QStringLiteral("Renamed"));
    EXPECT_EQ(ds->state(), State::Edit); // the first keystroke started the edit
    key(Qt::Key_Down);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(ds->currentRow(), 2);
    EXPECT_EQ(cell(1, "HW_MC"), "Renamed");
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 2")).toString(), "Renamed");

    selectCell(2, "HW_JG");
    typeInCell(QStringLiteral("99.5"));
    QTest::keyClick(editor(), Qt::Key_Return);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_DOUBLE_EQ(stored(QStringLiteral("select HW_JG from HW where HW_ID = 3")).toDouble(), 99.5);

    // Moving off a row by clicking another posts too.
    selectCell(3, "HW_MC");
    typeInCell(QStringLiteral("Clicked"));
    clickCell(0, "HW_MC");
    EXPECT_EQ(ds->currentRow(), 0);
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 4")).toString(), "Clicked");
    EXPECT_TRUE(errorReports().isEmpty()) << errorReports().join('\n').toStdString();
}

TEST_F(DBGridTest, EscapeInTheCellEditorCancelsTheRowEdit)
{
    selectCell(0, "HW_MC");
    typeInCell(QStringLiteral("zzz"));
    ASSERT_EQ(ds->state(), State::Edit);
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(cell(0, "HW_MC"), "item 1");
    EXPECT_EQ(stored(QStringLiteral("select HW_MC from HW where HW_ID = 1")).toString(), "item 1");
}

TEST_F(DBGridTest, RefusedTextIsReportedAndTheRowStaysInEdit)
{
    selectCell(0, "HW_NF");
    typeInCell(QStringLiteral("abc"));
    QTest::keyClick(editor(), Qt::Key_Return);
    ASSERT_EQ(errorReports().size(), 1);
    EXPECT_EQ(errorReports()[0], "ADOQueryHW: “abc”不是整数，请输入整数，例如 12。");
    EXPECT_EQ(ds->state(), State::Edit);
    ASSERT_NE(editor(), nullptr); // the operator can correct it
    // Moving away is refused the same way, so the row is not left half-written.
    key(Qt::Key_Down);
    EXPECT_EQ(ds->currentRow(), 0);
    EXPECT_EQ(errorReports().size(), 2);
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(ds->state(), State::Browse);

    // A post the table refuses is reported as well, and the row keeps its edit.
    ds->edit();
    ds->setValue(QStringLiteral("HW_DW"), QStringLiteral("12345678901"));
    key(Qt::Key_Return);
    ASSERT_EQ(errorReports().size(), 3);
    EXPECT_TRUE(errorReports()[2].contains("HW_DW"));
    EXPECT_EQ(ds->state(), State::Edit);
}

TEST_F(DBGridTest, LongTextAndBinaryCellsShowTheirTypeWordAndAreNotEditedInPlace)
{
    connection.execute(QStringLiteral("update HW set HW_CS = '4 cores', HW_TP = x'FFD8FF' where HW_ID = 1"));
    ds->refresh();
    EXPECT_EQ(cell(0, "HW_CS"), "(MEMO)");
    EXPECT_EQ(cell(1, "HW_CS"), "(Memo)");
    EXPECT_EQ(cell(0, "HW_TP"), "(BLOB)");
    EXPECT_EQ(cell(1, "HW_TP"), "(Blob)");

    auto editable = [&](const char* field) { return bool(at(0, field).flags() & Qt::ItemIsEditable); };
    EXPECT_FALSE(editable("HW_CS"));
    EXPECT_FALSE(editable("HW_TP"));
    EXPECT_FALSE(editable("HW_ID")); // the auto-number key
    EXPECT_TRUE(editable("HW_MC"));

    selectCell(0, "HW_CS");
    QTest::keyClicks(&grid, QStringLiteral("x"));
    EXPECT_EQ(editor(), nullptr);
    EXPECT_EQ(ds->state(), State::Browse);

    grid.setReadOnly(true);
    EXPECT_FALSE(editable("HW_MC"));
}

TEST_F(DBGridTest, PickListColumnIsEditedWithAComboBoxThatTakesAnyText)
{
    QStringList years;
    for (int y = 1990; y <= 2100; ++y)
        years << QString::number(y);
    grid.setColumns({GridColumn{QStringLiteral("HW_MC"), QStringLiteral("名   称"), 226, {}, {}, true, {}},
                     GridColumn{QStringLiteral("HW_NF"), QStringLiteral("出  厂"), 47, Qt::AlignHCenter,
                                Qt::AlignHCenter, true, years}});
    selectCell(1, "HW_NF");
    key(Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(editor());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 111);
    EXPECT_EQ(combo->itemText(0), "1990");
    EXPECT_EQ(combo->itemText(110), "2100");

    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo, QStringLiteral("1989")); // not in the list
    EXPECT_EQ(ds->state(), State::Edit);
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(ds->state(), State::Browse);
    EXPECT_EQ(stored(QStringLiteral("select HW_NF from HW where HW_ID = 2")).toInt(), 1989);

    // Name cells of the same grid still get a line edit.
    selectCell(1, "HW_MC");
    key(Qt::Key_F2);
    EXPECT_NE(qobject_cast<QLineEdit*>(editor()), nullptr);
}

TEST_F(DBGridTest, CtrlDeleteAsksFirstAndDeletesOnlyOnOk)
{
    ds->setCurrentRow(1);
    confirmAnswer = false;
    key(Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(requestsOf(platform::DialogKind::Confirm).size(), 1);
    EXPECT_EQ(requestsOf(platform::DialogKind::Confirm)[0].text, "删除这条记录?");
    EXPECT_EQ(ds->recordCount(), 5);
    EXPECT_EQ(rowsInTable(), 5);

    confirmAnswer = true;
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ds->recordCount(), 4);
    EXPECT_EQ(rowsInTable(), 4);
    EXPECT_EQ(stored(QStringLiteral("select count(*) from HW where HW_ID = 2")).toInt(), 0);
    EXPECT_EQ(cell(1, "HW_MC"), "item 3");

    key(Qt::Key_Delete); // Delete alone is not a row command
    grid.setReadOnly(true);
    key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(requestsOf(platform::DialogKind::Confirm).size(), 2);
    EXPECT_EQ(ds->recordCount(), 4);
}

TEST_F(DBGridTest, DoubleClickIsReportedOnceAndAClosedGridIgnoresClicksAndKeys)
{
    QSignalSpy clicks(&grid, &DBGrid::cellClick);
    QSignalSpy doubles(&grid, &DBGrid::dblClick);
    // What the window system delivers: press, release, double click, release.
    const QPoint target = grid.visualRect(at(3, "HW_MC")).center();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, target);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, target);
    QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, target);
    EXPECT_EQ(ds->currentRow(), 3);
    EXPECT_EQ(doubles.count(), 1);
    EXPECT_EQ(clicks.count(), 1); // from the first click of the two
    clickCell(2, "HW_MC");
    EXPECT_EQ(clicks.count(), 2);

    const QPoint wasCell = grid.visualRect(at(0, "HW_MC")).center();
    ds->close();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, wasCell);
    key(Qt::Key_Down);
    key(Qt::Key_Insert);
    EXPECT_EQ(clicks.count(), 2);
    EXPECT_FALSE(ds->active());
    EXPECT_TRUE(dialogs.isEmpty());
}

TEST_F(DBGridTest, ARowChangedElsewhereIsRedrawnAndRefreshKeepsThePlace)
{
    ds->setCurrentRow(2);
    ds->edit();
    ds->setValue(QStringLiteral("HW_MC"), QStringLiteral("from an edit"));
    EXPECT_EQ(cell(2, "HW_MC"), "from an edit");
    ds->cancel();
    EXPECT_EQ(cell(2, "HW_MC"), "item 3");
    // Rows added by another statement appear on refresh.
    addItems(2);
    ds->refresh();
    EXPECT_EQ(grid.model()->rowCount(), 7);
    EXPECT_EQ(grid.currentIndex().row(), 2);
}

TEST_F(DBGridTest, TheIndicatorMarksOnlyTheCurrentRow)
{
    QHeaderView* indicator = grid.verticalHeader();
    auto inkIn = [&](int row) {
        const QImage image = indicator->viewport()->grab().toImage();
        const int top = indicator->sectionViewportPosition(row);
        int dark = 0;
        // Inside the section, away from its borders.
        for (int y = top + 2; y < top + indicator->sectionSize(row) - 2; ++y)
            for (int x = 1; x < image.width() - 2; ++x)
                dark += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
        return dark;
    };
    ds->setCurrentRow(3);
    EXPECT_GT(inkIn(3), 0);
    EXPECT_EQ(inkIn(1), 0);
    ds->setCurrentRow(1);
    EXPECT_GT(inkIn(1), 0);
    EXPECT_EQ(inkIn(3), 0);
    ds->close();
    EXPECT_EQ(indicator->count(), 0);
}

class DBGridLargeTest : public DbawareTest {};

TEST_F(DBGridLargeTest, AHundredThousandRowsOpenAndReachTheEnd)
{
    addItems(100000);
    auto ds = openItems();
    DBGrid grid;
    grid.setDataset(ds.get());
    grid.resize(600, 300);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    EXPECT_EQ(grid.model()->rowCount(), 100000);
    QTest::keyClick(&grid, Qt::Key_End);
    EXPECT_EQ(ds->currentRow(), 99999);
    EXPECT_EQ(grid.currentIndex().row(), 99999);
    EXPECT_EQ(grid.model()->index(99999, 2).data().toString(), "item 100000");
    QTest::keyClick(&grid, Qt::Key_PageUp);
    EXPECT_LT(ds->currentRow(), 99999);
    QTest::keyClick(&grid, Qt::Key_Home);
    EXPECT_EQ(grid.currentIndex().row(), 0);
}
