#pragma once
#include <QByteArray>
#include <QFrame>
#include <QImage>

namespace db { class Dataset; }

namespace dbaware {

namespace detail { class DatasetObserver; }

// A picture bound to a binary field of a dataset's current row: shows the stored bytes as
// an image (any format QImage reads) and carries pictures into and out of the field. It
// may stay hidden and serve only as that carrier.
class DBImage : public QFrame {
    Q_OBJECT
public:
    explicit DBImage(QWidget* parent = nullptr);
    ~DBImage() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;
    void setFieldName(const QString& name);
    const QString& fieldName() const { return fieldName_; }

    // Stretched pictures fill the frame; otherwise they keep their size, centred.
    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

    // The current row's bytes (empty for null), and the picture they hold (null when there
    // are none or they are not a picture).
    QByteArray bytes() const { return bytes_; }
    QImage picture() const;
    bool hasPicture() const { return !picture().isNull(); }

    // Put the row into edit state and store a picture (as a bitmap) or null. Failures are
    // thrown (db::DbError), for the calling handler's guard to deal with.
    void setPicture(const QImage& image);
    void clearPicture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void reload();
    void store(const QVariant& value);

    detail::DatasetObserver* observer_;
    QString fieldName_;
    QByteArray bytes_;
    mutable QImage picture_;
    mutable bool decoded_ = true;
    bool stretch_ = false;
};

} // namespace dbaware
