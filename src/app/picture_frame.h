#pragma once
#include <QImage>
#include <QWidget>

namespace app {

// A picture stretched to fill the control, answering clicks: the product picture, its
// enlarged view and the help picture.
class PictureFrame : public QWidget {
    Q_OBJECT
public:
    explicit PictureFrame(QWidget* parent = nullptr);

    void setPicture(const QImage& image);
    const QImage& picture() const { return picture_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
};

} // namespace app
