#pragma once
#include <QImage>
#include <QString>

// The system clipboard, for texts and pictures.
namespace platform {

void putClipboardText(const QString& text);
QString clipboardText(); // empty when the clipboard holds no text

void putClipboardPicture(const QImage& picture);
QImage clipboardPicture(); // a null image when the clipboard holds no picture

} // namespace platform
