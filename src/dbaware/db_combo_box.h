#pragma once
#include <QComboBox>

namespace db { class Dataset; }

namespace dbaware {

namespace detail { class FieldLink; }

// An editable combo box bound to one field of a dataset's current row: the list offers
// values, any other text may be typed. Picking or typing puts the dataset into edit state;
// the text goes to the field before a post, on Enter and when the focus leaves; Escape
// cancels the row's edit. The arrows and the wheel (only while the box has the focus) step
// through the list from the value shown. Fill the list with addItems().
class DBComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DBComboBox(QWidget* parent = nullptr);
    ~DBComboBox() override;

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;
    void setFieldName(const QString& name);
    QString fieldName() const;

    // The program's read-only setting; see DBEdit::setReadOnly.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Makes the list position that of the value shown; false when the list lacks it.
    bool stepFromShownValue();

    detail::FieldLink* link_;
};

} // namespace dbaware
