#include "dbaware/db_combo_box.h"
#include "dbaware/detail/field_link.h"
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLineEdit>

namespace dbaware {

DBComboBox::DBComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert); // a typed value is the field's, not a new list item
    detail::FieldControl control;
    control.text = [this] { return currentText(); };
    control.show = [this](const QString& value) {
        // The list position follows the value shown, so the arrows and the wheel step from it.
        setCurrentIndex(findText(value, Qt::MatchExactly));
        setEditText(value);
    };
    control.configure = [this](bool editable, int maxLength) {
        lineEdit()->setReadOnly(!editable);
        lineEdit()->setMaxLength(maxLength > 0 ? maxLength : 32767);
    };
    link_ = new detail::FieldLink(this, std::move(control));
    connect(lineEdit(), &QLineEdit::textEdited, link_, &detail::FieldLink::typed);
    connect(this, &QComboBox::activated, link_, &detail::FieldLink::typed);
    lineEdit()->setReadOnly(true);
    // The wheel changes the value only of the box the operator is working in.
    setFocusPolicy(Qt::StrongFocus);
}

DBComboBox::~DBComboBox() = default;

void DBComboBox::setDataset(db::Dataset* dataset)
{
    link_->setDataset(dataset);
}

db::Dataset* DBComboBox::dataset() const
{
    return link_->dataset();
}

void DBComboBox::setFieldName(const QString& name)
{
    link_->setFieldName(name);
}

QString DBComboBox::fieldName() const
{
    return link_->fieldName();
}

void DBComboBox::setReadOnly(bool readOnly)
{
    link_->setReadOnly(readOnly);
}

bool DBComboBox::isReadOnly() const
{
    return lineEdit()->isReadOnly();
}

void DBComboBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (!view()->isVisible()) {
            link_->cancel();
            event->accept();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        link_->handOver();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!(event->modifiers() & Qt::AltModifier) && !stepFromShownValue()) {
            event->accept(); // a typed value not in the list is not replaced by an entry
            return;
        }
        break;
    default:
        break;
    }
    QComboBox::keyPressEvent(event);
}

bool DBComboBox::stepFromShownValue()
{
    const int shown = findText(currentText(), Qt::MatchExactly);
    if (shown < 0)
        return false;
    if (shown != currentIndex()) {
        const QString text = currentText();
        setCurrentIndex(shown);
        setEditText(text);
    }
    return true;
}

void DBComboBox::wheelEvent(QWheelEvent* event)
{
    if (!hasFocus() || !stepFromShownValue()) {
        event->ignore(); // left to the panel under it
        return;
    }
    QComboBox::wheelEvent(event);
}

void DBComboBox::focusOutEvent(QFocusEvent* event)
{
    // Opening the list takes the focus for a moment; the text is still being chosen.
    if (event->reason() != Qt::PopupFocusReason)
        link_->handOver();
    QComboBox::focusOutEvent(event);
}

} // namespace dbaware
