#pragma once
#include <QString>

namespace platform {

// Opens a product's web address, a report's hyperlink or the help page with the desktop's
// default handler, after safeOpenTarget (platform/web_address.h) has checked it: only web
// and mail addresses and existing documents, never a program. Relative paths count from
// `baseFolder`. False when the text may not be opened; whether the desktop then managed to
// open it is the desktop's to show.
bool openCheckedAddress(const QString& text, const QString& baseFolder);

// Shows a folder in the desktop's file manager when the session has a desktop that offers
// one; false (and nothing started) otherwise.
bool showInFileManager(const QString& folder);

} // namespace platform
