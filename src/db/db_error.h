#pragma once
#include "platform/error.h"
#include <stdexcept>
#include <QString>

namespace db {

// Every failure of the data layer. The message is the text the operator sees in the
// standard error report, e.g. "ADOQueryDIY: Cannot perform this operation on a closed dataset".
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), text_(message) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

// A pending edit or insert could not be posted before its dataset was closed or re-run: the
// command that wanted it stops, and the operator is told even by a silent handler.
class UnsavedEditError : public DbError, public platform::MustReport {
public:
    using DbError::DbError;
};

} // namespace db
