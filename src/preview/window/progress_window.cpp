#include "preview/window/progress_window.h"

#include "report/engine/report_shell.h"
#include "report/frx_resources.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

namespace preview {

TfrxProgress::TfrxProgress(QWidget* parent)
    : QDialog(parent), message_(new QLabel(this)), cancel_(new QPushButton(frxGet(QStringLiteral("clCancel")), this))
{
    setObjectName(QStringLiteral("TfrxProgress"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    message_->setMinimumWidth(240);
    layout->addWidget(message_);
    layout->addWidget(cancel_, 0, Qt::AlignCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TfrxProgress::showMessage(const QString& message)
{
    message_->setText(message);
    if (!isVisible())
        show();
}

void attachProgressWindow(report::ReportShell& shell)
{
    // One window per shell; the shell outlives none of the lambdas' calls.
    auto window = std::make_shared<QPointer<TfrxProgress>>();
    const auto destroy = [window] {
        if (*window)
            delete window->data();
    };
    shell.ProgressWindow.open = [window, destroy] {
        destroy();
        *window = new TfrxProgress(QApplication::activeWindow());
        (*window)->show();
    };
    shell.ProgressWindow.step = [window](const QString& message) {
        if (!*window)
            return false;
        (*window)->showMessage(message);
        return (*window)->cancelled();
    };
    shell.ProgressWindow.close = destroy;
}

} // namespace preview
