#include "dbaware/detail/cell_editor_delegate.h"
#include "dbaware/detail/grid_model.h"
#include "db/dataset.h"
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace dbaware::detail {

CellEditorDelegate::CellEditorDelegate(GridModel* model, QObject* parent)
    : QStyledItemDelegate(parent), model_(model)
{
}

QWidget* CellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                          const QModelIndex& index) const
{
    const GridColumn& column = model_->columns().at(index.column());
    const db::FieldDef* field = model_->fieldDef(index.column());
    const int maxLength = field && field->type == db::FieldType::Text && field->size > 0 ? field->size : 32767;
    auto notifyEdited = [this] {
        if (textEdited)
            textEdited();
    };
    QWidget* editor = nullptr;
    if (!column.pickList.isEmpty()) {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true); // the list offers values; any other text may be typed
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFrame(false);
        combo->addItems(column.pickList);
        combo->lineEdit()->setMaxLength(maxLength);
        connect(combo->lineEdit(), &QLineEdit::textEdited, combo, notifyEdited);
        connect(combo, &QComboBox::activated, combo, notifyEdited);
        editor = combo;
    } else {
        auto* line = new QLineEdit(parent);
        line->setFrame(false);
        line->setMaxLength(maxLength);
        line->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask);
        connect(line, &QLineEdit::textEdited, line, notifyEdited);
        editor = line;
    }
    editor_ = editor;
    index_ = index;
    return editor;
}

void CellEditorDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == editor_) {
        editor_ = nullptr;
        index_ = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void CellEditorDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    const QString text = index.data(Qt::EditRole).toString();
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        combo->setCurrentText(text);
    else if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(text);
}

void CellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const
{
    if (writeCell)
        writeCell(index, editorText(editor));
}

QString CellEditorDelegate::editorText(const QWidget* editor)
{
    if (auto* combo = qobject_cast<const QComboBox*>(editor))
        return combo->currentText();
    if (auto* line = qobject_cast<const QLineEdit*>(editor))
        return line->text();
    return {};
}

bool CellEditorDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Handled here, at once: the base class commits Enter only after a queued call, by
        // which time the grid would already have posted the row without this cell.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (submit)
                submit(editor);
            return true;
        }
        if (key == Qt::Key_Escape) {
            if (revert)
                revert(editor);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace dbaware::detail
