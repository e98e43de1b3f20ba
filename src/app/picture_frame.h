#pragma once
#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace app {

// A picture stretched to fill the control, answering clicks: the product picture, its
// enlarged view and the help picture.
class PictureFrame : public QWidget {
    Q_OBJECT
public:
    explicit PictureFrame(QWidget* parent = nullptr);

    // The source names where the picture came from (a file), so the same file need not be
    // read again; empty for pictures from elsewhere.
    void setPicture(const QImage& image, const QString& source = {});
    const QImage& picture() const { return picture_; }
    const QString& source() const { return source_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage picture_;
    QString source_;
    // The picture scaled to the frame once, not on every paint: a camera photograph is many
    // times larger than the frame.
    QPixmap scaled_;
};

} // namespace app
