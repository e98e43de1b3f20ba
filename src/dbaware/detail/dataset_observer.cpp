#include "dbaware/detail/dataset_observer.h"

namespace dbaware::detail {

using db::Dataset;

DatasetObserver::DatasetObserver(QObject* owner, DatasetHandlers handlers)
    : QObject(owner), handlers_(std::move(handlers))
{
}

bool DatasetObserver::setDataset(Dataset* dataset)
{
    if (dataset_ == dataset)
        return false;
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (!dataset_)
        return true;
    const DatasetHandlers& h = handlers_;
    if (h.reset) {
        connect(dataset_, &Dataset::opened, this, h.reset);
        connect(dataset_, &Dataset::closed, this, h.reset);
        connect(dataset_, &Dataset::destroyed, this, h.reset);
    }
    if (h.rowsChanged)
        connect(dataset_, &Dataset::rowsChanged, this, h.rowsChanged);
    if (h.currentChanged)
        connect(dataset_, &Dataset::currentChanged, this, h.currentChanged);
    if (h.stateChanged)
        connect(dataset_, &Dataset::stateChanged, this, h.stateChanged);
    if (h.fieldChanged)
        connect(dataset_, &Dataset::fieldChanged, this, h.fieldChanged);
    if (h.aboutToPost)
        connect(dataset_, &Dataset::aboutToPost, this, h.aboutToPost);
    return true;
}

} // namespace dbaware::detail
