#include "dbaware/db_grid.h"
#include "dbaware/detail/cell_editor_delegate.h"
#include "dbaware/detail/dataset_observer.h"
#include "dbaware/detail/grid_model.h"
#include "dbaware/detail/indicator_header.h"
#include "dbaware/detail/record_ops.h"
#include "db/dataset.h"
#include "platform/widgets/dialogs.h"
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <algorithm>

namespace dbaware {

using db::Dataset;
using detail::isEditing;

namespace {
constexpr int kMinimumDefaultWidth = 64;
constexpr int kTitlePadding = 12;
} // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent),
      model_(new detail::GridModel(this)),
      delegate_(new detail::CellEditorDelegate(model_, this)),
      indicator_(new detail::IndicatorHeader(this)),
      observer_(new detail::DatasetObserver(this, {.rowsChanged = [this] { syncCurrent(); },
                                                   .currentChanged = [this](int) { syncCurrent(); },
                                                   .stateChanged = [this](Dataset::State) { onStateChanged(); },
                                                   .aboutToPost = [this] { handOverCell(); }}))
{
    setVerticalHeader(indicator_);
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setCornerButtonEnabled(false);
    setWordWrap(false);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionsClickable(false); // a title click selects nothing
    titles->setSectionsMovable(false);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    connect(titles, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
        if (!applyingLayout_)
            model_->setColumnWidth(column, width);
    });

    connect(model_, &detail::GridModel::columnsReset, this, &DBGrid::applyColumnLayout);
    connect(indicator_, &detail::IndicatorHeader::rowPressed, this, [this](int row) {
        if (goToRow(row))
            setFocus(Qt::MouseFocusReason);
    });

    delegate_->writeCell = [this](const QModelIndex& index, const QString& text) { return writeCell(index, text); };
    delegate_->textEdited = [this] { beginCellEdit(); };
    delegate_->submit = [this](QWidget*) { submitCell(); };
    delegate_->revert = [this](QWidget*) { revertCell(); };
}

DBGrid::~DBGrid() = default;

// ---------------------------------------------------------------- set-up

void DBGrid::setDataset(Dataset* dataset)
{
    // The model connects first, so its row count is current when the grid follows a change.
    model_->setDataset(dataset);
    observer_->setDataset(dataset);
    syncCurrent();
}

Dataset* DBGrid::dataset() const
{
    return model_->dataset();
}

void DBGrid::setColumns(const QList<GridColumn>& columns)
{
    model_->setColumns(columns);
}

QList<GridColumn> DBGrid::columns() const
{
    return model_->columns();
}

void DBGrid::setTitleFont(const QFont& font)
{
    horizontalHeader()->setFont(font);
    applyColumnLayout();
}

QFont DBGrid::titleFont() const
{
    return horizontalHeader()->font();
}

void DBGrid::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (readOnly)
        discardCellEditor();
    model_->setEditable(!readOnly);
}

void DBGrid::applyColumnLayout()
{
    QScopedValueRollback guard(applyingLayout_, true);
    const QFontMetrics titleMetrics(titleFont());
    const auto& columns = model_->columns();
    for (int i = 0; i < columns.size(); ++i) {
        const GridColumn& c = columns[i];
        const int width = c.width > 0
            ? c.width
            : std::max(kMinimumDefaultWidth, titleMetrics.horizontalAdvance(c.title) + kTitlePadding);
        horizontalHeader()->resizeSection(i, width);
        setColumnHidden(i, !c.visible);
    }
    syncCurrent();
}

// ---------------------------------------------------------------- following the dataset

void DBGrid::syncCurrent()
{
    updateIndicator();
    Dataset* ds = dataset();
    const int row = ds && ds->active() ? ds->currentRow() : -1;
    QScopedValueRollback guard(syncing_, true);
    if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) {
        discardCellEditor();
        selectionModel()->clear();
        return;
    }
    // An editor left on another row has handed its text over already (aboutToPost).
    if (delegate_->openEditor() && delegate_->editorIndex().row() != row)
        discardCellEditor();
    int column = currentIndex().isValid() ? currentIndex().column() : firstVisibleColumn();
    if (isColumnHidden(column))
        column = firstVisibleColumn();
    const QModelIndex index = model_->index(row, column);
    if (index != currentIndex())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void DBGrid::updateIndicator()
{
    using Marker = detail::IndicatorHeader::Marker;
    Dataset* ds = dataset();
    if (!ds || !ds->active()) {
        indicator_->setMark(-1, Marker::Current);
        return;
    }
    const Marker marker = ds->state() == Dataset::State::Insert ? Marker::Inserting
        : ds->state() == Dataset::State::Edit                   ? Marker::Editing
                                                                : Marker::Current;
    indicator_->setMark(ds->currentRow(), marker);
}

void DBGrid::onStateChanged()
{
    updateIndicator();
    Dataset* ds = dataset();
    // Posted or cancelled elsewhere: what the cell editor held is either stored or void.
    if (!ds || !isEditing(*ds))
        discardCellEditor();
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    Dataset* ds = dataset();
    // Rows move only through the dataset; anything else that moved the view goes back.
    if (!syncing_ && current.isValid() && ds && current.row() != ds->currentRow())
        QMetaObject::invokeMethod(this, &DBGrid::syncCurrent, Qt::QueuedConnection);
}

QModelIndex DBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex from = currentIndex();
    const QModelIndex to = QTableView::moveCursor(action, modifiers);
    // The view itself moves between columns only (Tab does not wrap to the next row).
    if (from.isValid() && to.isValid() && to.row() != from.row())
        return from;
    return to;
}

void DBGrid::keyboardSearch(const QString&)
{
    // Typing never jumps to another row.
}

// ---------------------------------------------------------------- moving

bool DBGrid::canEditRows() const
{
    Dataset* ds = dataset();
    return !readOnly_ && ds && ds->active();
}

int DBGrid::firstVisibleColumn() const
{
    for (int i = 0; i < model_->columnCount(); ++i)
        if (!isColumnHidden(i))
            return i;
    return 0;
}

int DBGrid::rowsPerPage() const
{
    return std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
}

bool DBGrid::goToRow(int row)
{
    Dataset* ds = dataset();
    if (!ds || !ds->active() || ds->recordCount() == 0)
        return false;
    if (!finishCellEdit())
        return false;
    return platform::reported(this, [&] {
        const int target = std::clamp(row, 0, ds->recordCount() - 1);
        const int from = ds->currentRow();
        if (target == from)
            return;
        // The move posts a changed row; a new row left untouched is dropped instead, and
        // the rows after it move up by one, so the one the operator chose is one higher.
        const bool leavingNewRow = ds->state() == Dataset::State::Insert;
        const int countBefore = ds->recordCount();
        ds->setCurrentRow(target);
        if (leavingNewRow && ds->recordCount() < countBefore && target > from)
            ds->setCurrentRow(target - 1);
    });
}

void DBGrid::moveRows(int distance)
{
    Dataset* ds = dataset();
    if (ds && ds->active())
        goToRow(ds->currentRow() + distance);
}

void DBGrid::moveDown()
{
    Dataset* ds = dataset();
    if (!ds || !ds->active())
        return;
    if (ds->currentRow() < ds->recordCount() - 1) {
        goToRow(ds->currentRow() + 1);
        return;
    }
    // Past the last row: a new row, unless the one there is new and still untouched.
    if (!canEditRows() || !finishCellEdit())
        return;
    platform::reported(this, [&] {
        if (ds->state() == Dataset::State::Insert && !ds->modified())
            return;
        ds->append();
    });
}

void DBGrid::insertRow()
{
    Dataset* ds = dataset();
    if (!canEditRows() || !finishCellEdit())
        return;
    platform::reported(this, [&] { ds->insert(); });
}

void DBGrid::deleteRow()
{
    Dataset* ds = dataset();
    if (!canEditRows() || (ds->recordCount() == 0))
        return;
    discardCellEditor();
    platform::reported(this, [&] {
        if (platform::confirmOkCancel(this, QStringLiteral("删除这条记录?")))
            ds->remove();
    });
}

// ---------------------------------------------------------------- cell editing

bool DBGrid::writeCell(const QModelIndex& index, const QString& text)
{
    Dataset* ds = dataset();
    // A second commit while the first one's error report takes the focus adds nothing.
    if (writing_)
        return false;
    const db::FieldDef* field = model_->fieldDef(index.column());
    if (!ds || !ds->active() || !field || index.row() != ds->currentRow())
        return true;
    QScopedValueRollback guard(writing_, true);
    const QString name = field->name;
    return platform::reported(this, [&] {
        if (ds->state() == Dataset::State::Browse) {
            if (text == ds->displayText(name))
                return; // opened and left unchanged: the row stays in browse state
            ds->edit();
        }
        ds->setText(name, text);
    });
}

bool DBGrid::finishCellEdit()
{
    QWidget* editor = delegate_->openEditor();
    if (!editor)
        return true;
    if (!writeCell(delegate_->editorIndex(), detail::CellEditorDelegate::editorText(editor)))
        return false;
    if (delegate_->openEditor() == editor)
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void DBGrid::discardCellEditor()
{
    if (QWidget* editor = delegate_->openEditor())
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DBGrid::beginCellEdit()
{
    Dataset* ds = dataset();
    if (!ds || ds->state() != Dataset::State::Browse)
        return;
    if (!platform::reported(this, [&] { ds->edit(); }))
        // The row cannot be edited; the editor goes once its own signal has returned.
        QMetaObject::invokeMethod(this, &DBGrid::discardCellEditor, Qt::QueuedConnection);
}

void DBGrid::submitCell()
{
    if (!finishCellEdit())
        return;
    Dataset* ds = dataset();
    if (ds && isEditing(*ds))
        platform::reported(this, [&] { ds->post(); });
}

void DBGrid::revertCell()
{
    discardCellEditor();
    Dataset* ds = dataset();
    if (ds && isEditing(*ds))
        platform::reported(this, [&] { ds->cancel(); });
}

void DBGrid::handOverCell()
{
    QWidget* editor = delegate_->openEditor();
    if (editor && !writing_)
        writeCell(delegate_->editorIndex(), detail::CellEditorDelegate::editorText(editor));
}

// ---------------------------------------------------------------- keys

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    emit keyDown(event->key(), event->modifiers());
    if (handleKey(event))
        event->accept();
    else
        QTableView::keyPressEvent(event);
}

bool DBGrid::handleKey(const QKeyEvent* event)
{
    Dataset* ds = dataset();
    if (!ds || !ds->active())
        return false;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up:
        moveRows(-1);
        return true;
    case Qt::Key_Down:
        moveDown();
        return true;
    case Qt::Key_PageUp:
        moveRows(-rowsPerPage());
        return true;
    case Qt::Key_PageDown:
        moveRows(rowsPerPage());
        return true;
    case Qt::Key_Home:
        goToRow(0);
        return true;
    case Qt::Key_End:
        goToRow(ds->recordCount() - 1);
        return true;
    case Qt::Key_Insert:
        if (event->modifiers() != Qt::NoModifier)
            return false;
        insertRow();
        return true;
    case Qt::Key_Delete:
        if (!ctrl)
            return false;
        deleteRow();
        return true;
    case Qt::Key_Escape:
        if (!isEditing(*ds))
            return false;
        revertCell();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (isEditing(*ds)) {
            submitCell();
        } else if (currentIndex().isValid() && !readOnly_) {
            edit(currentIndex(), QAbstractItemView::EditKeyPressed, nullptr);
        }
        return true;
    default:
        return false;
    }
}

void DBGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    if (!event->isAutoRepeat())
        emit keyUp(event->key(), event->modifiers());
}

// ---------------------------------------------------------------- mouse

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    pressedOnCell_ = false;
    afterDoubleClick_ = false;
    if (event->button() != Qt::LeftButton) {
        event->accept(); // a right click opens the menu on the current row, it does not move it
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) {
        event->accept();
        return;
    }
    Dataset* ds = dataset();
    // In a grid that marks several rows, Ctrl+click adds the clicked row to those marked.
    const bool addRow = selectionMode() == QAbstractItemView::ExtendedSelection
        && (event->modifiers() & Qt::ControlModifier);
    const QItemSelection marked = addRow ? selectionModel()->selection() : QItemSelection();
    if (ds && index.row() != ds->currentRow()) {
        if (!goToRow(index.row())) {
            event->accept();
            return;
        }
        if (addRow) {
            selectionModel()->select(marked, QItemSelectionModel::ClearAndSelect);
            selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            event->accept();
            return;
        }
        // The clicked cell counts as newly selected, so this click does not open its editor.
        selectionModel()->clearSelection();
    }
    pressedOnCell_ = ds && index.row() == ds->currentRow();
    QTableView::mousePressEvent(event);
}

QList<int> DBGrid::markedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (!rows.contains(index.row()))
            rows.append(index.row());
    if (const Dataset* ds = dataset(); ds && ds->active() && ds->currentRow() >= 0 && !rows.contains(ds->currentRow()))
        rows.append(ds->currentRow());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DBGrid::mouseMoveEvent(QMouseEvent* event)
{
    // Dragging does not sweep the current row along.
    if (event->buttons() & Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mouseMoveEvent(event);
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = event->button() == Qt::LeftButton && pressedOnCell_ && !afterDoubleClick_;
    pressedOnCell_ = false;
    afterDoubleClick_ = false;
    QTableView::mouseReleaseEvent(event);
    if (!click)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        emit cellClick(index.column());
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    // The first click already reported the cell; the release that ends this one does not.
    afterDoubleClick_ = true;
    emit dblClick();
}

} // namespace dbaware
