#pragma once
#include <QPlainTextEdit>

namespace db { class Dataset; }

namespace dbaware {

namespace detail { class FieldLink; }

// A multi-line edit bound to one (long text) field of a dataset's current row. Typing puts
// the dataset into edit state; the text goes to the field before a post and when the focus
// leaves (Enter starts a new line); Escape cancels the row's edit.
class DBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit DBMemo(QWidget* parent = nullptr);
    ~DBMemo() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;
    void setFieldName(const QString& name);
    QString fieldName() const;

    // The program's read-only setting; see DBEdit::setReadOnly.
    void setReadOnly(bool readOnly);

    // Empties the whole text for the clear command; the row goes into edit state as when
    // typing, and the empty text reaches the field when the focus leaves or the row is posted.
    void clearText();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    detail::FieldLink* link_;
    bool showing_ = false;
};

} // namespace dbaware
