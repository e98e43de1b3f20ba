#include "app/progress_window.h"
#include <QCoreApplication>
#include <QProgressDialog>

namespace app {

ProgressWindow::ProgressWindow(QWidget* parent, const QString& caption)
    : dialog_(std::make_unique<QProgressDialog>(parent))
{
    dialog_->setWindowTitle(caption);
    dialog_->setCancelButtonText(QStringLiteral("取消"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->reset();
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::finish()
{
    dialog_->reset();
    dialog_->hide();
}

db::Progress ProgressWindow::step(const QString& label)
{
    dialog_->setLabelText(label);
    dialog_->setValue(0);
    return [dialog = dialog_.get()](qint64 done, qint64 total) {
        // The range is kept in thousandths, so counts beyond an int's range show as well.
        dialog->setMaximum(1000);
        dialog->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    };
}

} // namespace app
