#include "dbaware/db_image.h"
#include "dbaware/detail/record_ops.h"
#include "db/dataset.h"
#include <QBuffer>
#include <QPainter>

namespace dbaware {

using db::Dataset;

DBImage::DBImage(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
}

DBImage::~DBImage() = default;

void DBImage::setDataset(Dataset* dataset)
{
    if (dataset_ == dataset)
        return;
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        connect(dataset_, &Dataset::opened, this, &DBImage::reload);
        connect(dataset_, &Dataset::closed, this, &DBImage::reload);
        connect(dataset_, &Dataset::destroyed, this, &DBImage::reload);
        connect(dataset_, &Dataset::currentChanged, this, &DBImage::reload);
        connect(dataset_, &Dataset::stateChanged, this, &DBImage::reload);
        connect(dataset_, &Dataset::rowsChanged, this, &DBImage::reload);
        connect(dataset_, &Dataset::fieldChanged, this, [this](int field) {
            if (dataset_ && field == dataset_->fieldIndex(fieldName_))
                reload();
        });
    }
    reload();
}

void DBImage::setFieldName(const QString& name)
{
    fieldName_ = name;
    reload();
}

void DBImage::setStretch(bool stretch)
{
    stretch_ = stretch;
    update();
}

void DBImage::reload()
{
    QByteArray bytes;
    if (dataset_ && dataset_->active() && dataset_->fieldIndex(fieldName_) >= 0
        && (dataset_->currentRow() >= 0 || detail::isEditing(*dataset_))) {
        try {
            bytes = dataset_->value(fieldName_).toByteArray();
        } catch (...) {
            bytes.clear(); // nothing to show
        }
    }
    if (bytes == bytes_ && bytes.isNull() == bytes_.isNull())
        return;
    bytes_ = bytes;
    // Decoded when first wanted: a hidden carrier need not decode every row it passes.
    picture_ = QImage();
    decoded_ = bytes_.isEmpty();
    update();
}

QImage DBImage::picture() const
{
    if (!decoded_) {
        picture_ = QImage::fromData(bytes_);
        decoded_ = true;
    }
    return picture_;
}

void DBImage::store(const QVariant& value)
{
    if (!dataset_)
        return;
    if (!detail::isEditing(*dataset_))
        dataset_->edit();
    dataset_->setValue(fieldName_, value);
}

void DBImage::setPicture(const QImage& image)
{
    if (image.isNull()) {
        clearPicture();
        return;
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    store(encoded);
}

void DBImage::clearPicture()
{
    store(QVariant());
}

void DBImage::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    const QImage image = picture();
    if (image.isNull())
        return;
    QPainter painter(this);
    const QRect area = contentsRect();
    if (stretch_) {
        painter.drawImage(area, image);
        return;
    }
    QRect target(QPoint(0, 0), image.size());
    target.moveCenter(area.center());
    painter.setClipRect(area);
    painter.drawImage(target, image);
}

} // namespace dbaware
