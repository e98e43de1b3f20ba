#include "dbaware/detail/grid_model.h"
#include "dbaware/detail/dataset_observer.h"
#include "db/dataset.h"

namespace dbaware::detail {

namespace {

bool isNumeric(db::FieldType type)
{
    return type == db::FieldType::Integer || type == db::FieldType::AutoInc || type == db::FieldType::Float;
}

bool showsTypeWord(db::FieldType type)
{
    return type == db::FieldType::Memo || type == db::FieldType::Blob;
}

} // namespace

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent),
      observer_(new DatasetObserver(this, {.reset = [this] { rebuild(); },
                                           .rowsChanged = [this] { syncRowCount(); },
                                           .fieldChanged = [this](int) { refreshCurrentRow(); }}))
{
}

void GridModel::setDataset(db::Dataset* dataset)
{
    if (observer_->setDataset(dataset))
        rebuild();
}

db::Dataset* GridModel::dataset() const
{
    return observer_->dataset();
}

void GridModel::setColumns(const QList<GridColumn>& columns)
{
    given_ = columns;
    rebuild();
}

void GridModel::setColumnWidth(int column, int width)
{
    if (column >= 0 && column < columns_.size())
        columns_[column].width = width;
}

void GridModel::setEditable(bool editable)
{
    if (editable_ == editable)
        return;
    editable_ = editable;
    if (rows_ > 0 && !columns_.isEmpty())
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void GridModel::rebuild()
{
    beginResetModel();
    const bool active = dataset() && dataset()->active();
    if (!given_.isEmpty()) {
        // Columns of the grid's own list stay in place; a field the result lacks shows empty.
        columns_ = given_;
    } else {
        columns_.clear();
        if (active)
            for (const db::FieldDef& f : dataset()->fields()) {
                GridColumn c;
                c.fieldName = f.name;
                c.title = f.name;
                columns_.append(c);
            }
    }
    fieldOf_.clear();
    for (const GridColumn& c : columns_)
        fieldOf_.append(active ? dataset()->fieldIndex(c.fieldName) : -1);
    rows_ = active ? dataset()->recordCount() : 0;
    endResetModel();
    emit columnsReset();
}

void GridModel::syncRowCount()
{
    const int count = dataset() && dataset()->active() ? dataset()->recordCount() : 0;
    // Only the count matters to the view: rows are read afresh on every repaint.
    if (count > rows_) {
        beginInsertRows({}, rows_, count - 1);
        rows_ = count;
        endInsertRows();
    } else if (count < rows_) {
        beginRemoveRows({}, count, rows_ - 1);
        rows_ = count;
        endRemoveRows();
    }
    if (rows_ > 0 && !columns_.isEmpty())
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
}

void GridModel::refreshCurrentRow()
{
    const int row = dataset() ? dataset()->currentRow() : -1;
    if (row >= 0 && row < rows_ && !columns_.isEmpty())
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

int GridModel::fieldOf(int column) const
{
    return column >= 0 && column < fieldOf_.size() ? fieldOf_[column] : -1;
}

const db::FieldDef* GridModel::fieldDef(int column) const
{
    const int f = fieldOf(column);
    if (f < 0 || !dataset() || f >= dataset()->fields().size())
        return nullptr;
    return &dataset()->fields()[f];
}

bool GridModel::cellEditable(int column) const
{
    const db::FieldDef* f = fieldDef(column);
    return editable_ && f && !f->readOnly && !showsTypeWord(f->type);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QString GridModel::cellText(int row, int column) const
{
    const db::FieldDef* f = fieldDef(column);
    if (!f || row >= dataset()->recordCount())
        return {};
    const int field = fieldOf(column);
    if (showsTypeWord(f->type)) {
        const QVariant v = dataset()->valueAt(row, field);
        return db::fieldTypeWord(f->type, !v.isValid() || v.isNull());
    }
    return dataset()->displayTextAt(row, field);
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        try {
            return cellText(index.row(), index.column());
        } catch (...) {
            return {}; // drawing never fails: a value that cannot be shown is left blank
        }
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = columns_[index.column()].alignment & Qt::AlignHorizontal_Mask;
        if (!a) {
            const db::FieldDef* f = fieldDef(index.column());
            a = f && isNumeric(f->type) ? Qt::AlignRight : Qt::AlignLeft;
        }
        return static_cast<int>(a | Qt::AlignVCenter); // views read alignments as int
    }
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return columns_[section].title;
    case Qt::TextAlignmentRole: {
        Qt::Alignment a = columns_[section].titleAlignment & Qt::AlignHorizontal_Mask;
        return static_cast<int>((a ? a : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (cellEditable(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace dbaware::detail
