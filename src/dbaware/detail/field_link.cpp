#include "dbaware/detail/field_link.h"
#include "dbaware/detail/dataset_observer.h"
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
    observer_ = new DatasetObserver(this, {.reset = [this] { rebind(); },
                                           .currentChanged = [this](int) { reload(); },
                                           .stateChanged = [this](Dataset::State s) { onStateChanged(s); },
                                           .fieldChanged = [this](int field) { onFieldChanged(field); },
                                           // Before a post (or a move off the row) the typed
                                           // text becomes the field's value.
                                           .aboutToPost = [this] { handOverForPost(); }});
}

void FieldLink::setDataset(Dataset* dataset)
{
    if (observer_->setDataset(dataset))
        rebind();
}

Dataset* FieldLink::dataset() const
{
    return observer_->dataset();
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
    if (!dataset() || !dataset()->active())
        return nullptr;
    const int i = dataset()->fieldIndex(fieldName_);
    return i < 0 ? nullptr : &dataset()->fields()[i];
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
    if (field() && (dataset()->currentRow() >= 0 || isEditing(*dataset()))) {
        try {
            text = dataset()->displayText(fieldName_);
        } catch (...) {
            text.clear(); // a value that cannot be shown leaves the control empty
        }
    }
    modified_ = false;
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
    if (dataset() && fieldIndex == dataset()->fieldIndex(fieldName_))
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
    if (dataset()->state() != Dataset::State::Browse)
        return;
    if (!platform::reported(owner_, [&] { dataset()->edit(); })) {
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
    if (!modified_ || handingOver_ || !dataset() || !dataset()->active())
        return;
    // Refused text stops the post that asked for it; whoever started the post reports it.
    QScopedValueRollback guard(handingOver_, true);
    try {
        if (!isEditing(*dataset()))
            dataset()->edit();
        dataset()->setText(fieldName_, control_.text());
    } catch (const std::exception& e) {
        dataset()->refuseHandOver(platform::errorMessage(e));
    }
}

void FieldLink::cleared()
{
    if (!editable())
        return;
    // Emptying the field is a change like typing: the row goes into edit state now, so
    // leaving the control afterwards hands the empty text over.
    control_.show(QString());
    typed();
}

bool FieldLink::handOver()
{
    if (!modified_ || handingOver_ || !dataset() || !dataset()->active())
        return true;
    // The report of a refused value takes the focus, which asks for a hand-over again.
    QScopedValueRollback guard(handingOver_, true);
    return platform::reported(owner_, [&] {
        if (!isEditing(*dataset()))
            dataset()->edit();
        dataset()->setText(fieldName_, control_.text());
    });
}

void FieldLink::cancel()
{
    if (dataset() && dataset()->active() && isEditing(*dataset()))
        platform::reported(owner_, [&] { dataset()->cancel(); });
    reload();
}

} // namespace dbaware::detail
