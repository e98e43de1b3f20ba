// The real modal dialogs, driven from inside their own event loop.
#include "platform/widgets/dialogs.h"
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {

// Runs `act` on the modal dialog once it is on screen. `act` must close it; should a check
// fail before that, a watchdog closes it so the test cannot hang.
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, &context_, [act] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                ADD_FAILURE() << "no modal dialog is shown";
                return;
            }
            act(modal);
        });
        QTimer::singleShot(10000, &context_, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                ADD_FAILURE() << "dialog left open";
                dialog->reject();
            }
        });
    }

private:
    QObject context_; // cancels both timers when the test ends
};

void type(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

void press(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    ASSERT_NE(buttons->button(which), nullptr);
    buttons->button(which)->click();
}

TEST(DialogOffscreen, PromptShowsTwoLinesAndAnswersTheTypedText)
{
    QString shownLabel, shownDefault, selected, title;
    ModalDriver driver([&](QWidget* dialog) {
        title = dialog->windowTitle();
        if (auto* label = dialog->findChild<QLabel*>())
            shownLabel = label->text();
        if (auto* edit = dialog->findChild<QLineEdit*>()) {
            shownDefault = edit->text();
            selected = edit->selectedText();
            type(edit, QStringLiteral("2024号"));
        }
        press(dialog, QDialogButtonBox::Ok);
    });
    const QString answer = platform::inputQuery(
        nullptr, QStringLiteral("请输入配机的单据号"),
        QStringLiteral("请输入配机的单据号\r同一张配机单应使用相同的编号,默认为当前日期,请自行修改:"),
        QStringLiteral("20240501"));
    EXPECT_EQ(title, QStringLiteral("请输入配机的单据号"));
    EXPECT_EQ(shownLabel.split(QLatin1Char('\n')),
              (QStringList{QStringLiteral("请输入配机的单据号"),
                           QStringLiteral("同一张配机单应使用相同的编号,默认为当前日期,请自行修改:")}));
    EXPECT_EQ(shownDefault, QStringLiteral("20240501"));
    EXPECT_EQ(selected, QStringLiteral("20240501")); // typing replaces the default
    EXPECT_EQ(answer, QStringLiteral("2024号"));
}

TEST(DialogOffscreen, PromptCancelAnswersTheDefault)
{
    QString shownLabel;
    ModalDriver driver([&](QWidget* dialog) {
        if (auto* label = dialog->findChild<QLabel*>())
            shownLabel = label->text();
        if (auto* edit = dialog->findChild<QLineEdit*>())
            type(edit, QStringLiteral("别的"));
        press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_EQ(platform::inputQuery(nullptr, QStringLiteral("添加"),
                                   QStringLiteral("第一行\r\n<b>第二行</b>"), QStringLiteral("默认分类")),
              QStringLiteral("默认分类"));
    EXPECT_EQ(shownLabel, QStringLiteral("第一行\n<b>第二行</b>"));
}

TEST(DialogOffscreen, ConfirmOffersOkAndCancel)
{
    for (bool pressOk : {true, false}) {
        QString text;
        ModalDriver driver([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            text = box->text();
            ASSERT_NE(box->button(QMessageBox::Ok), nullptr);
            ASSERT_NE(box->button(QMessageBox::Cancel), nullptr);
            box->button(pressOk ? QMessageBox::Ok : QMessageBox::Cancel)->click();
        });
        EXPECT_EQ(platform::confirmOkCancel(nullptr, QStringLiteral("确定删除这一行吗?")), pressOk);
        EXPECT_EQ(text, QStringLiteral("确定删除这一行吗?"));
    }
}

TEST(DialogOffscreen, ErrorReportShowsThePlainText)
{
    QString caption, text;
    Qt::TextFormat format = Qt::AutoText;
    ModalDriver driver([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        caption = box->windowTitle();
        text = box->text();
        format = box->textFormat();
        box->button(QMessageBox::Ok)->click();
    });
    platform::showErrorReport(nullptr, QStringLiteral("ADOQueryDIY: <closed> dataset"));
    EXPECT_EQ(caption, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(text, QStringLiteral("ADOQueryDIY: <closed> dataset"));
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
