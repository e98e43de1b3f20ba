#pragma once
#include <QString>
#include <QUrl>

namespace platform {

// What a product's web address or a report's hyperlink may open. A price list or a
// prepared-report file is data anyone may have typed or imported, so its text must never
// start a program: only web and mail addresses (http, https, ftp, mailto, and "www." names
// as web addresses) and existing files and folders that are not programs are accepted.
// Relative paths count from the data folder (the preview passes the current folder).
// Answers the address to open, or an invalid URL when the text must not be opened.
QUrl safeOpenTarget(const QString& text, const QString& dataFolder);

} // namespace platform
