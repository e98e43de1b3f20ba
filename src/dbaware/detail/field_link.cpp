#include "dbaware/detail/field_link.h"
#include "platform/error.h"
#include "dbaware/detail/record_ops.h"
#include "platform/widgets/dialogs.h"
#include <QScopedValueRollback>
#include <QWidget>

namespace dbaware::detail {

using db::Dataset;

FieldLink::FieldLink(QWidget* owner, FieldControl control)
    : QObject(owner), owner_(owner), control_(std::move(control))
{
}

void FieldLink::setDataset(Dataset* dataset)
{
    if (dataset_ == dataset)
        return;
    if (dataset_)
        disconnect(dataset_, nullptr, this, nullptr);
    dataset_ = dataset;
    if (dataset_) {
        connect(dataset_, &Dataset::opened, this, &FieldLink::rebind);
        connect(dataset_, &Dataset::closed, this, &FieldLink::rebind);
        connect(dataset_, &Dataset::destroyed, this, &FieldLink::rebind);
        connect(dataset_, &Dataset::currentChanged, this, &FieldLink::reload);
        connect(dataset_, &Dataset::stateChanged, this, &FieldLink::onStateChanged);
        connect(dataset_, &Dataset::fieldChanged, this, &FieldLink::onFieldChanged);
        // Before a post (or a move off the row) the typed text becomes the field's value.
        connect(dataset_, &Dataset::aboutToPost, this, &FieldLink::handOverForPost);
    }
    rebind();
}

void FieldLink::setFieldName(const QString& name)
{
    fieldName_ = name;
    rebind();
}

void FieldLink::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    updateEditable();
}

const db::FieldDef* FieldLink::field() const
{
    if (!dataset_ || !dataset_->active())
        return nullptr;
    const int i = dataset_->fieldIndex(fieldName_);
    return i < 0 ? nullptr : &dataset_->fields()[i];
}

bool FieldLink::editable() const
{
    const db::FieldDef* f = field();
    return !readOnly_ && f && !f->readOnly && f->type != db::FieldType::Blob;
}

void FieldLink::rebind()
{
    updateEditable();
    reload();
}

void FieldLink::updateEditable()
{
    const db::FieldDef* f = field();
    const int maxLength = f && f->type == db::FieldType::Text && f->size > 0 ? f->size : 0;
    control_.configure(editable(), maxLength);
}

void FieldLink::reload()
{
    QString text;
    if (field() && (dataset_->currentRow() >= 0 || isEditing(*dataset_))) {
        try {
            text = dataset_->displayText(fieldName_);
        } catch (...) {
            text.clear(); // a value that cannot be shown leaves the control empty
        }
    }
    modified_ = false;
    clearedInBrowse_ = false;
    control_.show(text);
}

void FieldLink::onStateChanged(Dataset::State state)
{
    updateEditable();
    // Entering edit state because of our own typing must not wipe what was typed.
    if (state == Dataset::State::Browse || state == Dataset::State::Inactive || !modified_)
        reload();
}

void FieldLink::onFieldChanged(int fieldIndex)
{
    if (dataset_ && fieldIndex == dataset_->fieldIndex(fieldName_))
        reload();
}

void FieldLink::typed()
{
    if (!editable()) {
        reload();
        return;
    }
    const QString text = control_.text();
    modified_ = true;
    clearedInBrowse_ = false;
    if (dataset_->state() != Dataset::State::Browse)
        return;
    if (!platform::reported(owner_, [&] { dataset_->edit(); })) {
        reload();
        return;
    }
    // Editing an empty result set starts a new row, which shows its own (empty) value:
    // the operator's keystroke still belongs in it.
    if (!modified_) {
        control_.show(text);
        modified_ = true;
    }
}

void FieldLink::handOverForPost()
{
    if (!modified_ || handingOver_ || !dataset_ || !dataset_->active())
        return;
    // Refused text stops the post that asked for it; whoever started the post reports it.
    QScopedValueRollback guard(handingOver_, true);
    try {
        if (!isEditing(*dataset_))
            dataset_->edit();
        dataset_->setText(fieldName_, control_.text());
    } catch (const std::exception& e) {
        dataset_->refuseHandOver(platform::errorMessage(e));
    }
}

void FieldLink::cleared()
{
    if (!editable())
        return;
    control_.show(QString());
    modified_ = true;
    clearedInBrowse_ = true;
}

bool FieldLink::handOver()
{
    if (!modified_ || handingOver_ || !dataset_ || !dataset_->active())
        return true;
    // The report of a refused value takes the focus, which asks for a hand-over again.
    QScopedValueRollback guard(handingOver_, true);
    return platform::reported(owner_, [&] {
        // A cleared control does not start the edit itself: the dataset refuses the value.
        if (!isEditing(*dataset_) && !clearedInBrowse_)
            dataset_->edit();
        dataset_->setText(fieldName_, control_.text());
    });
}

void FieldLink::cancel()
{
    if (dataset_ && dataset_->active() && isEditing(*dataset_))
        platform::reported(owner_, [&] { dataset_->cancel(); });
    reload();
}

} // namespace dbaware::detail
