// The popup menu's editing commands on the record panel's data edits, typed as shortcuts, and
// the command that opens an item's web address.
#include "catalogue_fixture.h"
#include "dbaware/db_combo_box.h"
#include "dbaware/db_edit.h"
#include "dbaware/db_memo.h"
#include "dbaware/db_navigator.h"
#include "platform/widgets/clipboard.h"
#include <QAbstractButton>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QUrl>

using namespace catalogue_testing;
using platform::DialogKind;
using State = db::Dataset::State;

namespace {

// Takes the desktop's place for every scheme the web command may hand out.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const QString& scheme : schemes())
            QDesktopServices::setUrlHandler(scheme, this, "open");
    }
    ~UrlCatcher() override
    {
        for (const QString& scheme : schemes())
            QDesktopServices::unsetUrlHandler(scheme);
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened.append(url); }

private:
    static QStringList schemes() { return {"http", "https", "ftp", "mailto", "file"}; }
};

class EditCommandsTest : public CatalogueTest {
protected:
    void SetUp() override
    {
        CatalogueTest::SetUp();
        openDdr5();
        clickRow(0);
    }
    void focus(QWidget* control)
    {
        control->setFocus();
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), control);
    }
    void setUrl(int id, const QString& url)
    {
        cat.run(QStringLiteral("update HW set HW_URL = %1 where HW_ID = %2").arg(db::statements::textLiteral(url)).arg(id));
        w->ADOQueryHW->refresh();
    }
};

} // namespace

TEST_F(EditCommandsTest, CutAndPasteInADataEditWorkLikeTypingAndAreSaved)
{
    focus(w->record.DBEdit3);
    w->record.DBEdit3->setSelection(3, 5); // " 32GB"
    QTest::keyClick(w->record.DBEdit3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w->record.DBEdit3->text(), "金士顿");
    EXPECT_EQ(platform::clipboardText(), " 32GB");
    EXPECT_EQ(w->ADOQueryHW->state(), State::Edit);

    w->record.DBEdit3->setCursorPosition(0);
    platform::putClipboardText(QStringLiteral("新款 "));
    QTest::keyClick(w->record.DBEdit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->record.DBEdit3->text(), "新款 金士顿");

    w->record.DBEdit3->selectAll();
    QTest::keyClick(w->record.DBEdit3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::clipboardText(), "新款 金士顿");

    w->record.DBNavigator1->button(dbaware::DBNavigator::Button::Post)->click();
    EXPECT_EQ(stored(kingston, "HW_MC"), "新款 金士顿");
}

TEST_F(EditCommandsTest, CopyInAMemoLeavesTheRecordInBrowseState)
{
    focus(w->record.DBMemo1);
    w->record.DBMemo1->selectAll();
    QTest::keyClick(w->record.DBMemo1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::clipboardText(), "6000MHz CL30");
    EXPECT_EQ(w->ADOQueryHW->state(), State::Browse);
}

TEST_F(EditCommandsTest, CommandsLeaveGridsAloneAndComboBoxesEditTheirOwnText)
{
    platform::putClipboardText(QStringLiteral("之前"));
    focus(w->catalogue.DBGrid1);
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_Delete);
    QTest::keyClick(w->catalogue.DBGrid1, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(platform::clipboardText(), "之前");
    EXPECT_EQ(w->ADOQueryHW->recordCount(), 3);
    EXPECT_EQ(w->ADOQueryHW->state(), State::Browse);

    // A combo box pastes into its own text, as typing would.
    w->record.DBComboBox1->setFocus();
    QApplication::processEvents();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(w->record.DBComboBox1->currentText().endsWith("之前"));
    EXPECT_EQ(w->ADOQueryHW->state(), State::Edit);
}

TEST_F(EditCommandsTest, DeleteRemovesOneCharacterAndTheClearItemEmptiesTheField)
{
    // Delete at the caret, in browse state: one character goes and the record is edited.
    focus(w->record.DBMemo1);
    QTest::keyClick(w->record.DBMemo1, Qt::Key_Home);
    QTest::keyClick(w->record.DBMemo1, Qt::Key_Delete);
    EXPECT_EQ(w->record.DBMemo1->toPlainText(), "000MHz CL30");
    EXPECT_EQ(w->ADOQueryHW->state(), State::Edit);
    w->record.DBEdit3->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), w->record.DBEdit3); // no error holds the focus back
    w->record.DBNavigator1->button(dbaware::DBNavigator::Button::Post)->click();
    EXPECT_EQ(stored(kingston, "HW_CS"), "000MHz CL30");

    // The name edit deletes like any editor, too.
    focus(w->record.DBEdit3);
    QTest::keyClick(w->record.DBEdit3, Qt::Key_End);
    QTest::keyClick(w->record.DBEdit3, Qt::Key_Backspace);
    QTest::keyClick(w->record.DBEdit3, Qt::Key_Left);
    QTest::keyClick(w->record.DBEdit3, Qt::Key_Delete);
    EXPECT_EQ(w->record.DBEdit3->text(), "金士顿 32");

    // "★ 清除" empties the whole field from browse state and is saved without an error.
    w->record.DBNavigator1->button(dbaware::DBNavigator::Button::Cancel)->click();
    focus(w->record.DBMemo1);
    w->menu.N26->trigger();
    EXPECT_EQ(w->record.DBMemo1->toPlainText(), "");
    EXPECT_EQ(w->ADOQueryHW->state(), State::Edit);
    w->record.DBEdit3->setFocus();
    QApplication::processEvents();
    w->record.DBNavigator1->button(dbaware::DBNavigator::Button::Post)->click();
    EXPECT_TRUE(stored(kingston, "HW_CS").isEmpty());
    EXPECT_TRUE(dialogs.of(DialogKind::ErrorReport).isEmpty());
}

TEST_F(EditCommandsTest, ClipboardKeysAndDeleteWorkInCellEditorsAndTheManagementLists)
{
    // A cell editor of the item grid: the name cell of the first row.
    auto* grid = w->catalogue.DBGrid1;
    focus(grid);
    const QModelIndex nameCell = grid->model()->index(0, 1);
    grid->setCurrentIndex(nameCell);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_TRUE(editor) << "no cell editor";
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform::clipboardText(), "金士顿 32GB");
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClick(editor, Qt::Key_Left);
    QTest::keyClick(editor, Qt::Key_Delete);
    EXPECT_EQ(editor->text(), "金士顿 32B");
    platform::putClipboardText(QStringLiteral("G"));
    QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(editor->text(), "金士顿 32GB");
    QTest::keyClick(editor, Qt::Key_Escape);

    // The management panel's editable lists.
    w->N19Click();
    auto* numbers = w->management.cmb_diy_id;
    focus(numbers);
    platform::putClipboardText(QStringLiteral("2024-07"));
    QTest::keyClick(numbers, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(numbers->currentText(), "2024-07");
    QTest::keyClick(numbers, Qt::Key_Home);
    QTest::keyClick(numbers, Qt::Key_Delete);
    EXPECT_EQ(numbers->currentText(), "024-07");
    numbers->lineEdit()->selectAll();
    QTest::keyClick(numbers, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(numbers->currentText(), "");
    EXPECT_EQ(platform::clipboardText(), "024-07");
}

TEST_F(EditCommandsTest, WebCommandOpensAddressesAndDocumentsButNeverPrograms)
{
    UrlCatcher catcher;
    setUrl(kingston, QStringLiteral("https://www.kingston.com/cn"));
    w->menu.N16->trigger();
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("https://www.kingston.com/cn")));

    // An empty address does nothing at all.
    setUrl(kingston, QString());
    w->menu.N16->trigger();
    EXPECT_EQ(catcher.opened.size(), 1);
    EXPECT_TRUE(dialogs.of(DialogKind::Message).isEmpty());

    // A leaflet beside the catalogue opens; a script there, or a system program, does not.
    QFile leaflet(cat.folder.file(QStringLiteral("说明书.pdf")));
    ASSERT_TRUE(leaflet.open(QIODevice::WriteOnly));
    leaflet.close();
    QFile script(cat.folder.file(QStringLiteral("update.sh")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    setUrl(kingston, QStringLiteral("说明书.pdf"));
    w->menu.N16->trigger();
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[1], QUrl::fromLocalFile(leaflet.fileName()));

    for (const QString& unsafe : {QStringLiteral("update.sh"), QStringLiteral("/bin/sh"), QStringLiteral("file:///bin/ls"),
                                  QStringLiteral("javascript:alert(1)")}) {
        setUrl(kingston, unsafe);
        w->menu.N16->trigger();
    }
    EXPECT_EQ(catcher.opened.size(), 2);
    const auto messages = dialogs.of(DialogKind::Message);
    ASSERT_EQ(messages.size(), 4);
    EXPECT_EQ(messages[0].text, "无法打开这个网址：update.sh");
}

#include "edit_commands_test.moc"
