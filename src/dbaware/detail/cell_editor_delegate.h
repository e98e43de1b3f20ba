#pragma once
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <functional>

namespace dbaware::detail {

class GridModel;

// In-place cell editors of a DBGrid: a line edit, or an editable combo box for a column
// with a pick list. What the editor's keys and text mean is decided by the grid, through
// the hooks below.
class CellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit CellEditorDelegate(GridModel* model, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // The editor that is open, and its cell; null/invalid when none is.
    QWidget* openEditor() const { return editor_; }
    QModelIndex editorIndex() const { return index_; }
    static QString editorText(const QWidget* editor);

    std::function<bool(const QModelIndex&, const QString&)> writeCell; // false: refused
    std::function<void()> textEdited;                                 // the operator typed or picked
    std::function<void(QWidget*)> submit;                              // Enter
    std::function<void(QWidget*)> revert;                              // Escape

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    GridModel* model_;
    mutable QPointer<QWidget> editor_;
    mutable QPersistentModelIndex index_;
};

} // namespace dbaware::detail
