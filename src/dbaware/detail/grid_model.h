#pragma once
#include "dbaware/grid_column.h"
#include <QAbstractTableModel>
#include <QList>

#include "db/dataset.h"

namespace dbaware::detail {

class DatasetObserver;

// The table a DBGrid shows: one row per dataset row, one column per grid column. Cells are
// read from the dataset when they are drawn; nothing of the result set is copied.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;

    // An empty list shows every field of the dataset, titled with the field names.
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return columns_; }
    void setColumnWidth(int column, int width);

    void setEditable(bool editable);
    bool editable() const { return editable_; }

    // Field position behind a column, -1 when the dataset does not have it (or is closed).
    int fieldOf(int column) const;
    const db::FieldDef* fieldDef(int column) const;
    bool cellEditable(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The column list was rebuilt; the view re-applies widths and hidden columns.
    void columnsReset();

private:
    void rebuild();
    void syncRowCount();
    void refreshCurrentRow();
    QString cellText(int row, int column) const;

    DatasetObserver* observer_;
    QList<GridColumn> given_;
    QList<GridColumn> columns_;
    QList<int> fieldOf_;
    int rows_ = 0; // the count the view knows, brought up to date on each dataset change
    bool editable_ = true;
};

} // namespace dbaware::detail
