// Moving the one current row: a move posts what is being edited first, as leaving a row does.
#include "db/dataset.h"
#include "db/detail/row_store.h"
#include <algorithm>

namespace db {

void Dataset::moveTo(int row)
{
    requireActive();
    checkBrowseMode();
    if (rows_->rowCount() == 0) {
        current_ = -1;
        return;
    }
    row = std::clamp(row, 0, rows_->rowCount() - 1);
    if (row != current_) {
        current_ = row;
        emit currentChanged(current_);
    }
}

void Dataset::first()
{
    moveTo(0);
    bof_ = true;
    eof_ = rows_->rowCount() == 0;
}

void Dataset::last()
{
    moveTo(rows_->rowCount() - 1);
    eof_ = true;
    bof_ = rows_->rowCount() == 0;
}

void Dataset::next()
{
    requireActive();
    const int before = current_;
    moveTo(current_ + 1);
    eof_ = rows_->rowCount() == 0 || current_ == before;
    if (!eof_)
        bof_ = false;
}

void Dataset::prior()
{
    requireActive();
    const int before = current_;
    moveTo(current_ - 1);
    bof_ = rows_->rowCount() == 0 || current_ == before;
    if (!bof_)
        eof_ = false;
}

void Dataset::moveBy(int distance)
{
    if (distance > 0)
        for (int i = 0; i < distance && !eof_; ++i)
            next();
    else
        for (int i = 0; i < -distance && !bof_; ++i)
            prior();
}

void Dataset::setCurrentRow(int row)
{
    moveTo(row);
    bof_ = current_ <= 0;
    eof_ = rows_->rowCount() == 0;
}

} // namespace db
