#pragma once

#include <QByteArray>
#include <QString>

namespace pelorin {

// Why the bytes of a file are not a complete picture that a graph can be shown
// from: empty, neither a Windows bitmap nor a PNG picture, or shorter than the
// picture its header announces. Empty when the picture is whole: a picture cut
// short would otherwise show memory that was never read from the file.
QString IncompletePictureReason(const QByteArray& bytes);

}  // namespace pelorin
