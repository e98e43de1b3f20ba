#pragma once
#include "db/dataset.h"
#include <QObject>
#include <QPointer>
#include <functional>

namespace dbaware::detail {

// What a bound control does when its dataset changes; an empty handler is not connected.
struct DatasetHandlers {
    std::function<void()> reset = {}; // opened, closed or destroyed
    std::function<void()> rowsChanged = {};
    std::function<void(int row)> currentChanged = {};
    std::function<void(db::Dataset::State state)> stateChanged = {};
    std::function<void(int fieldIndex)> fieldChanged = {};
    std::function<void()> aboutToPost = {};
};

// A control's subscription to the dataset it is bound to: changing the dataset drops every
// connection to the old one and makes the new ones, and a destroyed dataset is forgotten
// (dataset() answers null while its handlers learn of it).
class DatasetObserver : public QObject {
    Q_OBJECT
public:
    DatasetObserver(QObject* owner, DatasetHandlers handlers);

    // Binds to another dataset (or none); false when it is the one already bound. The reset
    // handler is left to the caller, which may have more to do first.
    bool setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const { return dataset_; }

private:
    DatasetHandlers handlers_;
    QPointer<db::Dataset> dataset_;
};

} // namespace dbaware::detail
