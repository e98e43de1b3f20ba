#include "dbaware/db_image.h"
#include "dbaware/detail/dataset_observer.h"
#include "dbaware/detail/record_ops.h"
#include "db/dataset.h"
#include <QBuffer>
#include <QPainter>

namespace dbaware {

using db::Dataset;

DBImage::DBImage(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    const auto changed = [this] { reload(); };
    const auto fieldChanged = [this](int field) {
        if (dataset() && field == dataset()->fieldIndex(fieldName_))
            reload();
    };
    observer_ = new detail::DatasetObserver(this, {.reset = changed,
                                                   .rowsChanged = changed,
                                                   .currentChanged = [this](int) { reload(); },
                                                   .stateChanged = [this](Dataset::State) { reload(); },
                                                   .fieldChanged = fieldChanged});
}

DBImage::~DBImage() = default;

void DBImage::setDataset(Dataset* dataset)
{
    if (observer_->setDataset(dataset))
        reload();
}

Dataset* DBImage::dataset() const
{
    return observer_->dataset();
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
    const Dataset* ds = dataset();
    if (ds && ds->active() && ds->fieldIndex(fieldName_) >= 0 && (ds->currentRow() >= 0 || detail::isEditing(*ds))) {
        try {
            bytes = ds->value(fieldName_).toByteArray();
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
    Dataset* ds = dataset();
    if (!ds)
        return;
    if (!detail::isEditing(*ds))
        ds->edit();
    ds->setValue(fieldName_, value);
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
