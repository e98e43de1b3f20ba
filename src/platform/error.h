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

// The text an exception shows to the operator, whichever kind it is.
QString errorMessage(const std::exception& error);

} // namespace platform
