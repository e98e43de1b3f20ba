#pragma once
#include <QString>

class QUrl;

namespace platform {

// Hands a web address, file or folder to the desktop's default handler, like the shell's
// "open" action. Relative paths of existing files count from the current folder; text
// such as "www.example.com" opens as a web address. True when a handler accepted it.
bool openWithShell(const QString& target);
// The same for an address already checked and parsed by the caller, passed on unchanged.
bool openUrlWithShell(const QUrl& url);

} // namespace platform
