#pragma once
#include <QLineEdit>

namespace db { class Dataset; }

namespace dbaware {

namespace detail { class FieldLink; }

// A one-line edit bound to one field of a dataset's current row. Typing puts the dataset
// into edit state; the text goes to the field before a post, on Enter and when the focus
// leaves; Escape cancels the row's edit. Its length is limited to the field's size.
class DBEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit DBEdit(QWidget* parent = nullptr);
    ~DBEdit() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;
    void setFieldName(const QString& name);
    QString fieldName() const;

    // The program's read-only setting. A closed dataset or a field that cannot be written
    // also keeps the edit read-only; isReadOnly() answers the effect of all three.
    void setReadOnly(bool readOnly);

    // Empties the whole text for the clear command; the row goes into edit state as when
    // typing, and the empty text reaches the field when the focus leaves or the row is posted.
    void clearText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    detail::FieldLink* link_;
};

} // namespace dbaware
