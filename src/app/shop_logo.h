#pragma once
#include <QByteArray>
#include <QString>

namespace app {

// A shop's logo as it is kept in the catalogue: the picture of the file (PNG, JPEG, BMP, GIF)
// as PNG, made smaller when larger than a header needs. Throws platform::Error, with a text
// for the operator, when the file cannot be read or holds no picture.
QByteArray logoPicture(const QString& file);

} // namespace app
