#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pelorin {

// Decodes a JPEG picture held in memory. A damaged or foreign file gives a
// null image and the decoder's reason in `error`; it never ends the program.
QImage DecodeJpeg(const QByteArray& data, QString* error = nullptr);

// Reads and decodes a JPEG file (also a Qt resource path such as ":/...").
QImage LoadJpeg(const QString& path, QString* error = nullptr);

}  // namespace pelorin
