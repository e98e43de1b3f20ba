// The edit states: browse, edit and insert, the edit buffer, and the hand-over of what bound
// editors hold before a row is posted. Posting writes the row back (dataset_write_back.cpp).
#include "db/dataset.h"
#include "db/db_error.h"
#include "db/detail/field_values.h"
#include "db/detail/named_failure.h"
#include "db/detail/row_store.h"

namespace db {

void Dataset::requireEditing() const
{
    requireActive();
    if (state_ != State::Edit && state_ != State::Insert)
        fail(QStringLiteral("记录不在修改状态，这个值没有保存。请先点击“修改”按钮，或按 Esc 恢复原来的值。"));
}

void Dataset::requireWritable() const
{
    if (table_.isEmpty() || keyField_ < 0)
        fail(QStringLiteral("这些数据不能修改：它们不来自一个带编号的表。"));
}

void Dataset::throwRefusal()
{
    if (refusal_.isEmpty())
        return;
    const QString message = refusal_;
    refusal_.clear();
    throw DbError(message);
}

void Dataset::checkBrowseMode()
{
    if (state_ == State::Edit || state_ == State::Insert) {
        emit aboutToPost();
        throwRefusal();
        if (modified_)
            post();
        else
            cancel();
    }
}

void Dataset::postPending()
{
    if (!editing())
        return;
    try {
        checkBrowseMode();
    } catch (const std::exception& e) {
        refusal_.clear();
        throw UnsavedEditError(QStringLiteral("%1 的修改未能保存，操作已停止：\n%2")
                                   .arg(name_, QString::fromUtf8(e.what())));
    }
}

// ---------------------------------------------------------------- the edit buffer

int Dataset::requireModifiableField(const QString& name) const
{
    requireActive();
    const int i = requireField(name);
    if (fields_[i].readOnly)
        fail(QStringLiteral("字段“%1”不能修改。").arg(fields_[i].name));
    requireEditing();
    return i;
}

void Dataset::setValue(const QString& name, const QVariant& v)
{
    const int i = requireModifiableField(name);
    storeInBuffer(i, detail::failingAs(name_, [&] { return detail::valueForField(fields_[i], v); }));
}

void Dataset::setText(const QString& name, const QString& text)
{
    const int i = requireModifiableField(name);
    // A date-time is shown to the minute: its own text handed back unchanged (a cell opened
    // and left, a record saved with other edits) keeps the seconds it holds.
    if (fields_[i].type == FieldType::DateTime && text == displayTextAt(current_, i))
        return;
    storeInBuffer(i, detail::failingAs(name_, [&] { return detail::valueFromText(fields_[i], text); }));
}

void Dataset::storeInBuffer(int field, const QVariant& value)
{
    buffer_[field] = value;
    modified_ = true;
    emit fieldChanged(field);
}

void Dataset::checkTextSizes() const
{
    for (int i = 0; i < fields_.size(); ++i) {
        const FieldDef& f = fields_[i];
        if (f.type == FieldType::Text && f.size > 0 && buffer_.value(i).toString().size() > f.size)
            fail(QStringLiteral("字段“%1”的内容太长，超出了它能保存的长度。请缩短后再保存。")
                     .arg(f.name));
    }
}

// ---------------------------------------------------------------- state changes

void Dataset::enterState(State state)
{
    state_ = state;
    modified_ = false;
    emit rowsChanged();
    emit stateChanged(state_);
    emit currentChanged(current_);
}

void Dataset::beginInsert(bool atEnd)
{
    requireActive();
    checkBrowseMode();
    requireWritable();
    const int at = atEnd || current_ < 0 ? rows_->rowCount() : current_;
    buffer_ = QList<QVariant>(fields_.size());
    rows_->insertRow(at, buffer_);
    current_ = at;
    bof_ = eof_ = false;
    enterState(State::Insert);
    if (afterInsert) {
        afterInsert(*this);
        // What the owner's event filled in is a default, not the operator's typing: a new row
        // nothing was typed into is still dropped, not saved, when the operator moves off it.
        if (state_ == State::Insert)
            modified_ = false;
    }
}

void Dataset::insert()
{
    beginInsert(false);
}

void Dataset::append()
{
    beginInsert(true);
}

void Dataset::edit()
{
    requireActive();
    if (state_ == State::Edit || state_ == State::Insert)
        return;
    if (rows_->rowCount() == 0) {
        append();
        return;
    }
    requireWritable();
    buffer_.clear();
    for (int i = 0; i < fields_.size(); ++i)
        buffer_.append(detail::typedValue(fields_[i], rows_->value(current_, i)));
    state_ = State::Edit;
    modified_ = false;
    emit stateChanged(state_);
}

void Dataset::post()
{
    requireEditing();
    emit aboutToPost();
    throwRefusal();
    if (beforePost)
        beforePost(*this);
    checkTextSizes();
    if (state_ == State::Insert)
        postInsert();
    else if (modified_)
        postUpdate();
    buffer_.clear();
    enterState(State::Browse);
    if (afterPost)
        afterPost(*this);
}

void Dataset::cancel()
{
    requireActive();
    if (state_ == State::Insert) {
        rows_->removeRow(current_);
        if (current_ >= rows_->rowCount())
            current_ = rows_->rowCount() - 1;
    } else if (state_ != State::Edit) {
        return;
    }
    buffer_.clear();
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
    enterState(State::Browse);
}

void Dataset::remove()
{
    requireActive();
    if (state_ == State::Insert) {
        cancel();
        return;
    }
    if (rows_->rowCount() == 0)
        fail(QStringLiteral("没有记录，无法进行这项操作。"));
    if (state_ == State::Edit)
        cancel();
    requireWritable();
    if (beforeDelete)
        beforeDelete(*this);
    deleteRow(rows_->integer(current_, keyField_));
    // A row another program deleted first is simply gone here too.
    rows_->removeRow(current_);
    if (current_ >= rows_->rowCount())
        current_ = rows_->rowCount() - 1;
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
    emit rowsChanged();
    emit currentChanged(current_);
    if (afterDelete)
        afterDelete(*this);
}

} // namespace db
