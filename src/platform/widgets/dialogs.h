#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The program's standard modal dialogs. Tests (and scripted runs) install a responder that
// answers instead of opening a window, so no modal loop runs unattended.
namespace platform {

enum class DialogKind { Prompt, Confirm, Message, ErrorReport, OpenFile, SaveFile, Question, Password, YesNoCancel };

enum class Choice { Yes, No, Cancel };

struct DialogRequest {
    DialogKind kind;
    QString caption;
    QString text;         // prompt, question or message
    QString defaultValue; // prompts; the start folder of file dialogs
    QString filter;       // file dialogs: "描述 (*.jpg *.jpeg);;所有文件 (*)"
    QString details;      // confirmations with details: the list shown under the text
};

struct DialogAnswer {
    bool accepted = true; // OK (prompt, confirm); ignored for messages
    QString value;        // the edited text of a prompt, the chosen file of a file dialog
    Choice choice = Choice::Yes; // the button of a YesNoCancel question
};

using DialogResponder = std::function<DialogAnswer(const DialogRequest&)>;

// Installs a responder (empty function: show real dialogs again). Answers the previous one.
DialogResponder setDialogResponder(DialogResponder responder);

// Prompt dialog: caption, prompt (a carriage return splits it into two lines), one edit
// holding the default, OK and Cancel. Cancel answers the default unchanged. With maxLength
// the edit takes at most that many characters (and a longer answer is cut to them).
QString inputQuery(QWidget* parent, const QString& caption, const QString& prompt,
                   const QString& defaultValue, int maxLength = 0);
// The same prompt for a command that Cancel (or Escape) ends: nullopt for Cancel.
std::optional<QString> promptQuery(QWidget* parent, const QString& caption, const QString& prompt,
                                   const QString& defaultValue);

// Password dialog (DialogKind::Password): caption, prompt, one masked edit, "确定" and
// "取消". Answers the typed text, nullopt for Cancel.
std::optional<QString> passwordQuery(QWidget* parent, const QString& caption, const QString& prompt);

// Confirmation box with OK and Cancel; true for OK.
bool confirmOkCancel(QWidget* parent, const QString& text);

// Confirmation box (DialogKind::Confirm) with a caption, a text, a scrollable list of details
// and two buttons named by the caller; true for the first.
bool confirmWithDetails(QWidget* parent, const QString& caption, const QString& text, const QString& details,
                        const QString& acceptText, const QString& rejectText);

// Question box with Yes and No (DialogKind::Question); true for Yes.
bool confirmYesNo(QWidget* parent, const QString& text);
// The same for a step that cannot be undone: No is the default button, Escape answers No.
bool confirmYesNoDefaultNo(QWidget* parent, const QString& text);

// Question box with Yes, No and Cancel (DialogKind::YesNoCancel).
Choice askYesNoCancel(QWidget* parent, const QString& text);

// Plain message box with OK.
void showMessage(QWidget* parent, const QString& text);

// The application's standard error report: a message box with the error's text.
void showErrorReport(QWidget* parent, const QString& text);

// Message box with an error icon under a caption of the caller's (DialogKind::ErrorReport).
void showErrorBox(QWidget* parent, const QString& caption, const QString& text);

// Standard open and save dialogs. Answer the chosen file's path, empty when cancelled. The
// save dialog adds the default suffix (without its dot) to a name typed without one.
QString openFileName(QWidget* parent, const QString& caption, const QString& startFolder, const QString& filter);
QString saveFileName(QWidget* parent, const QString& caption, const QString& startFolder, const QString& filter,
                     const QString& defaultSuffix);

// Runs a handler body under a catch-all guard: any exception ends it silently, except one
// marked MustReport, which is shown with the standard error report.
// Answers false when the body failed.
bool guarded(const std::function<void()>& body);

// Runs a handler body that is not guarded: an exception is shown with the standard error
// report (except Abort, which ends it quietly), and never crosses the event loop.
bool reported(QWidget* parent, const std::function<void()>& body);

} // namespace platform
