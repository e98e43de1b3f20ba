#include "platform/widgets/clipboard.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {

void putClipboardText(const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void putClipboardPicture(const QImage& picture)
{
    QGuiApplication::clipboard()->setImage(picture);
}

QImage clipboardPicture()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !data->hasImage())
        return {};
    return qvariant_cast<QImage>(data->imageData());
}

} // namespace platform
