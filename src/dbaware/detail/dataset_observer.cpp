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
        connect(dataset_, &Dataset::opened, this, [this] { handlers_.reset(); });
        connect(dataset_, &Dataset::closed, this, [this] { handlers_.reset(); });
        connect(dataset_, &Dataset::destroyed, this, [this] { handlers_.reset(); });
    }
    if (h.rowsChanged)
        connect(dataset_, &Dataset::rowsChanged, this, [this] { handlers_.rowsChanged(); });
    if (h.currentChanged)
        connect(dataset_, &Dataset::currentChanged, this, [this](int row) { handlers_.currentChanged(row); });
    if (h.stateChanged)
        connect(dataset_, &Dataset::stateChanged, this, [this](Dataset::State s) { handlers_.stateChanged(s); });
    if (h.fieldChanged)
        connect(dataset_, &Dataset::fieldChanged, this, [this](int field) { handlers_.fieldChanged(field); });
    if (h.aboutToPost)
        connect(dataset_, &Dataset::aboutToPost, this, [this] { handlers_.aboutToPost(); });
    return true;
}

} // namespace dbaware::detail
