#include "dbaware/db_edit.h"
#include "dbaware/detail/field_link.h"
#include <QKeyEvent>
#include <QTimer>

namespace dbaware {

DBEdit::DBEdit(QWidget* parent) : QLineEdit(parent)
{
    detail::FieldControl control;
    control.text = [this] { return text(); };
    control.show = [this](const QString& value) { setText(value); };
    control.configure = [this](bool editable, int maxLength) {
        QLineEdit::setReadOnly(!editable);
        setMaxLength(maxLength > 0 ? maxLength : 32767);
    };
    link_ = new detail::FieldLink(this, std::move(control));
    connect(this, &QLineEdit::textEdited, link_, &detail::FieldLink::typed);
    QLineEdit::setReadOnly(true);
}

DBEdit::~DBEdit() = default;

void DBEdit::setDataset(db::Dataset* dataset)
{
    link_->setDataset(dataset);
}

db::Dataset* DBEdit::dataset() const
{
    return link_->dataset();
}

void DBEdit::setFieldName(const QString& name)
{
    link_->setFieldName(name);
}

QString DBEdit::fieldName() const
{
    return link_->fieldName();
}

void DBEdit::setReadOnly(bool readOnly)
{
    link_->setReadOnly(readOnly);
}

void DBEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        link_->cancel();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        link_->handOver();
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void DBEdit::clearText()
{
    link_->cleared();
}

void DBEdit::focusOutEvent(QFocusEvent* event)
{
    const bool accepted = link_->handOver();
    QLineEdit::focusOutEvent(event);
    // A refused value keeps the focus, its text selected, until it is corrected or Escape
    // restores the stored value.
    if (!accepted)
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
}

} // namespace dbaware
