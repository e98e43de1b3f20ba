#include "platform/error.h"

namespace platform {

Error::Error(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}

QString errorMessage(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const Error*>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

} // namespace platform
