// Decoding a JPEG picture with libjpeg's own API (the logo of the login dialog
// and the About box is a JPEG carried in the program's resources).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace tvx::ui {

// A null image when the data is no JPEG libjpeg can decode.
QImage DecodeJpeg(const QByteArray& data);
// Reads a file or a resource (":/...") and decodes it.
QImage LoadJpeg(const QString& path);

}  // namespace tvx::ui
