#pragma once

// The report's progress window (TfrxProgress): a small window with the message of the
// current step ("Preparing page 12") and a cancel button, shown while a report is prepared
// in the old style, printed or exported.

#include <QDialog>

class QLabel;
class QPushButton;

namespace report {
class ReportShell;
}

namespace preview {

class TfrxProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrxProgress(QWidget* parent = nullptr);

    void showMessage(const QString& message);
    bool cancelled() const { return cancelled_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    QLabel* message_;
    QPushButton* cancel_;
    bool cancelled_ = false;
};

// Gives the shell a progress window: a new one at each start replaces the earlier one,
// and the stop destroys it.
void attachProgressWindow(report::ReportShell& shell);

} // namespace preview
