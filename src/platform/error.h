#pragma once
#include <QString>
#include <exception>
#include <stdexcept>

namespace platform {

// The program's failure signal: the message is kept as a QString so Chinese texts reach
// the error report intact; what() carries the same text in UTF-8.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& message);
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// Marks a failure the operator must see even where a handler's guard ends silently: an edit
// that could not be saved stops the command, and a silent stop would look like a lost edit.
class MustReport {
public:
    virtual ~MustReport() = default;
};

// Ends an operation the operator chose not to go on with: no error report, nothing to say.
class Abort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The text an exception shows to the operator, whichever kind it is.
QString errorMessage(const std::exception& error);

} // namespace platform
