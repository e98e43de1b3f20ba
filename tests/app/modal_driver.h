#pragma once
// Answers the program's real modal dialogs (prompts, questions, messages) with keys and
// clicks, as the operator does: while a driver lives, no responder answers for them, and each
// queued step acts on the next modal dialog that opens.
#include "platform/widgets/dialogs.h"
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace modal_testing {

// Types a text key by key, as a keyboard with an input method delivers it: characters
// outside ASCII arrive as the text of a key press.
inline void typeText(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

struct SeenDialog {
    QString caption;
    QString text;       // the prompt or message
    QString value;      // a prompt's edit when it opened
    QString defaultButton;
};

class ModalDriver {
public:
    using Step = std::function<void(QWidget& dialog)>;

    ModalDriver() : previous_(platform::setDialogResponder({}))
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    ~ModalDriver()
    {
        timer_.stop();
        platform::setDialogResponder(previous_);
    }

    ModalDriver& then(Step step)
    {
        steps_.append(std::move(step));
        return *this;
    }
    // A prompt: its text replaced by `typed`, then Enter.
    ModalDriver& type(const QString& typed)
    {
        return then([typed](QWidget& dialog) {
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("value"));
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Backspace);
            typeText(edit, typed);
            QTest::keyClick(edit, Qt::Key_Return);
        });
    }
    // A key pressed in the dialog (Enter, Escape), on its edit when it has one.
    ModalDriver& press(Qt::Key key)
    {
        return then([key](QWidget& dialog) {
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("value"));
            QTest::keyClick(edit ? static_cast<QWidget*>(edit) : &dialog, key);
        });
    }
    // A click on the button with this text.
    ModalDriver& click(const QString& buttonText)
    {
        return then([buttonText](QWidget& dialog) {
            for (auto* button : dialog.findChildren<QAbstractButton*>())
                if (button->text() == buttonText) {
                    QTest::mouseClick(button, Qt::LeftButton);
                    return;
                }
            ADD_FAILURE() << "no button " << buttonText.toStdString();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
    }

    bool done() const { return steps_.isEmpty(); }
    QList<SeenDialog> seen;

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == handled_)
            return;
        handled_ = modal;
        seen.append(describe(*modal));
        if (steps_.isEmpty()) {
            ADD_FAILURE() << "unexpected dialog: " << seen.back().text.toStdString();
            QTest::keyClick(modal, Qt::Key_Escape);
            return;
        }
        Step step = steps_.takeFirst();
        step(*modal);
    }

    static SeenDialog describe(QWidget& dialog)
    {
        SeenDialog d;
        d.caption = dialog.windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            d.text = box->text();
            if (box->defaultButton())
                d.defaultButton = box->defaultButton()->text();
        } else if (auto* label = dialog.findChild<QLabel*>(QStringLiteral("prompt"))) {
            d.text = label->text();
        }
        if (auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("value")))
            d.value = edit->text();
        return d;
    }

    platform::DialogResponder previous_;
    QList<Step> steps_;
    QPointer<QWidget> handled_;
    QTimer timer_;
};

} // namespace modal_testing
