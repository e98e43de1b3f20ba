#pragma once
#include "db/dataset.h"
#include <QObject>
#include <functional>

class QWidget;

namespace dbaware::detail {

class DatasetObserver;

// What a bound control lets its link do to it.
struct FieldControl {
    std::function<QString()> text;                     // what the control holds now
    std::function<void(const QString&)> show;          // shows a value, not counted as typing
    std::function<void(bool editable, int maxLength)> configure; // maxLength 0: no limit
};

// The protocol every single-field control follows: it shows the current row's value, the
// operator's first change puts the dataset into edit state, and the typed text is handed to
// the dataset when asked (before a post, on Enter, when the focus leaves). Failures during
// those operator actions are shown with the standard error report.
class FieldLink : public QObject {
    Q_OBJECT
public:
    FieldLink(QWidget* owner, FieldControl control);

    void setDataset(db::Dataset* dataset);
    db::Dataset* dataset() const;
    void setFieldName(const QString& name);
    const QString& fieldName() const { return fieldName_; }
    void setReadOnly(bool readOnly);
    bool readOnly() const { return readOnly_; }

    // The field behind the control, null when the dataset is closed or lacks it.
    const db::FieldDef* field() const;
    bool editable() const;
    // The control holds text the dataset has not been given yet.
    bool modified() const { return modified_; }

    // The operator changed the control's text.
    void typed();
    // The clear command emptied the control: a change like typing, which puts the row into
    // edit state.
    void cleared();
    // Gives the typed text to the dataset; false when it refused it (the error was shown).
    bool handOver();
    void handOverForPost();
    // Escape: the row's edit is cancelled, the control shows the stored value again.
    void cancel();
    // Shows the current row's value, dropping what was typed.
    void reload();

private:
    void rebind();
    void onStateChanged(db::Dataset::State state);
    void onFieldChanged(int fieldIndex);
    void updateEditable();

    QWidget* owner_;
    FieldControl control_;
    DatasetObserver* observer_ = nullptr;
    QString fieldName_;
    bool readOnly_ = false;
    bool modified_ = false;
    bool handingOver_ = false;
};

} // namespace dbaware::detail
