#include "platform/widgets/dialogs.h"
#include "platform/error.h"
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <optional>
#include <utility>

namespace platform {

namespace {

DialogResponder& installedResponder()
{
    static DialogResponder responder;
    return responder;
}

// Message boxes carry the application's name, as the program's standard boxes do.
QString applicationCaption()
{
    return QGuiApplication::applicationDisplayName();
}

// A carriage return (alone or before a line feed) starts the prompt's second line.
QString promptLines(const QString& prompt)
{
    QString lines = prompt;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

// The prompt dialog; a masked one (passwords) shows dots.
// Answers nullopt for Cancel.
std::optional<QString> runPromptDialog(QWidget* parent, const QString& caption, const QString& prompt,
                                       const QString& defaultValue, bool masked = false, int maxLength = 0)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(promptLines(prompt), &dialog);
    label->setObjectName(QStringLiteral("prompt"));
    label->setTextFormat(Qt::PlainText); // a '<' in a prompt is text, not markup
    auto* edit = new QLineEdit(defaultValue, &dialog);
    edit->setObjectName(QStringLiteral("value"));
    edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 40);
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->selectAll();
    label->setBuddy(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    if (masked)
        edit->setEchoMode(QLineEdit::Password);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return edit->text();
}

int runMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                  QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(icon, applicationCaption(), text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(byDefault);
    // The operator reads Chinese on every button, whatever translations the system has.
    static const std::pair<QMessageBox::StandardButton, const char16_t*> kNames[] = {
        {QMessageBox::Yes, u"是"}, {QMessageBox::No, u"否"}, {QMessageBox::Ok, u"确定"}, {QMessageBox::Cancel, u"取消"}};
    for (const auto& [which, name] : kNames)
        if (QAbstractButton* button = box.button(which))
            button->setText(QString::fromUtf16(name));
    return box.exec();
}

std::optional<DialogAnswer> answerByResponder(DialogKind kind, const QString& caption,
                                              const QString& text, const QString& defaultValue = {},
                                              const QString& filter = {}, const QString& details = {})
{
    const DialogResponder& responder = installedResponder();
    if (!responder)
        return std::nullopt;
    return responder(DialogRequest{kind, caption, text, defaultValue, filter, details});
}

QString answeredFile(const DialogAnswer& answer)
{
    return answer.accepted ? answer.value : QString();
}

} // namespace

DialogResponder setDialogResponder(DialogResponder responder)
{
    return std::exchange(installedResponder(), std::move(responder));
}

QString inputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                   const QString& defaultValue, int maxLength)
{
    const auto limited = [maxLength](const QString& text) { return maxLength > 0 ? text.left(maxLength) : text; };
    if (auto answer = answerByResponder(DialogKind::Prompt, caption, prompt, defaultValue))
        return limited(answer->accepted ? answer->value : defaultValue);
    return limited(runPromptDialog(parent, caption, prompt, defaultValue, false, maxLength).value_or(defaultValue));
}

std::optional<QString> promptQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                   const QString& defaultValue)
{
    if (auto answer = answerByResponder(DialogKind::Prompt, caption, prompt, defaultValue))
        return answer->accepted ? std::optional<QString>(answer->value) : std::nullopt;
    return runPromptDialog(parent, caption, prompt, defaultValue);
}

std::optional<QString> passwordQuery(QWidget* parent, const QString& caption, const QString& prompt)
{
    if (auto answer = answerByResponder(DialogKind::Password, caption, prompt))
        return answer->accepted ? std::optional<QString>(answer->value) : std::nullopt;
    return runPromptDialog(parent, caption, prompt, {}, true);
}

bool confirmOkCancel(QWidget* parent, const QString& text)
{
    if (auto answer = answerByResponder(DialogKind::Confirm, applicationCaption(), text))
        return answer->accepted;
    return runMessageBox(parent, QMessageBox::Question, text,
                         QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok)
        == QMessageBox::Ok;
}

bool confirmWithDetails(QWidget* parent, const QString& caption, const QString& text, const QString& details,
                        const QString& acceptText, const QString& rejectText)
{
    if (auto answer = answerByResponder(DialogKind::Confirm, caption, text, {}, {}, details))
        return answer->accepted;
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(text, &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    auto* list = new QPlainTextEdit(details, &dialog);
    list->setReadOnly(true);
    list->setLineWrapMode(QPlainTextEdit::NoWrap);
    list->setMinimumSize(560, 260);
    list->setVisible(!details.isEmpty());
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* accept = buttons->addButton(acceptText, QDialogButtonBox::AcceptRole);
    buttons->addButton(rejectText, QDialogButtonBox::RejectRole);
    accept->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(label);
    layout->addWidget(list);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

bool confirmYesNo(QWidget* parent, const QString& text)
{
    if (auto answer = answerByResponder(DialogKind::Question, applicationCaption(), text))
        return answer->accepted;
    return runMessageBox(parent, QMessageBox::Question, text,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes;
}

bool confirmYesNoDefaultNo(QWidget* parent, const QString& text)
{
    if (auto answer = answerByResponder(DialogKind::Question, applicationCaption(), text))
        return answer->accepted;
    return runMessageBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

Choice askYesNoCancel(QWidget* parent, const QString& text)
{
    if (auto answer = answerByResponder(DialogKind::YesNoCancel, applicationCaption(), text))
        return answer->choice;
    switch (runMessageBox(parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                          QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Choice::Yes;
    case QMessageBox::No:
        return Choice::No;
    default:
        return Choice::Cancel; // also the window's close button and Escape
    }
}

void showMessage(QWidget* parent, const QString& text)
{
    if (answerByResponder(DialogKind::Message, applicationCaption(), text))
        return;
    runMessageBox(parent, QMessageBox::NoIcon, text, QMessageBox::Ok, QMessageBox::Ok);
}

void showErrorReport(QWidget* parent, const QString& text)
{
    if (answerByResponder(DialogKind::ErrorReport, applicationCaption(), text))
        return;
    runMessageBox(parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void showErrorBox(QWidget* parent, const QString& caption, const QString& text)
{
    if (answerByResponder(DialogKind::ErrorReport, caption, text))
        return;
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString openFileName(QWidget* parent, const QString& caption, const QString& startFolder, const QString& filter)
{
    if (auto answer = answerByResponder(DialogKind::OpenFile, caption, {}, startFolder, filter))
        return answeredFile(*answer);
    return QFileDialog::getOpenFileName(parent, caption, startFolder, filter);
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& startFolder, const QString& filter,
                     const QString& defaultSuffix)
{
    if (auto answer = answerByResponder(DialogKind::SaveFile, caption, {}, startFolder, filter))
        return answeredFile(*answer);
    QFileDialog dialog(parent, caption, startFolder, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

bool guarded(const std::function<void()>& body)
{
    QString mustReport;
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        if (dynamic_cast<const MustReport*>(&error))
            mustReport = errorMessage(error);
    } catch (...) {
    }
    // The guard's whole purpose is a silent end, except for what the operator must know.
    if (!mustReport.isEmpty()) {
        try {
            showErrorReport(nullptr, mustReport);
        } catch (...) {
        }
    }
    return false;
}

bool reported(QWidget* parent, const std::function<void()>& body)
{
    QString message;
    try {
        body();
        return true;
    } catch (const Abort&) {
        return false; // the operator's own choice: nothing to report
    } catch (const std::exception& error) {
        message = errorMessage(error);
    } catch (...) {
        message = QStringLiteral("发生了未知错误");
    }
    // Shown outside the handlers, so a failing report cannot leave an exception half-caught.
    guarded([&] { showErrorReport(parent, message); });
    return false;
}

} // namespace platform
