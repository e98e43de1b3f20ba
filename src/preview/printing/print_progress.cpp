#include "preview/printing/print_progress.h"

#include "report/frx_resources.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace preview {

TfrxProgress::TfrxProgress() : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setFixedSize(300, 110);
    setAttribute(Qt::WA_DeleteOnClose, false);
    message_ = new QLabel(this);
    message_->setGeometry(10, 35, 280, 20);
    message_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    auto* cancel = new QPushButton(frxGet(2), this);
    cancel->setGeometry(112, 72, 75, 25);
    connect(cancel, &QPushButton::clicked, this, [this] {
        terminated_ = true;
        Stop();
    });
}

TfrxProgress::~TfrxProgress()
{
    Stop();
}

void TfrxProgress::Start()
{
    terminated_ = false;
    disabled_ = QApplication::activeWindow();
    if (disabled_ == this)
        disabled_ = nullptr;
    if (disabled_)
        disabled_->setEnabled(false);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    raise();
}

void TfrxProgress::SetMessage(const QString& text)
{
    message_->setText(text);
}

QString TfrxProgress::Message() const
{
    return message_->text();
}

void TfrxProgress::Stop()
{
    if (disabled_)
        disabled_->setEnabled(true);
    disabled_ = nullptr;
    hide();
}

void TfrxProgress::mousePressEvent(QMouseEvent* event)
{
    dragFrom_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void TfrxProgress::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - dragFrom_);
}

} // namespace preview
