#include "dbaware/db_memo.h"
#include "dbaware/detail/field_link.h"
#include <QKeyEvent>
#include <QTimer>
#include <QScopedValueRollback>

namespace dbaware {

DBMemo::DBMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    detail::FieldControl control;
    control.text = [this] { return toPlainText(); };
    control.show = [this](const QString& value) {
        if (value == toPlainText())
            return; // keeps the cursor where the operator left it
        QScopedValueRollback guard(showing_, true);
        setPlainText(value);
    };
    control.configure = [this](bool editable, int) { QPlainTextEdit::setReadOnly(!editable); };
    link_ = new detail::FieldLink(this, std::move(control));
    // textChanged also follows setPlainText; only the operator's changes count as typing.
    connect(this, &QPlainTextEdit::textChanged, link_, [this] {
        if (!showing_)
            link_->typed();
    });
    QPlainTextEdit::setReadOnly(true);
}

DBMemo::~DBMemo() = default;

void DBMemo::setDataset(db::Dataset* dataset)
{
    link_->setDataset(dataset);
}

db::Dataset* DBMemo::dataset() const
{
    return link_->dataset();
}

void DBMemo::setFieldName(const QString& name)
{
    link_->setFieldName(name);
}

QString DBMemo::fieldName() const
{
    return link_->fieldName();
}

void DBMemo::setReadOnly(bool readOnly)
{
    link_->setReadOnly(readOnly);
}

void DBMemo::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        link_->cancel();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DBMemo::clearText()
{
    link_->cleared();
}

void DBMemo::focusOutEvent(QFocusEvent* event)
{
    const bool accepted = link_->handOver();
    QPlainTextEdit::focusOutEvent(event);
    // A refused value keeps the focus, its text selected, until it is corrected or Escape
    // restores the stored value.
    if (!accepted)
        QTimer::singleShot(0, this, [this] {
            setFocus(Qt::OtherFocusReason);
            selectAll();
        });
}

} // namespace dbaware
