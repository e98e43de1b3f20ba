#pragma once
#include "dbaware/grid_column.h"
#include <QList>
#include <QTableView>

namespace db { class Dataset; }

namespace dbaware {

namespace detail {
class CellEditorDelegate;
class DatasetObserver;
class GridModel;
class IndicatorHeader;
} // namespace detail

// A data grid over a dataset: a title row, an indicator column marking the current row,
// one row per dataset row. The grid's current row is the dataset's current row; clicks and
// keys move the dataset, and moves made elsewhere show here. Cells are edited in place;
// moving to another row or Enter posts, Escape cancels. Rows are drawn from the dataset on
// demand, so large result sets cost nothing extra.
//
// Failures of the dataset during a click or key are shown with the standard error report.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;

    // The program's own columns, in order. Empty: every field of the dataset, titled with
    // the field names, taken afresh whenever the dataset opens.
    void setColumns(const QList<GridColumn>& columns);
    // The columns shown (with their current widths).
    QList<GridColumn> columns() const;

    void setTitleFont(const QFont& font);
    QFont titleFont() const;

    // A read-only grid edits nothing: no cell editors, no Insert, no new row at the end,
    // no Ctrl+Delete.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return readOnly_; }

    // With the extended selection mode, Ctrl+click marks further rows besides the current
    // one. The marked rows and the current row, in order.
    QList<int> markedRows() const;

signals:
    // Left button released on a data cell, after its row was made current. The column is
    // the position in columns().
    void cellClick(int column);
    void dblClick();
    // Every key that reaches the grid: keyDown before the grid acts on it, keyUp after.
    void keyDown(int key, Qt::KeyboardModifiers modifiers);
    void keyUp(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyboardSearch(const QString& search) override;

private:
    bool handleKey(const QKeyEvent* event);
    bool goToRow(int row);
    void moveRows(int distance);
    void moveDown();
    void insertRow();
    void deleteRow();
    bool finishCellEdit();
    void discardCellEditor();
    bool writeCell(const QModelIndex& index, const QString& text);
    void beginCellEdit();
    void submitCell();
    void revertCell();
    void handOverCell();
    void syncCurrent();
    void updateIndicator();
    void onStateChanged();
    void applyColumnLayout();
    int firstVisibleColumn() const;
    int rowsPerPage() const;
    bool canEditRows() const;

    detail::GridModel* model_;
    detail::CellEditorDelegate* delegate_;
    detail::IndicatorHeader* indicator_;
    detail::DatasetObserver* observer_;
    bool readOnly_ = false;
    bool syncing_ = false;
    bool writing_ = false;
    bool applyingLayout_ = false;
    bool pressedOnCell_ = false;
    bool afterDoubleClick_ = false;
};

} // namespace dbaware
