#include "dbaware/db_edit.h"
#include "dbaware/db_grid.h"
#include "dbaware/db_image.h"
#include "dbaware/db_navigator.h"
#include "dbaware_fixture.h"
#include <QImage>
#include <QTest>

using namespace dbaware;

namespace {

class DatasetBindingTest : public DbawareTest {
protected:
    void SetUp() override
    {
        DbawareTest::SetUp();
        addItems(3);
        first = openItems();
        second = openQuery(QStringLiteral("select * from HW where HW_ID = 3"), QStringLiteral("ADOQueryOther"));
        for (db::Dataset* ds : {first.get(), second.get()}) {
            edit.setDataset(ds);
            image.setDataset(ds);
            nav.setDataset(ds);
            grid.setDataset(ds);
        }
        edit.setFieldName(QStringLiteral("HW_MC"));
        image.setFieldName(QStringLiteral("HW_TP"));
    }

    int gridRows() const { return grid.model()->rowCount(); }

    std::unique_ptr<db::Dataset> first, second;
    DBEdit edit;
    DBImage image;
    DBNavigator nav;
    DBGrid grid;
};

} // namespace

TEST_F(DatasetBindingTest, ControlsMovedToAnotherDatasetIgnoreTheFirstAndForgetADestroyedOne)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    second->edit();
    image.setPicture(picture);
    second->post();
    ASSERT_TRUE(image.hasPicture());
    EXPECT_EQ(edit.text(), "item 3");
    EXPECT_EQ(gridRows(), 1);
    EXPECT_FALSE(nav.isButtonEnabled(DBNavigator::Button::Next));

    // The dataset they were bound to before moves, posts and closes: nothing follows it, and
    // its post does not collect what was typed for the second one.
    edit.end(false);
    QTest::keyClicks(&edit, QStringLiteral(" typed"));
    first->next();
    first->edit();
    first->setValue(QStringLiteral("HW_MC"), QStringLiteral("changed in the first"));
    first->setValue(QStringLiteral("HW_TP"), QVariant());
    first->post();
    first->close();
    EXPECT_FALSE(second->modified());
    EXPECT_EQ(edit.text(), "item 3 typed");
    second->cancel();
    EXPECT_EQ(edit.text(), "item 3");
    EXPECT_TRUE(image.hasPicture());
    EXPECT_EQ(gridRows(), 1);
    EXPECT_TRUE(nav.isButtonEnabled(DBNavigator::Button::Edit));

    second.reset();
    EXPECT_EQ(edit.dataset(), nullptr);
    EXPECT_EQ(image.dataset(), nullptr);
    EXPECT_EQ(nav.dataset(), nullptr);
    EXPECT_EQ(grid.dataset(), nullptr);
    EXPECT_EQ(edit.text(), "");
    EXPECT_TRUE(edit.isReadOnly());
    EXPECT_FALSE(image.hasPicture());
    EXPECT_EQ(gridRows(), 0);
    EXPECT_FALSE(nav.isButtonEnabled(DBNavigator::Button::Edit));
    EXPECT_FALSE(nav.isButtonEnabled(DBNavigator::Button::Refresh));
}
