#pragma once

// The progress window of a print job: borderless, centred on the screen, draggable by any
// point, a message line and a Cancel button "取消". It disables the window that was active
// while it is shown; Cancel marks it terminated and closes it.

#include <QPointer>
#include <QWidget>

class QLabel;

namespace preview {

class TfrxProgress : public QWidget {
public:
    TfrxProgress();
    ~TfrxProgress() override;

    // Shows the window with the progress bar hidden (the message sits 35 pixels from the
    // top).
    void Start();
    void SetMessage(const QString& text);
    void Stop();
    bool Terminated() const { return terminated_; }
    QString Message() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QLabel* message_;
    QPointer<QWidget> disabled_;
    QPoint dragFrom_;
    bool terminated_ = false;
};

} // namespace preview
